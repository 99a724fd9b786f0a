// The options file "options": the user's display, snapping and processing preferences.
#pragma once

#include <string>

#include "effect/effect_state.h"
#include "presets/install_directory.h"
#include "presets/record_format.h"

constexpr const char* kOptionsFileName = "options";

EffectOptions DefaultOptions();

// The seventeen option records; "SAVE_IN_PROJECT" is always written as 0.
void WriteOptions(std::string& out, const EffectOptions& options);
// Applies every known record of the reader's text; values are kept within the ranges that the
// state chunk accepts.
void ReadOptions(TokenReader& reader, EffectOptions& options);

// The options file in directory; a missing file or an invalid directory changes nothing.
bool ReadOptionsFile(const PresetDirectory& directory, EffectOptions& options);
bool SaveOptionsFile(const PresetDirectory& directory, const EffectOptions& options);
