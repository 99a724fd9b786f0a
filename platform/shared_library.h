// Loading a shared library at run time: the editor's file dialog lives in one of its own. One
// implementation file per platform. Any thread.
#pragma once

namespace platform {

// Loads `baseName` ("Morvashel" → Morvashel.dll / Morvashel.so) from the folder of this module first,
// then through the system's own search. Null when neither loads.
void* openLibrary(const char* baseName);
// The exported symbol, or null.
void* librarySymbol(void* library, const char* name);
void closeLibrary(void* library);

}  // namespace platform
