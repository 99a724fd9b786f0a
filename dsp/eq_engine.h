// The equalizer's signal path: two channels of eight band slots, output volume, general on/off,
// mid/side coding, clip flag and silence detection. Setters may be called from any thread; they only
// store single values (relaxed atomics) that the audio thread picks up at its next sub-block.
// setSampleRate, resetFilters and clearClip are requests served at the start of the next sub-block.
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

    // Processes min(count, kSubBlockLength) samples and returns that count. inR is read only when
    // inputChannels is 2; outR may be null when the host gives one output. Inputs and outputs may
    // be the same buffers.
    int processSubBlock(int count, const float* inL, const float* inR, float* outL, float* outR,
                        int inputChannels);

    // Audio-thread observers, for tests and tools.
    bool silent() const { return silent_; }
    bool active() const { return active_; }
    float bandFade(int channel, int slot) const { return bandFade_[channel][slot]; }
    float wet() const { return wet_; }
    bool bypassFading() const { return bypassFading_; }
    const BandFilter& band(int channel, int slot) const { return bands_[channel][slot]; }

private:
    struct BandInbox {
        std::atomic<float> frequency{1000.0f};
        std::atomic<float> gain{0.0f};
        std::atomic<float> q{1.0f};
        std::atomic<int> kind{14};
        std::atomic<bool> on{false};
    };

    void serveRequests();
    void applySampleRate(float fs);
    void runSlot(int ch, int slot, float* work, int n);
    void runStereo(int n);
    BandValues valuesOf(int ch, int slot) const;

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

    // Audio thread only.
    float activeRate_ = 0.0f;
    float gainGlide_[kSubBlockLength + 1] = {};    // per sub-block of n samples: 10 ms
    float bypassGlide_[kSubBlockLength + 1] = {};  // per sub-block of n samples: 40 ms
    float fadeInAdd_ = 0.0f, fadeDecay_ = 1.0f;   // per sample: 10 ms
    bool generalOff_ = false;
    bool bypassFading_ = false;
    float wet_ = 1.0f, wetTarget_ = 1.0f;
    float gain_[kChannels] = {1.0f, 1.0f};
    bool bandOn_[kChannels][kSlots] = {};  // this sub-block's snapshot of the on flags
    float bandFade_[kChannels][kSlots] = {};
    bool active_ = false;
    bool silent_ = false;
    int silentCount_ = 0;
    bool lastSilenceSkip_ = false;
    BandFilter bands_[kChannels][kSlots];
    SectionChain chain_;
    struct ChainedBand {
        int slot;
        int lastStage;
    };
    ChainedBand chained_[kSlots] = {};
    int chainedCount_ = 0;
    float input_[kChannels][kSubBlockLength] = {};
    float work_[kChannels][kSubBlockLength] = {};
    float dry_[kSubBlockLength] = {};
};
