#include "filedialog/answer.h"

#include <cstring>

#include "filedialog/morvashel.h"

namespace morvashel {

namespace {

// Longer than any extension a file-type filter offers; longer texts are not extensions.
constexpr std::size_t kExtensionLimit = 32;

bool isSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

}  // namespace

std::string proposedPath(const char* buffer) {
    if (buffer == nullptr) {
        return {};
    }
    const void* end = std::memchr(buffer, '\0', kPathBufferSize);
    if (end == nullptr) {
        return {};
    }
    return std::string(buffer, static_cast<const char*>(end));
}

bool lacksExtension(std::string_view path) {
    std::size_t nameStart = path.size();
    while (nameStart > 0 && !isSeparator(path[nameStart - 1])) {
        --nameStart;
    }
    const std::string_view name = path.substr(nameStart);
    const std::size_t dot = name.rfind('.');
    // A leading dot names a hidden file, not an extension; a trailing one is no extension either.
    return dot == std::string_view::npos || dot == 0 || dot + 1 == name.size();
}

std::string withDefaultExtension(std::string_view path, std::string_view extension) {
    std::string result(path);
    if (!extension.empty() && !path.empty() && !isSeparator(path.back()) && lacksExtension(path)) {
        if (result.back() != '.') {
            result += '.';
        }
        result += extension;
    }
    return result;
}

bool storeAnswer(std::string_view answer, char* buffer) {
    if (buffer == nullptr || answer.empty() || answer.size() >= static_cast<std::size_t>(kPathBufferSize) ||
        answer.find('\0') != std::string_view::npos) {
        return false;
    }
    std::memcpy(buffer, answer.data(), answer.size());
    buffer[answer.size()] = '\0';
    return true;
}

std::string defaultExtension(const char* extension) {
    if (extension == nullptr) {
        return {};
    }
    const void* end = std::memchr(extension, '\0', kExtensionLimit + 1);
    if (end == nullptr) {
        return {};
    }
    std::string text(extension, static_cast<const char*>(end));
    if (!text.empty() && text.front() == '.') {
        text.erase(0, 1);
    }
    for (char c : text) {
        if (c == '/' || c == '\\' || c == ':' || c == '.' || c == '*' || c == '?' || static_cast<unsigned char>(c) < ' ') {
            return {};
        }
    }
    return text;
}

}  // namespace morvashel
