#include "tools/render/audio_render.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <vector>

#include "tools/render/output_file.h"
#include "tools/render/progress_bar.h"
#include "tools/vsthost/vst_host.h"

namespace render {
namespace {

// Floating-point formats keep values beyond full scale; integer formats clip them (libsndfile
// would otherwise wrap them around).
bool isFloatFormat(int format) {
    const int subtype = format & SF_FORMAT_SUBMASK;
    return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

std::string formatName(int format) {
    SF_FORMAT_INFO major{}, sub{};
    major.format = format & SF_FORMAT_TYPEMASK;
    sub.format = format & SF_FORMAT_SUBMASK;
    std::string name = sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof(major)) == 0 ? major.name : "?";
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof(sub)) == 0) name += std::string(", ") + sub.name;
    return name;
}

// libsndfile opens a file whose audio chunk is cut short and logs the length it found ("data :
// 1536000 (should be 767978)"). Such a file is damaged: rendering the part that is left would pass for
// the whole. Lengths of 0 and 0xFFFFFFFF stand for "unknown" in files written to a pipe.
constexpr long long kUnknownLength = 0xFFFFFFFFLL;
constexpr const char* kAudioChunks[] = {"data", "SSND"};

bool cutShort(SNDFILE* file, std::string& detail) {
    char log[8192] = {};
    sf_command(file, SFC_GET_LOG_INFO, log, sizeof(log));
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        for (const char* chunk : kAudioChunks) {
            long long claimed = 0, found = 0;
            const std::string format = std::string(chunk) + " : %lld (should be %lld)";
            if (std::sscanf(line.c_str(), format.c_str(), &claimed, &found) == 2 && claimed > found &&
                claimed != kUnknownLength && claimed != 0) {
                detail = "its " + std::string(chunk) + " chunk promises " + std::to_string(claimed) + " bytes, the file holds " +
                         std::to_string(found);
                return true;
            }
        }
    }
    return false;
}

// Why a file would not open: missing, or not audio libsndfile can read.
std::string openError(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return path + ": no such file";
    return path + ": not a readable audio file (" + sf_strerror(nullptr) + ")";
}

struct SoundFile {
    SNDFILE* handle = nullptr;
    ~SoundFile() {
        if (handle != nullptr) sf_close(handle);
    }
};

}  // namespace

bool ProbeAudio(const std::string& path, int& rate, int& channels, std::string& error) {
    SF_INFO info{};
    SoundFile file;
    file.handle = sf_open(path.c_str(), SFM_READ, &info);
    if (file.handle == nullptr) {
        error = openError(path);
        return false;
    }
    std::string detail;
    if (cutShort(file.handle, detail)) {
        error = path + ": damaged or cut short: " + detail;
        return false;
    }
    if (info.channels < 1 || info.channels > 2) {
        error = path + ": " + std::to_string(info.channels) + " channels; Tovin takes mono or stereo files";
        return false;
    }
    if (info.samplerate <= 0) {
        error = path + ": no sample rate";
        return false;
    }
    rate = info.samplerate;
    channels = info.channels;
    return true;
}

AudioResult RenderAudio(vsthost::Host& host, const AudioJob& job) {
    AudioResult result;
    SF_INFO inInfo{};
    SoundFile in;
    in.handle = sf_open(job.input.c_str(), SFM_READ, &inInfo);
    if (in.handle == nullptr) {
        result.error = openError(job.input);
        return result;
    }
    result.channels = inInfo.channels;
    result.rate = inInfo.samplerate;
    result.format = formatName(inInfo.format);
    if (inInfo.channels < 1 || inInfo.channels > 2) {
        result.error = job.input + ": " + std::to_string(inInfo.channels) + " channels; Tovin takes mono or stereo files";
        return result;
    }
    if (std::string detail; cutShort(in.handle, detail)) {
        result.error = job.input + ": damaged or cut short: " + detail;
        return result;
    }

    OutputFile out(job.output);
    if (!out.valid()) {
        result.error = job.output + ": cannot be created in its folder";
        return result;
    }
    SF_INFO outInfo = inInfo;
    outInfo.frames = 0;
    {
        SoundFile written;
        written.handle = sf_open(out.temporaryPath().c_str(), SFM_WRITE, &outInfo);
        if (written.handle == nullptr) {
            result.error = job.output + ": " + sf_strerror(nullptr);
            return result;
        }
        sf_command(written.handle, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        // The input's text chunks (title, artist, ...) travel along.
        for (int str = SF_STR_FIRST; str <= SF_STR_LAST; ++str)
            if (const char* text = sf_get_string(in.handle, str)) sf_set_string(written.handle, str, text);

        const size_t block = static_cast<size_t>(job.block);
        const size_t channels = static_cast<size_t>(inInfo.channels);
        std::vector<float> interleaved(block * channels), inL(block), inR(block), outL(block), outR(block);
        const bool integerOutput = !isFloatFormat(inInfo.format);
        ProgressBar progress(inInfo.frames, inInfo.samplerate, job.progress);
        for (;;) {
            if (job.stop != nullptr && job.stop->load()) {
                progress.finish();
                result.error = job.output + ": interrupted, not written";
                return result;
            }
            const sf_count_t got = sf_readf_float(in.handle, interleaved.data(), static_cast<sf_count_t>(block));
            if (got <= 0) break;
            const size_t n = static_cast<size_t>(got);
            for (size_t i = 0; i < n; ++i) {
                inL[i] = interleaved[i * channels];
                inR[i] = channels == 2 ? interleaved[i * channels + 1] : inL[i];
            }
            // A mono file plays through both inputs; its output is the left one.
            host.processStereo(inL.data(), inR.data(), outL.data(), outR.data(), static_cast<VstInt32>(n));
            for (size_t i = 0; i < n; ++i) {
                result.inputPeak = std::max({result.inputPeak, static_cast<double>(std::fabs(inL[i])),
                                             static_cast<double>(std::fabs(inR[i]))});
                interleaved[i * channels] = outL[i];
                if (channels == 2) interleaved[i * channels + 1] = outR[i];
            }
            for (size_t i = 0; i < n * channels; ++i) {
                const double v = std::fabs(interleaved[i]);
                if (!std::isfinite(v)) {
                    result.error = job.input + ": the effect's output is not finite at frame " +
                                   std::to_string(result.frames + static_cast<long long>(i / channels)) + "; nothing written";
                    progress.finish();
                    return result;
                }
                result.outputPeak = std::max(result.outputPeak, v);
                if (integerOutput && v > 1.0) ++result.clipped;
            }
            if (sf_writef_float(written.handle, interleaved.data(), got) != got) {
                progress.finish();
                result.error = job.output + ": " + sf_strerror(written.handle);
                return result;
            }
            result.frames += got;
            progress.update(result.frames);
        }
        progress.finish();
        if (sf_error(in.handle) != SF_ERR_NO_ERROR) {
            result.error = job.input + ": " + sf_strerror(in.handle);
            return result;
        }
        // A decoder that stops early (a damaged compressed stream) reads fewer frames than the header has.
        if (result.frames != inInfo.frames) {
            result.error = job.input + ": damaged: its header promises " + std::to_string(inInfo.frames) +
                           " frames, the file holds " + std::to_string(result.frames);
            return result;
        }
        if (sf_close(written.handle) != 0) {
            written.handle = nullptr;
            result.error = job.output + ": the file could not be completed";
            return result;
        }
        written.handle = nullptr;
    }
    if (!out.commit()) {
        result.error = job.output + ": cannot be renamed from " + out.temporaryPath();
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace render
