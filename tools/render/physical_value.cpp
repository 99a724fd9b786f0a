#include "tools/render/physical_value.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "effect/parameter_mapping.h"
#include "effect/parameter_tables.h"

namespace render {
namespace {

constexpr float kKilo = 1000.0f;
// Typed values may miss a table's end by rounding ("20k" against 20000.0001).
constexpr float kRangeSlack = 1e-4f;

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string trimmed(const char* padded) {
    std::string name(padded);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

// A number followed by an optional suffix; the rest of the text must be the suffix.
bool number(std::string_view text, float& value, std::string& rest) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;  // "+3dB"
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || !std::isfinite(value)) return false;
    rest = lower(std::string_view(end, static_cast<size_t>(last - end)));
    return true;
}

bool frequency(std::string_view text, float& hz) {
    std::string rest;
    if (!number(text, hz, rest)) return false;
    if (rest.rfind("k", 0) == 0) {
        hz *= kKilo;
        rest.erase(0, 1);
    }
    return rest.empty() || rest == "hz";
}

bool gain(std::string_view text, float& db) {
    std::string rest;
    return number(text, db, rest) && (rest.empty() || rest == "db");
}

bool plain(std::string_view text, float& value) {
    std::string rest;
    return number(text, value, rest) && (rest.empty() || rest == "q");
}

const char* unitOf(param::Quantity quantity) {
    switch (quantity) {
        case param::Quantity::Frequency: return " Hz";
        case param::Quantity::Gain: return " dB";
        case param::Quantity::Quality: return "";
    }
    return "";
}

// Words for the switches: on/off for all, and each type switch's own two choices.
bool switchValue(int index, std::string_view text, float& normalized) {
    const std::string word = lower(text);
    if (word == "on" || word == "1" || word == "yes" || word == "true") return normalized = 1.0f, true;
    if (word == "off" || word == "0" || word == "no" || word == "false") return normalized = 0.0f, true;
    const param::SwitchParam& p = param::kSwitches[static_cast<size_t>(index - param::kHPOn)];
    if (p.field != param::SwitchField::Type) return false;
    std::string on = lower(p.onText), off = lower(p.offText);
    on.erase(std::remove(on.begin(), on.end(), ' '), on.end());
    off.erase(std::remove(off.begin(), off.end(), ' '), off.end());
    // "HighShelf" or "shelf", "HighPass 12dB" or "12dB".
    const auto matches = [&](const std::string& choice) {
        return word == choice || (word.size() >= 2 && choice.size() >= word.size() &&
                                  choice.compare(choice.size() - word.size(), word.size(), word) == 0);
    };
    if (matches(on)) return normalized = 1.0f, true;
    if (matches(off)) return normalized = 0.0f, true;
    return false;
}

}  // namespace

int ParameterIndex(std::string_view name) {
    const std::string wanted = lower(name);
    for (int i = 0; i < param::kNumHostParams; ++i)
        if (lower(ParameterName(i)) == wanted) return i;
    return -1;
}

std::string ParameterName(int index) {
    if (param::isContinuous(index)) return trimmed(param::kContinuous[static_cast<size_t>(index)].shortName);
    if (param::isSwitch(index)) return trimmed(param::kSwitches[static_cast<size_t>(index - param::kHPOn)].shortName);
    return {};
}

bool IsTypeSwitch(int index) {
    return param::isSwitch(index) &&
           param::kSwitches[static_cast<size_t>(index - param::kHPOn)].field == param::SwitchField::Type;
}

bool NormalizedValue(int index, float bandType, std::string_view text, float& normalized, std::string& error) {
    const std::string name = ParameterName(index);
    if (param::isSwitch(index)) {
        if (switchValue(index, text, normalized)) return true;
        const param::SwitchParam& p = param::kSwitches[static_cast<size_t>(index - param::kHPOn)];
        error = name + "=" + std::string(text) + ": not a switch value (on or off" +
                (p.field == param::SwitchField::Type ? std::string(", \"") + p.offText + "\" or \"" + p.onText + "\"" : "") +
                ")";
        return false;
    }
    if (!param::isContinuous(index)) {
        error = "no parameter " + std::to_string(index);
        return false;
    }
    const param::Quantity quantity = param::kContinuous[static_cast<size_t>(index)].quantity;
    float physical = 0.0f;
    bool read = false;
    switch (quantity) {
        case param::Quantity::Frequency: read = frequency(text, physical); break;
        case param::Quantity::Gain: read = gain(text, physical); break;
        case param::Quantity::Quality: read = plain(text, physical); break;
    }
    const auto table = param::mappingTable(index, bandType);
    char range[96];
    std::snprintf(range, sizeof(range), "%g to %g%s", static_cast<double>(table.front()), static_cast<double>(table.back()),
                  unitOf(quantity));
    if (!read) {
        error = name + "=" + std::string(text) + ": not a value (" + range +
                (quantity == param::Quantity::Frequency ? ", e.g. 1200, 1.2k or 1.2kHz)" : ")");
        return false;
    }
    const float slack = kRangeSlack * std::max(1.0f, std::fabs(table.back()));
    if (physical < table.front() - slack || physical > table.back() + slack) {
        error = name + "=" + std::string(text) + ": outside the knob's range, " + range;
        return false;
    }
    normalized = param::toNormalized(index, bandType, physical);
    return true;
}

}  // namespace render
