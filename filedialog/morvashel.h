// The file-dialog library "Morvashel" that the editor loads by name for bank export and import:
// Morvashel.dll on Windows, Morvashel.so on Linux, exporting one C function.
//
// Threads: the caller's user-interface thread; the call returns when the user has answered.
#pragma once

#ifdef _WIN32
#define MORVASHEL_EXPORT extern "C" __declspec(dllexport)
#else
#define MORVASHEL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace morvashel {
// Bytes the path buffer holds, terminator included: at least the longest path either platform allows.
constexpr int kPathBufferSize = 4096;
// Modes.
constexpr int kExport = 0;  // choose a file to write (asks before replacing one)
constexpr int kImport = 1;  // choose an existing file to read
// Results.
constexpr int kConfirmed = 1;
constexpr int kNotConfirmed = 0;
}  // namespace morvashel

// Shows the dialog. `path` (kPathBufferSize bytes) may hold a proposed file name on entry; on
// kConfirmed it holds the chosen path, terminated. `extension` is the default extension without the
// dot ("tovin"), `pattern` the file pattern ("*.tovin"), `filter` the filter list in the form
// "Name (*.ext)|*.ext|All Files (*.*)|*.*||". Any other answer (cancel, no dialog available, bad
// arguments) is kNotConfirmed, the buffer then unchanged.
MORVASHEL_EXPORT int DialogueFichier(char* path, int mode, const char* extension, const char* pattern,
                                     const char* filter);

// The function's type, for the caller that looks it up.
using DialogueFichierFunction = int (*)(char*, int, const char*, const char*, const char*);
