// Relaxed single-value access to state fields that several threads read and write (host automation,
// user interface, audio). Each value stands alone, so no ordering is needed.
#pragma once

#include <atomic>
#include <cstdint>

template <typename T>
inline T loadRelaxed(const T& field) {
    return std::atomic_ref<T>(const_cast<T&>(field)).load(std::memory_order_relaxed);
}

template <typename T>
inline void storeRelaxed(T& field, T value) {
    std::atomic_ref<T>(field).store(value, std::memory_order_relaxed);
}
