#include "effect/display_texts.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "effect/note_table.h"

namespace param {
namespace {

// Writes value with a fixed number of decimals and an optional suffix, always terminated.
void writeFixed(double value, int decimals, const char* suffix, char* out, int size) {
    if (out == nullptr || size <= 0) return;
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer) - 1, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) result.ptr = buffer;
    *result.ptr = 0;
    std::snprintf(out, static_cast<size_t>(size), "%s%s", buffer, suffix);
}

}  // namespace

void formatFrequency(float hz, bool asNote, char* out, int size) {
    if (asNote) {
        formatNote(hz, out, size);
        return;
    }
    if (hz < 100.0f)
        writeFixed(hz, 2, "", out, size);
    else if (hz < 1000.0f)
        writeFixed(hz, 1, "", out, size);
    else if (hz < 10000.0f)
        std::snprintf(out, static_cast<size_t>(size), "%d", static_cast<int>(hz));
    else
        writeFixed(static_cast<double>(hz / 1000.0f), 2, "k", out, size);
}

void formatQuality(float q, bool asWidth, char* out, int size) {
    const float shown = asWidth && q > 0.0f ? 1.0f / (2.0f * q) : q;
    writeFixed(shown, 2, "", out, size);
}

void formatGain(float dB, char* out, int size) { writeFixed(dB, 1, "", out, size); }

void formatNote(float hz, char* out, int size) {
    const double f = hz;
    std::size_t chosen = 0;
    for (std::size_t i = 0; i < kNoteTable.size(); ++i)
        if (kNoteTable[i].frequency <= f + 0.01) chosen = i;
    const double noteHz = kNoteTable[chosen].frequency;
    const bool last = chosen + 1 == kNoteTable.size();
    if (f > noteHz * 1.029 && !last)
        std::snprintf(out, static_cast<size_t>(size), "%s-", kNoteTable[chosen + 1].name);
    else if (f > noteHz * 1.005)
        std::snprintf(out, static_cast<size_t>(size), "%s+", kNoteTable[chosen].name);
    else
        std::snprintf(out, static_cast<size_t>(size), "%s", kNoteTable[chosen].name);
}

}  // namespace param
