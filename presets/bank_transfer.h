// Bank export and import: one file that wraps the preset files of a bank between marker records.
#pragma once

#include <string>

#include "presets/preset_store.h"

constexpr const char* kExportType = "Tovin";
constexpr double kExportVersion = 1.34;

// Writes the current bank (sort mode "Bank Name" only) to path. Presets whose files cannot be read
// are left out. False when nothing was written.
bool ExportBank(const PresetStore& store, const std::string& path);

// Reads an export file into a new bank of user presets; returns the number of presets imported, or
// -1 when the file is missing or not an export file.
int ImportBank(PresetStore& store, const std::string& path);
