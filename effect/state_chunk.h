// The state chunk: the EffectState image that hosts save with a project, and its reader, which
// accepts images of this version (2.x), the earlier single-slot images (1.x) and byte-reversed images
// of both.
#pragma once

#include <cstddef>
#include <cstdint>

#include "effect/effect_state.h"

constexpr std::size_t kStateChunkSize = sizeof(EffectState);  // 1904
constexpr std::size_t kVersion1ChunkSize = 972;
constexpr int kChunkRejected = -10000;

// Prepares the image for the host (coupling of linked slots, version, channel order mark) and
// returns its size. The host copies state's bytes; the effect keeps ownership.
std::size_t PrepareStateChunk(EffectState& state);

struct ChunkReadOutcome {
    // 1 for a clean image, lowered by one for every clamped value or replaced text, 0 or below once
    // the selector was out of range; kChunkRejected when no byte order gives a readable image.
    int result = kChunkRejected;
    bool accepted = false;
    bool byteReversed = false;
    int version = 0;  // 1 or 2
};

// Reads data into a scratch copy of state and commits it only when the image is accepted. The stored
// options replace the instance's options only when the image's "SAVE_IN_PROJECT" is on; a rejected
// image leaves state untouched (the caller then loads preset 0 into both slots). data may be short:
// nothing past size is ever read, and an image shorter than its version's size is rejected.
ChunkReadOutcome ReadStateChunk(EffectState& state, const void* data, std::size_t size);
