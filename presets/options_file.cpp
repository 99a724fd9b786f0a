#include "presets/options_file.h"

#include <cmath>
#include <cstring>

namespace {

enum class Form { Switch, Integer, Float, AlwaysZero };

struct OptionKey {
    const char* name;
    float EffectOptions::*field;
    Form form;
    float high;  // values are kept within 0 to high
};

// In file order.
constexpr OptionKey kOptionKeys[] = {
    {"DSP_SAVE", &EffectOptions::dspSave, Form::Switch, 1.0f},
    {"DISPLAY_VAL", &EffectOptions::displayVal, Form::Switch, 1.0f},
    {"DISPLAY_NAME", &EffectOptions::displayName, Form::Switch, 1.0f},
    {"SNAP_FREQ", &EffectOptions::snapFreq, Form::Integer, 10.0f},
    {"SNAP_RES", &EffectOptions::snapRes, Form::Integer, 10.0f},
    {"SNAP_GAIN", &EffectOptions::snapGain, Form::Integer, 10.0f},
    {"BANDE_ON_AUTO", &EffectOptions::bandeOnAuto, Form::Integer, 1.0f},
    {"GAIN_OUT_ON", &EffectOptions::gainOutOn, Form::Integer, 1.0f},
    {"DISPLAY_NOTES", &EffectOptions::displayNotes, Form::Integer, 1.0f},
    {"DISPLAY_QOCT", &EffectOptions::displayQOct, Form::Integer, 1.0f},
    {"INCR_WHEEL", &EffectOptions::incrWheel, Form::Float, 10.0f},
    {"GAIN_DROP_ALT", &EffectOptions::gainDropAlt, Form::Integer, 10.0f},
    {"SHOW_CLIP", &EffectOptions::showClip, Form::Integer, 1.0f},
    {"HOLD_CLIP", &EffectOptions::holdClip, Form::Integer, 1.0f},
    {"CODAGE_MS", &EffectOptions::codageMS, Form::Integer, 1.0f},
    {"DECODAGE_MS", &EffectOptions::decodageMS, Form::Integer, 1.0f},
    {"SAVE_IN_PROJECT", &EffectOptions::saveInProject, Form::AlwaysZero, 1.0f},
};

}  // namespace

EffectOptions DefaultOptions() {
    EffectOptions options{};
    options.bandeOnAuto = 1.0f;
    options.showClip = 1.0f;
    options.codageMS = 1.0f;
    options.decodageMS = 1.0f;
    options.channelOrderMark = 1.0f;
    return options;
}

void WriteOptions(std::string& out, const EffectOptions& options) {
    for (const OptionKey& key : kOptionKeys) {
        const float value = options.*key.field;
        switch (key.form) {
            case Form::Switch: AppendRecord(out, key.name, value >= 0.5f ? "1" : "0"); break;
            case Form::Float: AppendFloatRecord(out, key.name, value); break;
            case Form::AlwaysZero: AppendRecord(out, key.name, "0"); break;
            case Form::Integer:
                AppendRecord(out, key.name, FormatInteger(static_cast<int>(ClampValue(value, -1e6f, 1e6f))));
                break;
        }
    }
}

void ReadOptions(TokenReader& reader, EffectOptions& options) {
    char token[kTokenSize];
    char value[kTokenSize];
    for (;;) {
        if (reader.readToken(token)) return;
        const OptionKey* known = nullptr;
        for (const OptionKey& key : kOptionKeys) {
            if (std::strcmp(key.name, token) == 0) known = &key;
        }
        if (known == nullptr) continue;  // unknown keys are skipped one token at a time
        const bool end = reader.readToken(value);
        const float number = known->form == Form::Float ? static_cast<float>(ParseNumber(value))
                                                        : static_cast<float>(ParseInteger(value));
        options.*known->field = ClampValue(number, 0.0f, known->high);
        if (end) return;
    }
}

bool ReadOptionsFile(const PresetDirectory& directory, EffectOptions& options) {
    if (!directory.valid) return false;
    std::string text;
    if (!ReadWholeFile(directory.file(kOptionsFileName), text)) return false;
    TokenReader reader(std::move(text));
    ReadOptions(reader, options);
    return true;
}

bool SaveOptionsFile(const PresetDirectory& directory, const EffectOptions& options) {
    if (!directory.valid) return false;
    std::string text;
    WriteOptions(text, options);
    return WriteFileReplacing(directory.file(kOptionsFileName), text);
}
