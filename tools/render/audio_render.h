// Streams an audio file through an effect instance into a file of the same format, a block at a
// time (memory stays the same for any length), and replaces the output only when all went well.
#pragma once

#include <atomic>
#include <string>

namespace vsthost {
class Host;
}

namespace render {

struct AudioJob {
    std::string input, output;
    int block = 0;            // frames per processing call
    bool progress = true;     // a progress bar on a terminal
    const std::atomic<bool>* stop = nullptr;  // set by a signal: the job ends, the output is not written
};

struct AudioResult {
    bool ok = false;
    std::string error;   // names the file and the problem
    long long frames = 0;
    int channels = 0;
    int rate = 0;
    std::string format;  // e.g. "WAV 24-bit"
    double inputPeak = 0.0, outputPeak = 0.0;
    long long clipped = 0;  // output samples beyond full scale in an integer format
};

// The sample rate and length of an audio file (no processing); false with a message when unreadable.
bool ProbeAudio(const std::string& path, int& rate, int& channels, std::string& error);

// host: started at the file's rate (see ProbeAudio) with `block`, its setting applied.
AudioResult RenderAudio(vsthost::Host& host, const AudioJob& job);

}  // namespace render
