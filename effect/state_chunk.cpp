#include "effect/state_chunk.h"

#include <cmath>
#include <cstring>
#include <string_view>

namespace {

constexpr float kOptionHigh[18] = {
    1.0f,  1.0f,  1.0f, 1.0f, 10.0f, 10.0f, 10.0f, 1.0f, 1.0f,  // DSP_SAVE .. DISPLAY_QOCT
    1.0f,  1.0f,  10.0f,                                          // BANDE_ON_AUTO, GAIN_OUT_ON, INCR_WHEEL
    1.0f,  1.0f,  1.0f, 1.0f,                                     // SHOW_CLIP .. CODAGE_MS
    1.0f,  10.0f,                                                 // order mark, GAIN_DROP_ALT
};

bool isNameCharacter(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    return c == '_' || c == '(' || c == ')' || c == '+' || c == '-' || c == '.' || c == '/' || c == '&' ||
           c == ' ';
}

uint32_t reverse(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24);
}

float floatFromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

// Reads 32-bit values and texts from the image, byte-reversed when asked, and counts problems.
class ImageReader {
public:
    ImageReader(const unsigned char* data, std::size_t size, bool reversed)
        : data_(data), size_(size), reversed_(reversed) {}

    int result = 1;

    uint32_t word(std::size_t offset) const {
        if (offset + 4 > size_) return 0;
        uint32_t v;
        std::memcpy(&v, data_ + offset, 4);
        return reversed_ ? reverse(v) : v;
    }
    float rawFloat(std::size_t offset) const { return floatFromBits(word(offset)); }

    float clampedFloat(std::size_t offset, float low, float high) {
        const float v = rawFloat(offset);
        if (v >= low && v <= high) return v;
        --result;
        return v > high ? high : low;  // NaN gives low
    }
    int32_t clampedInt(std::size_t offset, int32_t low, int32_t high, bool counted = true) {
        const auto v = static_cast<int32_t>(word(offset));
        if (v >= low && v <= high) return v;
        if (counted) --result;
        return v > high ? high : low;
    }
    void text(std::size_t offset, char* field, std::size_t fieldSize) {
        if (offset + fieldSize > size_) {
            setError(field, fieldSize);
            return;
        }
        const char* source = reinterpret_cast<const char*>(data_ + offset);
        const void* end = std::memchr(source, 0, fieldSize);
        bool good = end != nullptr;
        if (good) {
            for (const char* p = source; p != end; ++p) {
                if (!isNameCharacter(*p)) {
                    good = false;
                    break;
                }
            }
        }
        if (!good) {
            setError(field, fieldSize);
            return;
        }
        const std::size_t length = static_cast<const char*>(end) - source;
        std::memset(field, 0, fieldSize);
        std::memcpy(field, source, length);
    }

private:
    void setError(char* field, std::size_t fieldSize) {
        std::memset(field, 0, fieldSize);
        std::memcpy(field, "error", 5);
        --result;
    }

    const unsigned char* data_;
    std::size_t size_;
    bool reversed_;
};

float* optionArray(EffectOptions& options) { return &options.dspSave; }

void readInfoTexts(ImageReader& in, std::size_t base, PresetInfo& info) {
    in.text(base + 128, info.creationDate, kInfoDateSize);
    in.text(base + 144, info.modificationDate, kInfoDateSize);
    in.text(base + 64, info.authorName, kInfoTextSize);
    in.text(base + 32, info.bankName, kInfoTextSize);
    in.text(base + 0, info.presetName, kInfoTextSize);
    in.text(base + 96, info.projectName, kInfoTextSize);
}

void readVersion2(ImageReader& in, EffectState& state) {
    state.slotSelector = in.rawFloat(1772);
    if (!(state.slotSelector >= 0.0f && state.slotSelector <= 1.0f)) {
        state.slotSelector = state.slotSelector > 1.0f ? 1.0f : 0.0f;
        in.result = 0;
    }
    float* options = optionArray(state.options);
    for (int i = 0; i < 18; ++i) {
        if (i == 16 || (i >= 12 && i <= 15)) continue;  // order mark; clip and M/S options come later
        options[i] = in.clampedFloat(1776 + 4 * static_cast<std::size_t>(i), 0.0f, kOptionHigh[i]);
    }
    const bool crosswise = in.rawFloat(1840) == 0.0f;
    for (int s = 0; s < 2; ++s) {
        const std::size_t base = 4 + 884 * static_cast<std::size_t>(s);
        SettingsSlot& slot = state.slot[s];
        slot.modified = in.clampedInt(base + 852, 0, 1);
        slot.secondChange = in.clampedInt(base + 856, 0, 1);
        slot.channelSelector = in.clampedFloat(base + 860, 0.0f, 1.0f);
        float* coupling = &slot.coupling.linked;
        for (int k = 0; k < 5; ++k) coupling[k] = in.clampedFloat(base + 864 + 4 * static_cast<std::size_t>(k), 0.0f, 1.0f);
        in.text(base + 828, slot.name, kSlotNameSize);
        const std::size_t info = base + 652;
        readInfoTexts(in, info, slot.info);
        slot.info.activeBandCount = in.clampedInt(info + 160, 0, 8);
        slot.info.presetNumber = in.clampedInt(info + 172, -1, 10000, false);
        slot.info.factory = in.clampedInt(info + 164, 0, 1);
        slot.info.channelMode = in.clampedInt(info + 168, 0, 2);
        SettingsRecord& record = slot.settings;
        record.generalOn = in.clampedFloat(base + 584, 0.0f, 1.0f);
        for (int c = 0; c < 2; ++c) {
            const std::size_t block = base + 164 * static_cast<std::size_t>(crosswise ? 1 - c : c);
            record.channel[c].volume = in.clampedFloat(block + 96, 0.0f, 1.0f);
            for (int b = 0; b < kBandCount; ++b) {
                const std::size_t at = block + 12 * static_cast<std::size_t>(b);
                record.channel[c].band[b].frequency = in.clampedFloat(at, 0.0f, 1.0f);
                record.channel[c].band[b].quality = in.clampedFloat(at + 4, 0.0f, 1.0f);
                record.channel[c].band[b].gain = in.clampedFloat(at + 8, 0.0f, 1.0f);
            }
        }
        for (int b = 0; b < kBandCount; ++b) {
            const std::size_t at = base + 328 + 32 * static_cast<std::size_t>(b);
            record.band[b].type = in.clampedFloat(at, 0.0f, 1.0f);
            record.band[b].on = in.clampedFloat(at + 4, 0.0f, 1.0f);
            in.text(at + 8, record.band[b].name, kBandNameSize);
        }
    }
}

// A version-1 channel record (360 bytes): eight band triples, eight band blocks (type, on, name),
// the general volume, the general on/off.
void readVersion1(ImageReader& in, EffectState& state) {
    state.slotSelector = in.rawFloat(724);
    if (!(state.slotSelector >= 0.0f && state.slotSelector <= 1.0f)) {
        state.slotSelector = state.slotSelector > 1.0f ? 1.0f : 0.0f;
        in.result = 0;
    }
    float* options = optionArray(state.options);
    for (int i = 0; i < 11; ++i) options[i] = in.clampedFloat(728 + 4 * static_cast<std::size_t>(i), 0.0f, kOptionHigh[i]);

    SettingsSlot& slot = state.slot[0];
    in.text(948, slot.name, kSlotNameSize);
    in.text(772, slot.info.presetName, kInfoTextSize);
    in.text(804, slot.info.bankName, kInfoTextSize);
    in.text(836, slot.info.authorName, kInfoTextSize);
    in.text(868, slot.info.projectName, kInfoTextSize);
    in.text(900, slot.info.creationDate, kInfoDateSize);
    in.text(916, slot.info.modificationDate, kInfoDateSize);
    slot.info.activeBandCount = in.clampedInt(932, 0, 8);
    slot.info.factory = in.clampedInt(936, 0, 1);
    slot.info.presetNumber = in.clampedInt(944, -1, 10000, false);
    slot.info.channelMode = kChannelModeLinked;
    slot.channelSelector = 1.0f;
    slot.coupling = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    slot.modified = 0;
    slot.secondChange = 0;
    SettingsRecord& record = slot.settings;
    for (int c = 0; c < 2; ++c) {
        const std::size_t channel = 4 + 360 * static_cast<std::size_t>(c);
        for (int b = 0; b < kBandCount; ++b) {
            const std::size_t at = channel + 12 * static_cast<std::size_t>(b);
            record.channel[c].band[b].frequency = in.clampedFloat(at, 0.0f, 1.0f);
            record.channel[c].band[b].quality = in.clampedFloat(at + 4, 0.0f, 1.0f);
            record.channel[c].band[b].gain = in.clampedFloat(at + 8, 0.0f, 1.0f);
        }
        record.channel[c].volume = in.clampedFloat(channel + 352, 0.0f, 1.0f);
    }
    for (int b = 0; b < kBandCount; ++b) {
        const std::size_t at = 4 + 96 + 32 * static_cast<std::size_t>(b);
        record.band[b].type = in.clampedFloat(at, 0.0f, 1.0f);
        record.band[b].on = in.clampedFloat(at + 4, 0.0f, 1.0f);
        in.text(at + 8, record.band[b].name, kBandNameSize);
    }
    record.generalOn = in.clampedFloat(4 + 356, 0.0f, 1.0f);
    state.slot[1] = slot;
}

// The version that a byte order gives: 1 or 2, or 0 when the value is no 1.x or 2.x version or the
// data is shorter than that version's image.
int versionOf(float version, std::size_t size) {
    if (!(version >= 1.0f && version < 3.0f)) return 0;
    const int major = static_cast<int>(version);
    if (size < (major == 1 ? kVersion1ChunkSize : kStateChunkSize)) return 0;
    return major;
}

struct Attempt {
    EffectState image;
    int result;
    float version;
};

void readImage(Attempt& attempt, const unsigned char* data, std::size_t size, bool reversed, int major) {
    ImageReader in(data, size, reversed);
    attempt.version = in.rawFloat(0);
    if (major == 2) {
        readVersion2(in, attempt.image);
    } else {
        readVersion1(in, attempt.image);
    }
    EffectOptions& options = attempt.image.options;
    if (attempt.version == kStateVersion) {
        const int counted = in.result;  // these four are taken as stored, only kept in range
        options.showClip = in.clampedFloat(1824, 0.0f, 1.0f);
        options.holdClip = in.clampedFloat(1828, 0.0f, 1.0f);
        options.decodageMS = in.clampedFloat(1832, 0.0f, 1.0f);
        options.codageMS = in.clampedFloat(1836, 0.0f, 1.0f);
        in.result = counted;
    } else {
        options.showClip = 1.0f;
        options.holdClip = 0.0f;
        options.decodageMS = 1.0f;
        options.codageMS = 1.0f;
    }
    attempt.result = in.result;
}

}  // namespace

std::size_t PrepareStateChunk(EffectState& state) {
    for (SettingsSlot& slot : state.slot) {
        if (slot.info.channelMode == kChannelModeLinked) {
            slot.coupling.linked = 1.0f;
            slot.coupling.mirrored = 0.0f;
            slot.coupling.relative = 0.0f;
        }
    }
    state.version = kStateVersion;
    state.options.channelOrderMark = 1.0f;
    return sizeof(EffectState);
}

ChunkReadOutcome ReadStateChunk(EffectState& state, const void* data, std::size_t size) {
    ChunkReadOutcome outcome;
    if (data == nullptr || size < 4) return outcome;
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint32_t bits;
    std::memcpy(&bits, bytes, 4);
    const int nativeVersion = versionOf(floatFromBits(bits), size);
    const int reversedVersion = versionOf(floatFromBits(reverse(bits)), size);
    if (nativeVersion == 0 && reversedVersion == 0) return outcome;

    // The native order wins unless only the reversed one gives a version; when both do, the order
    // with fewer problems wins.
    Attempt native{state, kChunkRejected, 0.0f};
    Attempt reversed{state, kChunkRejected, 0.0f};
    if (nativeVersion != 0) readImage(native, bytes, size, false, nativeVersion);
    if (reversedVersion != 0) readImage(reversed, bytes, size, true, reversedVersion);
    const bool useReversed = nativeVersion == 0 || (reversedVersion != 0 && reversed.result > native.result);
    Attempt& chosen = useReversed ? reversed : native;

    EffectState& image = chosen.image;
    if (image.options.saveInProject < 0.5f) {
        // Options travel with the project only while that option is on.
        const float saveInProject = image.options.saveInProject;
        image.options = state.options;
        image.options.saveInProject = saveInProject;
    }
    image.version = kStateVersion;
    image.options.channelOrderMark = 1.0f;
    state = image;
    outcome.result = chosen.result;
    outcome.accepted = true;
    outcome.byteReversed = useReversed;
    outcome.version = useReversed ? reversedVersion : nativeVersion;
    return outcome;
}
