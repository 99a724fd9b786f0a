#include "presets/record_format.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <mutex>
#include <random>
#include <system_error>
#include <thread>

namespace {

bool isCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// A number that from_chars found but could not represent: the C library gives +-HUGE_VAL on overflow
// and 0 (or a denormal) on underflow. An exponent with a minus sign means underflow.
double outOfRangeValue(const char* first, const char* last, bool hex) {
    const char exponentMark = hex ? 'p' : 'e';
    for (const char* p = first; p < last; ++p) {
        if ((*p | 0x20) == exponentMark) {
            return (p + 1 < last && p[1] == '-') ? 0.0 : std::numeric_limits<double>::infinity();
        }
    }
    return std::numeric_limits<double>::infinity();
}

}  // namespace

bool TokenReader::readToken(char* buffer) {
    int kept = 0;
    for (;;) {
        if (position_ >= text_.size()) {
            buffer[kept] = 0;
            return true;
        }
        const char c = text_[position_++];
        if (c == '!') continue;
        if (c == '#' || c == '\r' || c == '\n') {
            if (kept == 0) continue;
            buffer[kept] = 0;
            return false;
        }
        buffer[kept++] = c;
        if (kept == kTokenSize - 1) {
            buffer[kept] = 0;
            return false;
        }
    }
}

bool TokenReader::readNumberToken(float& value) {
    char token[kTokenSize];
    const bool end = readToken(token);
    value = static_cast<float>(ParseNumber(token));
    return end;
}

double ParseNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || text[i] == '+' || text[i] == '-') return 0.0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    double value = 0.0;
    // Hexadecimal form "0x1.8p3": only when a hexadecimal digit follows the prefix.
    if (last - first > 2 && first[0] == '0' && (first[1] | 0x20) == 'x' &&
        (isHexDigit(first[2]) || (first[2] == '.' && last - first > 3 && isHexDigit(first[3])))) {
        const auto [ptr, ec] = std::from_chars(first + 2, last, value, std::chars_format::hex);
        if (ec == std::errc::result_out_of_range) value = outOfRangeValue(first + 2, ptr, true);
        return negative ? -value : value;
    }
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::invalid_argument) return 0.0;
    if (ec == std::errc::result_out_of_range) value = outOfRangeValue(first, ptr, false);
    return negative ? -value : value;
}

int ParseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

std::string FormatFloat(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 6);
    return std::string(buffer, result.ptr);
}

std::string FormatInteger(int value, int minDigits) {
    const bool negative = value < 0;
    unsigned long long magnitude =
        negative ? static_cast<unsigned long long>(-static_cast<long long>(value)) : static_cast<unsigned long long>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    while (static_cast<int>(digits.size()) < minDigits) digits.insert(digits.begin(), '0');
    return negative ? "-" + digits : digits;
}

std::string FormatFixed2(double value) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    if (result.ec != std::errc()) return "0.00";
    return std::string(buffer, result.ptr);
}

void AppendRecord(std::string& out, std::string_view key, std::string_view value) {
    out += '!';
    out += key;
    out += '#';
    out += value;
    out += "#\n";
}

void AppendFloatRecord(std::string& out, std::string_view key, double value) {
    AppendRecord(out, key, FormatFloat(value));
}

void AppendMarker(std::string& out, std::string_view key) {
    out += '!';
    out += key;
    out += "#\n";
}

void CopyText(char* field, std::size_t size, std::string_view text) {
    if (size == 0) return;
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, size - n);
}

std::string_view FieldText(const char* field, std::size_t size) {
    const void* end = std::memchr(field, 0, size);
    return std::string_view(field, end != nullptr ? static_cast<const char*>(end) - field : size);
}

float ClampValue(float value, float low, float high) {
    if (!(value >= low)) return low;  // also NaN
    if (value > high) return high;
    return value;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    // A directory opens on Linux, and its first read throws from inside the stream buffer.
    try {
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        text.clear();
        return false;
    }
    return !file.bad();
}

namespace {

std::string temporaryNameFor(const std::string& path) {
    static std::mutex mutex;
    static std::mt19937_64 generator = [] {
        std::random_device device;
        const auto now = static_cast<unsigned long long>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count());
        std::seed_seq seed{device(), device(), static_cast<unsigned>(now), static_cast<unsigned>(now >> 32)};
        return std::mt19937_64(seed);
    }();
    unsigned long long draw;
    {
        std::lock_guard<std::mutex> lock(mutex);
        draw = generator();
    }
    char suffix[24];
    const auto result = std::to_chars(suffix, suffix + sizeof suffix, draw, 36);
    return path + ".tmp" + std::string(suffix, result.ptr);
}

}  // namespace

bool WriteFileReplacing(const std::string& path, std::string_view text) {
    const std::string temporary = temporaryNameFor(path);
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return false;
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        file.flush();
        if (!file) {
            file.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    // On Windows a reader that has the file open makes the rename fail for a moment: try again.
    std::error_code error;
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::filesystem::rename(temporary, path, error);
        if (!error || !std::filesystem::exists(temporary)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

NewFileResult WriteNewFile(const std::string& path, std::string_view text) {
    const std::string temporary = temporaryNameFor(path);
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return NewFileResult::Failed;
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        file.flush();
        if (!file) {
            file.close();
            RemoveFile(temporary);
            return NewFileResult::Failed;
        }
    }
    // A hard link fails when the name exists: of two instances claiming one name, one wins.
    std::error_code error;
    std::filesystem::create_hard_link(temporary, path, error);
    NewFileResult result = NewFileResult::Written;
    if (error) {
        if (FileExists(path)) {
            result = NewFileResult::Exists;
        } else {
            // No hard links on this file system: an ordinary rename, without the guarantee.
            std::error_code renameError;
            std::filesystem::rename(temporary, path, renameError);
            if (!renameError) return NewFileResult::Written;
            result = NewFileResult::Failed;
        }
    }
    RemoveFile(temporary);
    return result;
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool RemoveFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::remove(path, error);
}

bool WriteRemovalMark(const std::string& path) { return WriteFileReplacing(path, kRemovalMark); }
