#include "hostlib/midi_node.h"

namespace hostlib {

bool CEffectMIDIBufferedNode::Push(const MidiPacket& packet) {
    if (!IsActive()) return false;
    const uint32_t head = head_.load(std::memory_order_relaxed);
    const uint32_t tail = tail_.load(std::memory_order_acquire);
    if (head - tail >= ring_.size()) return false;
    ring_[head % ring_.size()] = packet;
    head_.store(head + 1, std::memory_order_release);
    return true;
}

int32_t CEffectMIDIBufferedNode::TakePending(MidiPacket* out, int32_t max) {
    const uint32_t tail = tail_.load(std::memory_order_relaxed);
    const uint32_t head = head_.load(std::memory_order_acquire);
    int32_t count = 0;
    uint32_t at = tail;
    for (; at != head && count < max; ++at) out[count++] = ring_[at % ring_.size()];
    // What does not fit into this call is dropped, not delivered late into a later block.
    tail_.store(head, std::memory_order_release);
    return count;
}

}  // namespace hostlib
