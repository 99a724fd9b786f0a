// The dialog's file-type filter: the caller's "Name|Patterns|Name|Patterns||" text read into entries,
// and the Win32 form (each name and pattern list NUL-terminated, the list ended by an empty string).
//
// Threads: any; pure functions.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace morvashel {

// The longest filter text read; a filter whose terminator lies further is read up to here only.
constexpr std::size_t kFilterTextLimit = 1024;
// The Win32 form never grows past this, its two terminating NULs included.
constexpr std::size_t kWin32FilterLimit = 1024;

struct FilterEntry {
    std::string name;      // "Tovin Files (*.tovin)"
    std::string patterns;  // "*.tovin", several separated by ';'
};

// Reads complete name/pattern pairs up to the first empty field or the end of the text: a name left
// without its pattern list, a field cut by kFilterTextLimit and everything after an empty field are
// dropped. When no pair remains, `pattern` (if not empty) serves as its own name. Null means empty.
std::vector<FilterEntry> parseFilter(const char* filter, const char* pattern);

// The Win32 form of `entries`: whole pairs only, as many as fit in kWin32FilterLimit. Empty (no
// filter at all) when none fits; otherwise ends in two NULs.
std::string win32Filter(const std::vector<FilterEntry>& entries);

// The patterns of one entry as separate words ("*.a;*.b" → "*.a", "*.b"), blanks around them dropped.
std::vector<std::string> splitPatterns(const std::string& patterns);

}  // namespace morvashel
