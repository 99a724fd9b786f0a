// A MIDI input node that buffers the host's events until the next render call. One producer (the
// host's MIDI delivery, any thread) and one consumer (render, audio thread); lock-free.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "hostlib/settings.h"

namespace hostlib {

struct MidiPacket {
    int32_t deltaFrames;
    uint8_t bytes[3];
};

class CEffectMIDIBufferedNode {
public:
    CEffectMIDIBufferedNode(std::string name, int32_t id) : name_(std::move(name)), id_(id) {}

    // UI thread.
    void Activate() { active_.store(true, std::memory_order_release); }
    bool IsActive() const { return active_.load(std::memory_order_acquire); }
    const std::string& GetName() const { return name_; }
    int32_t GetID() const { return id_; }
    // Takes over another connection's ID (a document stored with another node).
    void Reconnect(int32_t id) {
        id_ = id;
        ++reconnections_;
    }
    int GetReconnections() const { return reconnections_; }

    // Producer. False when the node is inactive or full (the event is dropped).
    bool Push(const MidiPacket& packet);
    // Consumer: copies at most max pending events, oldest first, and forgets them; answers the count.
    int32_t TakePending(MidiPacket* out, int32_t max);

private:
    std::string name_;
    int32_t id_;
    int reconnections_ = 0;
    std::atomic<bool> active_{false};
    std::array<MidiPacket, kMidiNodeCapacity> ring_{};
    std::atomic<uint32_t> head_{0};  // written by the producer
    std::atomic<uint32_t> tail_{0};  // written by the consumer
};

}  // namespace hostlib
