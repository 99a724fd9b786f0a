// The test that every name shown or stored by the effect must pass.
#pragma once

#include <cstddef>
#include <string_view>

// True when text holds 1 to maxCharacters characters, each a letter A-Z or a-z, a digit, a space or
// one of _ ( ) + - . / &.
bool IsValidName(std::string_view text, std::size_t maxCharacters);

// True when every character of text passes the test above (the empty text included).
bool HasOnlyNameCharacters(std::string_view text);

constexpr std::size_t kBandNameLimit = 23;
constexpr std::size_t kTextLimit = 32;
