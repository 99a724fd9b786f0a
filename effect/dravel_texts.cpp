// Parameter names, display texts, properties and typed entry.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "effect/display_texts.h"
#include "effect/dravel.h"
#include "effect/parameter_mapping.h"
#include "effect/relaxed.h"
#include "presets/name_test.h"
#include "presets/record_format.h"

using namespace param;

namespace {

const char* shortNameOf(int index) {
    if (isContinuous(index)) return kContinuous[static_cast<std::size_t>(index)].shortName;
    if (isSwitch(index)) return kSwitches[static_cast<std::size_t>(index - kHPOn)].shortName;
    return nullptr;
}

const char* longNameOf(int index) {
    if (isContinuous(index)) return kContinuous[static_cast<std::size_t>(index)].longName;
    if (isSwitch(index)) return kSwitches[static_cast<std::size_t>(index - kHPOn)].longName;
    return nullptr;
}

}  // namespace

void CDravel::getParameterName(VstInt32 index, char* text) {
    if (text == nullptr) return;
    // Some hosts give exactly kVstMaxParamStrLen bytes, terminator included: the eight-character padded
    // name is cut to seven (every name's letters fit in seven; only a padding space goes).
    if (const char* name = shortNameOf(index)) vstCopyText(text, name, kVstMaxParamStrLen);
}

void CDravel::getParameterLabel(VstInt32, char* text) {
    if (text != nullptr) text[0] = 0;
}

void CDravel::getParameterDisplay(VstInt32, char* text) {
    if (text != nullptr) text[0] = 0;
}

bool CDravel::getParameterProperties(VstInt32 index, VstParameterProperties* p) {
    if (p == nullptr || index < 0 || index >= kNumHostParams) return false;
    vstCopyText(p->label, longNameOf(index), kVstMaxLabelLen);
    // The short label field holds eight characters and no terminator: copy at most the field.
    const char* shortName = shortNameOf(index);
    const std::size_t length = std::strlen(shortName);
    std::memset(p->shortLabel, 0, kVstMaxShortLabelLen);
    std::memcpy(p->shortLabel, shortName, length < kVstMaxShortLabelLen ? length : kVstMaxShortLabelLen);
    if (isSwitch(index)) {
        p->flags = kVstParameterIsSwitch;
        p->stepInteger = 2;
    }
    return true;
}

const char* CDravel::longName(int32_t index) {
    const char* name = longNameOf(index);
    return name != nullptr ? name : "";
}

int CDravel::automationClass(int32_t index) { return param::automationClass(index); }

const char* CDravel::displayText(int32_t index) {
    formatDisplay(index, textBuffer_, sizeof(textBuffer_));
    return textBuffer_;
}

void CDravel::formatDisplay(int index, char* text, int size) {
    text[0] = 0;
    if (!state_ || index < 0 || index > kLastIndex) return;
    const EffectState& s = *state_;
    const SettingsSlot& slot = s.slot[activeSlotIndex()];
    if (isContinuous(index)) {
        const ContinuousParam& p = kContinuous[static_cast<std::size_t>(index)];
        const float type = p.band >= 0 ? loadRelaxed(slot.settings.band[p.band].type) : 0.0f;
        const float physical = toPhysical(index, type, getParameter(index));
        switch (p.quantity) {
            case Quantity::Frequency:
                formatFrequency(physical, loadRelaxed(s.options.displayNotes) >= 0.5f, text, size);
                break;
            case Quantity::Quality: formatQuality(physical, loadRelaxed(s.options.displayQOct) >= 0.5f, text, size); break;
            case Quantity::Gain: formatGain(physical, text, size); break;
        }
        return;
    }
    if (isSwitch(index)) {
        const SwitchParam& p = kSwitches[static_cast<std::size_t>(index - kHPOn)];
        std::snprintf(text, static_cast<size_t>(size), "%s", getParameter(index) >= 0.5f ? p.onText : p.offText);
        return;
    }
    if (index >= kFirstBandName && index <= kLastBandName) {
        char name[kBandNameSize];
        std::memcpy(name, slot.settings.band[index - kFirstBandName].name, sizeof(name));
        name[kBandNameSize - 1] = 0;
        std::snprintf(text, static_cast<size_t>(size), "%s", name);
        return;
    }
    if (index >= kFirstStoreText && index <= kLastStoreText) {
        // The description of the preset loaded into (or saved from) the active slot.
        const PresetInfo& info = slot.info;
        const char* field = nullptr;
        int fieldSize = kInfoTextSize;
        switch (index) {
            case kFirstStoreText: field = info.bankName; break;
            case kPresetNameText: field = info.presetName; break;
            case kPresetNameText + 1: field = info.bankName; break;
            case kPresetNameText + 2: field = info.authorName; break;
            case kPresetNameText + 4: field = info.projectName; break;
            case kLastStoreText - 1: field = info.creationDate; fieldSize = kInfoDateSize; break;
            case kLastStoreText: field = info.modificationDate; fieldSize = kInfoDateSize; break;
            default: return;
        }
        char value[kInfoTextSize];
        std::memcpy(value, field, static_cast<size_t>(fieldSize));
        value[fieldSize - 1] = 0;
        const bool marked = index == kPresetNameText && loadRelaxed(slot.modified) != 0;
        std::snprintf(text, static_cast<size_t>(size), "%s%s", value, marked ? "*" : "");
        return;
    }
    if (index == kVersionText) {
        char number[16];
        formatQuality(kVersionNumber, false, number, sizeof(number));
        std::snprintf(text, static_cast<size_t>(size), "V%s (%s / %s) Generic", number, kBuildDate, kBuildTime);
        return;
    }
}

void CDravel::setFromTypedText(int32_t index, const char* text) {
    if (!state_ || !isContinuous(index) || text == nullptr) return;
    const EffectState& s = *state_;
    const ContinuousParam& p = kContinuous[static_cast<std::size_t>(index)];
    const bool notes = loadRelaxed(s.options.displayNotes) >= 0.5f;
    if (p.quantity != Quantity::Gain && notes) return;  // frequencies and Q are typed only as numbers
    double number = ParseNumber(text);
    if (number != number) number = 0.0;  // "nan" typed in never reaches a table
    if (p.quantity == Quantity::Quality && loadRelaxed(s.options.displayQOct) >= 0.5f)
        number = number != 0.0 ? 1.0 / (2.0 * number) : 1.0e308;
    const float physical = number > 3.0e38 ? 3.0e38f : (number < -3.0e38 ? -3.0e38f : static_cast<float>(number));
    const float type = p.band >= 0 ? bandType(p.band) : 0.0f;
    setParameterAutomated(index, toNormalized(index, type, physical));
}

bool CDravel::setBandName(int32_t index, const char* text) {
    if (!state_ || index < kFirstBandName || index > kLastBandName || text == nullptr) return false;
    // Bounded before the name test looks at it: a longer text fails the test anyway.
    const std::string_view name(text, strnlen(text, kBandNameSize));
    if (!IsValidName(name, kBandNameLimit)) return false;
    SettingsSlot& slot = state_->slot[activeSlotIndex()];
    char* field = slot.settings.band[index - kFirstBandName].name;
    std::memset(field, 0, kBandNameSize);
    std::memcpy(field, name.data(), name.size());
    if (loadRelaxed(slot.modified) == 0) {
        storeRelaxed(slot.modified, int32_t{1});
        notify(kPresetNameText, 0.0f);
    }
    notify(index, 0.0f);
    return true;
}
