#include "filedialog/filter.h"

#include <cstring>

namespace morvashel {

namespace {

constexpr char kFieldSeparator = '|';
constexpr char kPatternSeparator = ';';

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<FilterEntry> parseFilter(const char* filter, const char* pattern) {
    std::vector<FilterEntry> entries;
    if (filter != nullptr) {
        // memchr, not strlen: an unterminated text is never read past the limit.
        const void* end = std::memchr(filter, '\0', kFilterTextLimit);
        const bool terminated = end != nullptr;
        const std::size_t length = terminated ? static_cast<std::size_t>(static_cast<const char*>(end) - filter)
                                              : kFilterTextLimit;
        std::vector<std::string> fields;
        std::size_t start = 0;
        while (start <= length) {
            std::size_t stop = start;
            while (stop < length && filter[stop] != kFieldSeparator) {
                ++stop;
            }
            // The last field is whole only if the text really ended there.
            if (stop == length && !terminated) {
                break;
            }
            if (stop == start) {
                break;  // an empty field ends the list
            }
            fields.emplace_back(filter + start, stop - start);
            start = stop + 1;
        }
        for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
            entries.push_back({fields[i], fields[i + 1]});
        }
    }
    if (entries.empty() && pattern != nullptr) {
        const void* end = std::memchr(pattern, '\0', kFilterTextLimit);
        if (end != nullptr && end != pattern) {
            const std::string text(pattern, static_cast<const char*>(end));
            entries.push_back({text, text});
        }
    }
    return entries;
}

std::string win32Filter(const std::vector<FilterEntry>& entries) {
    std::string form;
    for (const FilterEntry& entry : entries) {
        const std::size_t grown = form.size() + entry.name.size() + 1 + entry.patterns.size() + 1;
        if (grown + 1 > kWin32FilterLimit) {
            break;  // whole pairs only; the final NUL must still fit
        }
        form += entry.name;
        form += '\0';
        form += entry.patterns;
        form += '\0';
    }
    if (!form.empty()) {
        form += '\0';
    }
    return form;
}

std::vector<std::string> splitPatterns(const std::string& patterns) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t stop = patterns.find(kPatternSeparator, start);
        if (stop == std::string::npos) {
            stop = patterns.size();
        }
        std::size_t first = start;
        std::size_t last = stop;
        while (first < last && isBlank(patterns[first])) {
            ++first;
        }
        while (last > first && isBlank(patterns[last - 1])) {
            --last;
        }
        if (last > first) {
            words.emplace_back(patterns, first, last - first);
        }
        start = stop + 1;
    }
    return words;
}

}  // namespace morvashel
