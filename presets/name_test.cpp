#include "presets/name_test.h"

namespace {

bool isNameCharacter(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    switch (c) {
        case '_': case '(': case ')': case '+': case '-': case '.': case '/': case '&': case ' ':
            return true;
        default:
            return false;
    }
}

}  // namespace

bool HasOnlyNameCharacters(std::string_view text) {
    for (char c : text) {
        if (!isNameCharacter(c)) return false;
    }
    return true;
}

bool IsValidName(std::string_view text, std::size_t maxCharacters) {
    return !text.empty() && text.size() <= maxCharacters && HasOnlyNameCharacters(text);
}
