// Value texts shown by the editor and the adapter. They are made without the process locale: the host
// owns it, and a comma locale must not change what is shown.
#pragma once

namespace param {

// "%.2f" below 100 Hz, "%.1f" below 1 kHz, "%d" below 10 kHz, "%.2fk" above; or a note name.
void formatFrequency(float hz, bool asNote, char* out, int size);
// Q as "%.2f", or the width 1 / (2 Q) when shown in octaves.
void formatQuality(float q, bool asWidth, char* out, int size);
// "%.1f" dB.
void formatGain(float dB, char* out, int size);
// The note name for a frequency: the nearest note at or below, with "+" when sharp or the next note
// with "-" when almost there.
void formatNote(float hz, char* out, int size);

}  // namespace param
