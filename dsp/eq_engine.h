// The equalizer's signal path: two channels of eight band slots, output volume, general on/off,
// mid/side coding, clip flag and silence detection. Setters may be called from any thread; they only
// store single values (relaxed atomics) that the audio thread picks up at its next sub-block.
#pragma once

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
    // inputChannels is 2; outR may be null when the host gives one output.
    int processSubBlock(int count, const float* inL, const float* inR, float* outL, float* outR,
                        int inputChannels);

private:
    struct BandInbox {
        std::atomic<float> frequency{1000.0f};
        std::atomic<float> gain{0.0f};
        std::atomic<float> q{1.0f};
        std::atomic<int> kind{14};
        std::atomic<bool> on{false};
    };

    std::atomic<float> sampleRate_{44100.0f};
    BandInbox band_[kChannels][kSlots];
    std::atomic<float> volumeFactor_[kChannels];
    std::atomic<bool> generalOn_{true};
    std::atomic<bool> msMode_{false};
    std::atomic<bool> msEncodeInput_{true};
    std::atomic<bool> msDecodeOutput_{true};
    std::atomic<bool> volumeWhenOff_{false};
    std::atomic<bool> silenceSkip_{false};
    std::atomic<bool> clip_{false};
};
