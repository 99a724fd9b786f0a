// The information record of a stored preset: its names, dates, counts and number.
#pragma once

#include <string>

#include "effect/effect_state.h"
#include "presets/record_format.h"

// The information record of a preset that is read: names and dates that a file leaves out.
PresetInfo DefaultPresetInfo(int number);

// Today's local date as written in information records: " dd/mm/yyyy".
std::string TodayText();

// Sets info's modification date to today and appends its ten information lines.
void WritePresetInfo(std::string& out, PresetInfo& info);

// Results of ParseInfoLine.
constexpr int kInfoLineEnd = -1;
constexpr int kInfoLineOther = 0;
constexpr int kInfoLineNumberMismatch = 1;
constexpr int kInfoLineBegin = 2;
constexpr int kInfoLineFinish = 3;

// Reads one information record (key and, for information keys, value) into info.
int ParseInfoLine(TokenReader& reader, PresetInfo& info);

// Number of band switches of record that are on (0 to 8).
int ActiveBandCount(const SettingsRecord& record);
