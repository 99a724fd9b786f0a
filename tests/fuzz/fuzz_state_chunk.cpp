// setChunk's reader on any bytes: never reads past the data, and a committed image is always in range.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "effect/state_chunk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EffectState state{};
    state.slot[1].info.presetNumber = 42;
    // Exact-size copy so that AddressSanitizer sees any read past the end.
    void* copy = std::malloc(size == 0 ? 1 : size);
    if (size != 0) std::memcpy(copy, data, size);
    const ChunkReadOutcome outcome = ReadStateChunk(state, copy, size);
    std::free(copy);
    if (!outcome.accepted) {
        if (state.slot[1].info.presetNumber != 42) std::abort();  // a refused image changes nothing
        return 0;
    }
    if (!(state.slotSelector >= 0.0f && state.slotSelector <= 1.0f)) std::abort();
    for (const SettingsSlot& slot : state.slot) {
        for (const ChannelValues& channel : slot.settings.channel) {
            for (const BandTriple& band : channel.band) {
                if (!(band.frequency >= 0.0f && band.frequency <= 1.0f && band.gain >= 0.0f && band.gain <= 1.0f))
                    std::abort();
            }
        }
        if (slot.info.presetNumber < -1 || slot.info.presetNumber > 10000) std::abort();
        if (std::memchr(slot.name, 0, sizeof slot.name) == nullptr) std::abort();
        for (const BandRecord& band : slot.settings.band) {
            if (std::memchr(band.name, 0, sizeof band.name) == nullptr) std::abort();
        }
    }
    return 0;
}
