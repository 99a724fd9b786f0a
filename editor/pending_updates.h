// Updates the effect sends from a thread other than the editor's (host automation on the audio thread):
// the latest value, variant and visibility per tag, kept in relaxed atomics and applied by the editor's
// idle on its own thread. post*() never allocate, lock or block: any thread. drain(): the editor's thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

class PendingUpdates {
public:
    // Tags the effect may send from other threads: the parameters and the editor's elements up to the
    // clip indicator.
    static constexpr int kTags = 128;

    void postValue(int tag, float value);
    void postVariant(int tag, int index);
    void postVisible(int tag, bool visible);
    void postRedrawAll() { redrawAll_.store(true, std::memory_order_release); }
    void postChannelMode(int mode) { channelMode_.store(mode, std::memory_order_release); }
    void clear();

    // Calls value(tag, v), variant(tag, i), visible(tag, b), then redrawAll() and channelMode(mode) for
    // what was posted since the last drain.
    template <typename Value, typename Variant, typename Visible, typename Redraw, typename Mode>
    void drain(Value value, Variant variant, Visible visible, Redraw redrawAll, Mode channelMode) {
        for (int tag = 0; tag < kTags; ++tag) {
            Slot& s = slots_[static_cast<std::size_t>(tag)];
            const uint32_t what = s.pending.exchange(0, std::memory_order_acquire);
            if (what == 0) continue;
            if (what & kValue) value(tag, s.value.load(std::memory_order_relaxed));
            if (what & kVariant) variant(tag, s.variant.load(std::memory_order_relaxed));
            if (what & kVisible) visible(tag, s.visible.load(std::memory_order_relaxed));
        }
        const int mode = channelMode_.exchange(kNoMode, std::memory_order_acquire);
        if (mode != kNoMode) channelMode(mode);
        if (redrawAll_.exchange(false, std::memory_order_acquire)) redrawAll();
    }

private:
    static constexpr uint32_t kValue = 1;
    static constexpr uint32_t kVariant = 2;
    static constexpr uint32_t kVisible = 4;
    static constexpr int kNoMode = -1;

    struct Slot {
        std::atomic<uint32_t> pending{0};
        std::atomic<float> value{0.0f};
        std::atomic<int> variant{0};
        std::atomic<bool> visible{false};
    };
    static bool inRange(int tag) { return tag >= 0 && tag < kTags; }

    std::array<Slot, kTags> slots_{};
    std::atomic<bool> redrawAll_{false};
    std::atomic<int> channelMode_{kNoMode};
};
