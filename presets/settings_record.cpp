#include "presets/settings_record.h"

#include <cstring>

namespace {

enum class FieldKind { Frequency, Quality, Gain, Volume, On, Type, GeneralOn, None, Name };

struct KeyEntry {
    const char* name;
    FieldKind kind;
    int band;
};

constexpr KeyEntry kKeys[kRecordKeyCount] = {
    {"BANDE1_FREQ", FieldKind::Frequency, kBandHP},  {"BANDE1_QUAL", FieldKind::Quality, kBandHP},
    {"BANDE2_FREQ", FieldKind::Frequency, kBandB1},  {"BANDE2_QUAL", FieldKind::Quality, kBandB1},
    {"BANDE2_GAIN", FieldKind::Gain, kBandB1},       {"BANDE3_FREQ", FieldKind::Frequency, kBandB2},
    {"BANDE3_QUAL", FieldKind::Quality, kBandB2},    {"BANDE3_GAIN", FieldKind::Gain, kBandB2},
    {"BANDE4_FREQ", FieldKind::Frequency, kBandB3},  {"BANDE4_QUAL", FieldKind::Quality, kBandB3},
    {"BANDE4_GAIN", FieldKind::Gain, kBandB3},       {"BANDE5_FREQ", FieldKind::Frequency, kBandB4},
    {"BANDE5_QUAL", FieldKind::Quality, kBandB4},    {"BANDE5_GAIN", FieldKind::Gain, kBandB4},
    {"BANDE6_FREQ", FieldKind::Frequency, kBandB5},  {"BANDE6_QUAL", FieldKind::Quality, kBandB5},
    {"BANDE6_GAIN", FieldKind::Gain, kBandB5},       {"BANDE7_FREQ", FieldKind::Frequency, kBandLP},
    {"BANDE7_QUAL", FieldKind::Quality, kBandLP},    {"AIR_35K_GAIN", FieldKind::Gain, kBandAir},
    {"VOLUME_GENERAL", FieldKind::Volume, 0},        {"BANDE1_ON", FieldKind::On, kBandHP},
    {"BANDE1_TYPE", FieldKind::Type, kBandHP},       {"BANDE2_ON", FieldKind::On, kBandB1},
    {"BANDE2_TYPE", FieldKind::Type, kBandB1},       {"BANDE3_ON", FieldKind::On, kBandB2},
    {"BANDE4_ON", FieldKind::On, kBandB3},           {"BANDE5_ON", FieldKind::On, kBandB4},
    {"BANDE6_ON", FieldKind::On, kBandB5},           {"BANDE6_TYPE", FieldKind::Type, kBandB5},
    {"BANDE7_ON", FieldKind::On, kBandLP},           {"BANDE7_TYPE", FieldKind::Type, kBandLP},
    {"AIR_35K_ON", FieldKind::On, kBandAir},         {"ACTIF_GENERAL", FieldKind::GeneralOn, 0},
    {nullptr, FieldKind::None, 0},                   {"BANDE1_NAME", FieldKind::Name, kBandHP},
    {"BANDE2_NAME", FieldKind::Name, kBandB1},       {"BANDE3_NAME", FieldKind::Name, kBandB2},
    {"BANDE4_NAME", FieldKind::Name, kBandB3},       {"BANDE5_NAME", FieldKind::Name, kBandB4},
    {"BANDE6_NAME", FieldKind::Name, kBandB5},       {"BANDE7_NAME", FieldKind::Name, kBandLP},
    {"AIR_35K_NAME", FieldKind::Name, kBandAir},
};

}  // namespace

const char* RecordKeyName(int index) {
    if (index < 0 || index >= kRecordKeyCount) return nullptr;
    return kKeys[index].name;
}

float* SettingsField(SettingsRecord& record, int index, int channel) {
    if (index < 0 || index > 33) return nullptr;
    if (index < kChannelKeyCount && channel != 0 && channel != 1) return nullptr;
    const KeyEntry& entry = kKeys[index];
    switch (entry.kind) {
        case FieldKind::Frequency: return &record.channel[channel].band[entry.band].frequency;
        case FieldKind::Quality: return &record.channel[channel].band[entry.band].quality;
        case FieldKind::Gain: return &record.channel[channel].band[entry.band].gain;
        case FieldKind::Volume: return &record.channel[channel].volume;
        case FieldKind::On: return &record.band[entry.band].on;
        case FieldKind::Type: return &record.band[entry.band].type;
        case FieldKind::GeneralOn: return &record.generalOn;
        default: return nullptr;
    }
}

const float* SettingsField(const SettingsRecord& record, int index, int channel) {
    return SettingsField(const_cast<SettingsRecord&>(record), index, channel);
}

int GetRecordKey(const SettingsRecord& record, int index, int channel, std::string& key, float& value,
                 std::string& text) {
    if (index < 0 || index >= kRecordKeyCount || kKeys[index].name == nullptr) return 0;
    key = kKeys[index].name;
    if (kKeys[index].kind == FieldKind::Name) {
        text = FieldText(record.band[kKeys[index].band].name, kBandNameSize);
        return 2;
    }
    const float* field = SettingsField(record, index, index < kChannelKeyCount ? channel : 0);
    if (field == nullptr) return 0;
    value = *field;
    return 1;
}

bool SetRecordKey(SettingsRecord& record, int channel, const char* key, float value) {
    for (int index = 0; index <= 33; ++index) {
        if (std::strcmp(kKeys[index].name, key) != 0) continue;
        float* field = SettingsField(record, index, index < kChannelKeyCount ? channel : 0);
        if (field == nullptr) return false;
        *field = ClampValue(value, 0.0f, 1.0f);
        return true;
    }
    return false;
}

void WriteSettingsRecord(std::string& out, const SettingsRecord& record) {
    std::string key;
    std::string text;
    float value = 0.0f;
    for (int index = 0; index < kRecordKeyCount; ++index) {
        if (index < kChannelKeyCount) {
            GetRecordKey(record, index, 1, key, value, text);
            AppendFloatRecord(out, kRightPrefix + key, value);
            GetRecordKey(record, index, 0, key, value, text);
            AppendFloatRecord(out, kLeftPrefix + key, value);
            continue;
        }
        switch (GetRecordKey(record, index, -1, key, value, text)) {
            case 1: AppendFloatRecord(out, key, value); break;
            case 2: AppendRecord(out, key, text); break;
            default: break;
        }
    }
}

namespace {

// True when token names a record key, with or without a channel prefix, or ends a preset block.
bool isRecordKey(const char* token) {
    if (std::strcmp(token, "FIN_PRESET") == 0) return true;
    if (std::strncmp(token, kLeftPrefix, 6) == 0 || std::strncmp(token, kRightPrefix, 6) == 0) token += 6;
    for (const KeyEntry& entry : kKeys) {
        if (entry.name != nullptr && std::strcmp(entry.name, token) == 0) return true;
    }
    return false;
}

}  // namespace

bool IsRecordKeyToken(const char* token) { return isRecordKey(token); }

void ReadSettingsRecord(TokenReader& reader, SettingsRecord& record) {
    char token[kTokenSize];
    char value[kTokenSize];
    bool pending = false;  // token already holds the next key
    bool pendingEnd = false;
    for (;;) {
        if (!pending) {
            if (reader.readToken(token)) return;
        } else if (pendingEnd) {
            return;
        }
        pending = false;
        const char* key = token;
        int channel = -1;
        if (std::strncmp(token, kLeftPrefix, 6) == 0) {
            channel = 0;
            key = token + 6;
        }
        if (std::strncmp(token, kRightPrefix, 6) == 0) {
            channel = 1;
            key = token + 6;
        }
        int nameBand = -1;
        for (int index = kFirstNameKey; index < kRecordKeyCount; ++index) {
            if (std::strcmp(kKeys[index].name, key) == 0) nameBand = kKeys[index].band;
        }
        const bool end = reader.readToken(value);
        if (nameBand >= 0) {
            // An empty name ("!BANDE1_NAME##") yields no token of its own: when the value read is
            // the next key, the name is left as it was and that key is read next.
            if (isRecordKey(value)) {
                std::memcpy(token, value, kTokenSize);
                pending = true;
                pendingEnd = end;
                continue;
            }
            // A name longer than the field holds is not taken: the band keeps its name.
            if (value[0] != 0 && std::strlen(value) < kBandNameSize) {
                CopyText(record.band[nameBand].name, kBandNameSize, value);
            }
        } else {
            const float number = static_cast<float>(ParseNumber(value));
            if (channel >= 0) {
                SetRecordKey(record, channel, key, number);
            } else {
                SetRecordKey(record, 1, key, number);
                SetRecordKey(record, 0, key, number);
            }
        }
        if (end) return;
    }
}
