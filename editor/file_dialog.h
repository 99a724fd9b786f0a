// The file dialog of bank export and import: the outside library is loaded for each call and let go
// after it; without it nothing is asked. User-interface thread.
#pragma once

#include <array>
#include <functional>

#include "filedialog/morvashel.h"

namespace file_dialog {

using PathBuffer = std::array<char, morvashel::kPathBufferSize>;

// Asks for a bank file to write (morvashel::kExport) or read (kImport). True when the user confirmed;
// `path` then holds the chosen path, terminated. `path` may hold a proposed name on entry.
bool ask(int mode, PathBuffer& path);

// Tests answer in place of the library (null: the library again).
using Dialog = std::function<int(char* path, int mode, const char* extension, const char* pattern, const char* filter)>;
void setDialogForTests(Dialog dialog);

}  // namespace file_dialog
