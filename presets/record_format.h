// The text record format shared by every file the effect writes: "!KEY#value#\n" lines, read back
// by one token reader. Numbers are written and parsed without the process locale, so a host running
// in a comma locale reads and writes the same bytes as any other.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr int kTokenSize = 33;  // 32 kept characters and the terminator

// Reads tokens from a whole file held in memory.
class TokenReader {
public:
    TokenReader() = default;
    explicit TokenReader(std::string text) : text_(std::move(text)) {}

    // Reads the next token into buffer (at least kTokenSize bytes). Returns true when the end of
    // the text was met while reading; the buffer then holds what was read before it.
    bool readToken(char* buffer);
    // Reads a token and converts it with ParseNumber.
    bool readNumberToken(float& value);
    bool atEnd() const { return position_ >= text_.size(); }
    void rewind() { position_ = 0; }

private:
    std::string text_;
    std::size_t position_ = 0;
};

// The leading decimal (or hexadecimal) floating-point number of text, as the C library's
// text-to-double conversion reads it in the "C" locale: leading white space, an optional sign, the
// longest number that follows; 0.0 when there is none. "0,5" reads as 0.0, "1,5" as 1.0.
double ParseNumber(std::string_view text);
// The leading decimal integer, as the C library's text-to-int conversion; saturated to the int range.
int ParseInteger(std::string_view text);

// value in printf "%e" form ("5.000000e-01"): always two exponent digits at least, on every platform.
std::string FormatFloat(double value);
// value with at least minDigits digits, zero-padded ("%.2d", "%.4d").
std::string FormatInteger(int value, int minDigits = 1);
// value with two decimals ("%.2f").
std::string FormatFixed2(double value);

// Record writers; every line ends with LF alone.
void AppendRecord(std::string& out, std::string_view key, std::string_view value);
void AppendFloatRecord(std::string& out, std::string_view key, double value);
void AppendMarker(std::string& out, std::string_view key);  // "!KEY#\n"

// Copies text into a fixed field, cut to size - 1 characters, always terminated.
void CopyText(char* field, std::size_t size, std::string_view text);
// The text of a fixed field up to its terminator or its end, whichever comes first.
std::string_view FieldText(const char* field, std::size_t size);

// Clamps to [low, high]; NaN gives low.
float ClampValue(float value, float low, float high);

// File access. ReadWholeFile fails when the file cannot be opened. WriteFileReplacing writes to a
// temporary name in the same directory and renames it over path, so an interrupted write leaves the
// old file; it fails (and leaves the old file) when the text cannot be written completely.
bool ReadWholeFile(const std::string& path, std::string& text);
bool WriteFileReplacing(const std::string& path, std::string_view text);
// Creates path with text only when no file of that name exists, atomically with respect to other
// processes doing the same (the complete file appears under its name at once).
enum class NewFileResult { Written, Exists, Failed };
NewFileResult WriteNewFile(const std::string& path, std::string_view text);
bool FileExists(const std::string& path);
bool RemoveFile(const std::string& path);
// Overwrites path with the removal mark "!removed#".
bool WriteRemovalMark(const std::string& path);

constexpr std::string_view kRemovalMark = "!removed#";
