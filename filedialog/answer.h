// The path buffer's two crossings, shared by both platforms: the proposed name read from it, the
// chosen path written back into it, and the default extension that an export name without one gets.
//
// Threads: any; pure functions.
#pragma once

#include <string>
#include <string_view>

namespace morvashel {

// The proposed file name held by `buffer` (kPathBufferSize bytes). Empty when the buffer is null, empty
// or holds no terminator within its size (nothing sensible to propose).
std::string proposedPath(const char* buffer);

// True when the last path component has no extension of its own ("bank", ".hidden", "dir.d/bank"),
// the case in which a save dialog adds the default one.
bool lacksExtension(std::string_view path);

// `path` with "." + `extension` appended when it lacks an extension and `extension` is not empty.
std::string withDefaultExtension(std::string_view path, std::string_view extension);

// Writes `answer` and its terminator into `buffer` (kPathBufferSize bytes). Refuses, leaving the buffer
// untouched, an empty answer, one holding a NUL, or one too long to fit whole: a cut path would name
// another file.
bool storeAnswer(std::string_view answer, char* buffer);

// The extension argument as the dialogs want it: at most a short word, no leading dot, no separators;
// empty when the caller's text is null or unusable.
std::string defaultExtension(const char* extension);

}  // namespace morvashel
