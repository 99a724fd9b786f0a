// The names a user may type into the editor's name fields: 1 to 31 characters (band names 1 to 23),
// each a letter, a digit, a space or one of _ ( ) + - / &.
#pragma once

#include <cstddef>
#include <string_view>

namespace name_rules {

constexpr std::size_t kStoreNameLength = 31;
constexpr std::size_t kBandNameLength = 23;

constexpr bool allowedCharacter(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    for (char extra : std::string_view("_()+-/& "))
        if (c == extra) return true;
    return false;
}

constexpr bool accepted(std::string_view text, std::size_t longest) {
    if (text.empty() || text.size() > longest) return false;
    for (char c : text)
        if (!allowedCharacter(c)) return false;
    return true;
}

}  // namespace name_rules
