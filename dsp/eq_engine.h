// The equalizer's signal path: two channels of eight band slots, output volume, general on/off,
// mid/side coding, clip flag and silence detection. Setters may be called from any thread; they only
// store single values (relaxed atomics) that the audio thread picks up at its next sub-block, and
// count the changes among them (one counter, see controlsVersion_).
// setSampleRate, resetFilters and clearClip are requests served at the start of the next sub-block.
//
// Sub-blocks lie on a grid of kSubBlockLength samples counted from the last restart (construction,
// sample-rate change, resetFilters or restartSubBlocks), whatever the host's block sizes: a host block
// is cut at the grid, and a sub-block that one call leaves unfinished is finished by the next. All
// that advances per sub-block (the controls' snapshot, the design steps, the volume and on/off glides,
// the ends of band fades, the silence and denormal counts) happens at its first or last sample, so
// the output does not depend on how the host cuts the stream. The samples of an unfinished sub-block
// are processed at once with its values: nothing is delayed.
//
// process() runs steady stretches over several sub-blocks at once; each sub-block's steps still
// happen (or are checked to change nothing), so the output is the same as one sub-block at a time.
//
// Hence a change made before the call that processes stream sample n (counted from the restart)
// takes effect at the first grid boundary at or after n, i.e. at sample 44 * ceil(n / 44): at n
// itself when n is on the grid, otherwise up to 43 samples later, the same for every block size.
// A restart requested before sample n starts a new grid at n.
#pragma once

#include "dsp/band_filter.h"
#include "dsp/section_chain.h"

#include <atomic>

class EqEngine {
public:
    static constexpr int kChannels = 2;
    static constexpr int kSlots = 8;
    static constexpr int kSubBlockLength = 44;

    EqEngine();

    void setSampleRate(float fs);
    // channel < 0 addresses both channels.
    void setBandValues(int channel, int slot, float frequencyHz, float gainDb, float q);
    void setBandKind(int channel, int slot, int kind);
    void setBandOn(int channel, int slot, bool on);
    void setVolume(int channel, float dB);
    void setGeneralOn(bool on);
    void setMidSide(bool msMode, bool encodeInput, bool decodeOutput);
    void setVolumeWhenOff(bool on);
    void setSilenceSkip(bool on);
    void clearClip();
    bool clip() const;
    void resetFilters();
    // Starts a new sub-block grid at the next sample (the effect's resume).
    void restartSubBlocks();

    // Processes the samples up to the end of the current sub-block, at most count, and returns how
    // many (kSubBlockLength when a sub-block starts and count allows). inR is read only when
    // inputChannels is 2; outR may be null when the host gives one output. Inputs and outputs may
    // be the same buffers.
    int processSubBlock(int count, const float* inL, const float* inR, float* outL, float* outR,
                        int inputChannels);
    // Processes up to count samples and returns how many: where both channels' bands stay as they
    // are and nothing else changes from one sub-block to the next, several sub-blocks at once (at
    // most kMaxRun samples), else as processSubBlock(). Every sub-block's steps happen as they
    // would one sub-block at a time, so the output is the same.
    int process(int count, const float* inL, const float* inR, float* outL, float* outR, int inputChannels);
    static constexpr int kMaxRun = SectionKernels::kMaxFrames;

    // Audio-thread observers, for tests and tools.
    bool silent() const { return silent_; }
    bool active() const { return active_; }
    float bandFade(int channel, int slot) const { return bandFade_[channel][slot]; }
    float wet() const { return wet_; }
    bool bypassFading() const { return bypassFading_; }
    const BandFilter& band(int channel, int slot) const { return bands_[channel][slot]; }
    long long samplesInRuns() const { return samplesInRuns_; }  // processed by runs over several sub-blocks

private:
    struct BandInbox {
        std::atomic<float> frequency{1000.0f};
        std::atomic<float> gain{0.0f};
        std::atomic<float> q{1.0f};
        std::atomic<int> kind{14};
        std::atomic<bool> on{false};
    };

    // What other threads write, read once per sub-block.
    struct Controls {
        bool generalOn = true;
        bool msMode = false, msEncodeInput = true, msDecodeOutput = true;
        bool volumeWhenOff = false;
        float volume[kChannels] = {1.0f, 1.0f};
        BandValues band[kChannels][kSlots];
    };

    void restartIfRequested();
    void beginStep();
    int steadyRun(int count) const;
    // +40 dBFS: below it no band's states come near BiquadSection::kStateLimit, so no band restarts
    // within a run.
    static constexpr float kReasonableInput = 100.0f;
    static int withinReason(const float* inL, const float* inR, int n);
    bool controlsUnchanged() const;
    void processRun(int n, const float* const in[kChannels], float* const out[kChannels]);
    void serveRequests();
    void readControls();
    void readBandControls();
    void stepGeneralOnOff();
    void glideGains();
    void startProcessing(int channels);
    void countSilence();
    void passInput(int n, const float* const in[kChannels], float* const out[kChannels], bool stereo);
    void processSilent(int n, const float* const in[kChannels], float* const out[kChannels], bool stereo);
    void processAwake(int n, const float* const in[kChannels], float* const out[kChannels], bool stereo);
    void endPiece(int n);
    void applySampleRate(float fs);
    void runSlot(int ch, int slot, float* work, int n);
    void runStereo(int n, const SectionKernels::Marks& marks = {});
    bool chainSlot(int slot, int n, const SectionKernels::Marks& marks);
    void runChain(int n, const SectionKernels::Marks& marks = {}, float* lastInputLeft = nullptr,
                  float* lastInputRight = nullptr);
    void runCorrectedSlot(int slot, int n, const SectionKernels::Marks& marks);
    // Written by other threads.
    std::atomic<float> sampleRate_{44100.0f};
    BandInbox band_[kChannels][kSlots];
    std::atomic<float> volumeFactor_[kChannels];
    std::atomic<bool> generalOn_{true};
    std::atomic<bool> msMode_{false};
    std::atomic<bool> msEncodeInput_{true};
    std::atomic<bool> msDecodeOutput_{true};
    std::atomic<bool> volumeWhenOff_{false};
    std::atomic<bool> silenceSkip_{false};
    std::atomic<bool> clip_{false};  // written by the audio thread only
    std::atomic<bool> clearClipRequest_{false};
    std::atomic<bool> resetRequest_{false};
    std::atomic<bool> restartRequest_{false};
    // Counts the setters' changes of any control above, so that the audio thread sees with one load
    // whether anything moved since its snapshot. A setter raises it (release) after its store; a
    // snapshot reads it (acquire) before the values, so an unchanged count means unchanged values.
    std::atomic<unsigned> controlsVersion_{0};
    // Stores `value` and counts a change when it differs (hosts resend unchanged values all the time).
    template <typename T, typename V>
    bool storeChanged(std::atomic<T>& to, V value) {
        return to.exchange(static_cast<T>(value), std::memory_order_relaxed) != static_cast<T>(value);
    }
    void countChange(bool changed) {
        if (changed) controlsVersion_.fetch_add(1, std::memory_order_release);
    }

    // Audio thread only.
    float activeRate_ = 0.0f;
    float gainGlide_ = 0.0f;                      // per sub-block: 10 ms
    float bypassGlide_ = 0.0f;                    // per sub-block: 40 ms
    float fadeInAdd_ = 0.0f, fadeDecay_ = 1.0f;   // per sample: 10 ms
    bool generalOff_ = false;
    bool bypassFading_ = false;
    float wet_ = 1.0f, wetTarget_ = 1.0f;
    float gain_[kChannels] = {1.0f, 1.0f};
    Controls controls_;                     // this sub-block's snapshot
    unsigned controlsSeen_ = 0, bandsSeen_ = 0;  // controlsVersion_ at the snapshots' reads
    // The bands passed steadyRun()'s checks for the last run, and since then only runs and sub-block
    // starts came (no sub-block of its own, no new rate, no reset), with the controls of snapshot
    // steadyVersion_: a run leaves every band as steady as it found it but for its denormal count.
    bool steadyKnown_ = false;
    unsigned steadyVersion_ = 0;
    bool bandOn_[kChannels][kSlots] = {};  // this sub-block's snapshot of the on flags
    float bandFade_[kChannels][kSlots] = {};
    bool active_ = false;
    bool silent_ = false;
    int silentCount_ = 0;
    bool lastSilenceSkip_ = false;

    // The current sub-block: its samples done so far, and what its first sample decided.
    long long samplesInRuns_ = 0;
    int stepPosition_ = 0;
    bool stepBegun_ = false;        // the current sub-block's first-sample steps are done
    bool stepEnds_ = false;         // the piece being processed ends the sub-block
    bool fullyOff_ = false;         // general off, no cross-fade: the input passes
    bool addDry_ = false;           // the on/off cross-fade's dry share is added
    float offGain_[kChannels] = {1.0f, 1.0f};  // the input's gain while fully off
    float dryGain_[kChannels] = {};            // the dry share's gain while cross-fading
    float wetGain_[kChannels] = {1.0f, 1.0f};  // the bands' output gain
    int processedChannels_ = 0;     // channels whose bands stepped; 0 while nothing was processed
    bool loud_ = false;             // an output sample above the silence threshold
    BandFilter bands_[kChannels][kSlots];
    SectionChain chain_;
    struct ChainedBand {
        int slot;
        int firstStage, lastStage;
    };
    ChainedBand chained_[kSlots] = {};
    int chainedCount_ = 0;
    float input_[kChannels][kMaxRun] = {};
    float work_[kChannels][kMaxRun] = {};
    float dry_[kMaxRun] = {};
};
