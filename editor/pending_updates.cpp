#include "editor/pending_updates.h"

#include <cassert>

void PendingUpdates::postValue(int tag, float value) {
    assert(inRange(tag) && "tag beyond the pending table");
    if (!inRange(tag)) return;
    Slot& s = slots_[static_cast<std::size_t>(tag)];
    s.value.store(value, std::memory_order_relaxed);
    s.pending.fetch_or(kValue, std::memory_order_release);
}

void PendingUpdates::postVariant(int tag, int index) {
    assert(inRange(tag) && "tag beyond the pending table");
    if (!inRange(tag)) return;
    Slot& s = slots_[static_cast<std::size_t>(tag)];
    s.variant.store(index, std::memory_order_relaxed);
    s.pending.fetch_or(kVariant, std::memory_order_release);
}

void PendingUpdates::postVisible(int tag, bool visible) {
    assert(inRange(tag) && "tag beyond the pending table");
    if (!inRange(tag)) return;
    Slot& s = slots_[static_cast<std::size_t>(tag)];
    s.visible.store(visible, std::memory_order_relaxed);
    s.pending.fetch_or(kVisible, std::memory_order_release);
}

void PendingUpdates::clear() {
    for (Slot& s : slots_) s.pending.store(0, std::memory_order_relaxed);
    redrawAll_.store(false, std::memory_order_relaxed);
    channelMode_.store(kNoMode, std::memory_order_relaxed);
}
