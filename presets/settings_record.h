// The settings record of one preset as key/value records: the key table, the writer and the reader.
#pragma once

#include <string>

#include "effect/effect_state.h"
#include "presets/record_format.h"

constexpr int kRecordKeyCount = 43;        // indexes 0 to 42; 34 has no key
constexpr int kChannelKeyCount = 21;       // indexes 0 to 20 are written once per channel
constexpr int kFirstNameKey = 35;          // 35 to 42: band names
constexpr const char* kLeftPrefix = "@LEFT@";
constexpr const char* kRightPrefix = "@RIGH@";

// The record key of index (0 to 42); null for 34 and out-of-range indexes.
const char* RecordKeyName(int index);

// The float field of setting index 0 to 33 in channel (0 or 1; ignored for 21 to 33); null otherwise.
float* SettingsField(SettingsRecord& record, int index, int channel);
const float* SettingsField(const SettingsRecord& record, int index, int channel);

// 1: numeric key (key and value filled), 2: name key (key and text filled), 0: no key.
int GetRecordKey(const SettingsRecord& record, int index, int channel, std::string& key, float& value,
                 std::string& text);

// Stores value, clamped to 0.0 to 1.0, in the field of the numeric key named key (channel 0 or 1 for
// per-channel keys); false when no numeric key has that name.
bool SetRecordKey(SettingsRecord& record, int channel, const char* key, float value);

// The 63 lines of a settings record.
void WriteSettingsRecord(std::string& out, const SettingsRecord& record);
// Applies every record of the reader's text to record; unknown keys are skipped. A band name whose
// value is empty (the next token is a key) or longer than 23 characters keeps the name it had.
void ReadSettingsRecord(TokenReader& reader, SettingsRecord& record);
// True when token is a record key (with or without channel prefix) or the end of a preset block.
bool IsRecordKeyToken(const char* token);
