// Host parameters named as the effect names them ("B2Freq", "HPOn") and values typed in the units a
// user reads on the editor ("1.2k", "+3dB", "0.7", "on", "shelf"), turned into the normalized values
// a host sends.
#pragma once

#include <string>
#include <string_view>

namespace render {

// Index 0 to 33 of the host parameter with that short name (case-insensitive, padding ignored), or -1.
int ParameterIndex(std::string_view name);
// The short name without its padding.
std::string ParameterName(int index);

// The normalized value of `text` for parameter `index`. bandType is the band's current type switch
// (B1/B5: the shelf's Q table differs from the bell's). False with a message naming the accepted
// units or range when the text does not read or lies outside the knob's range.
bool NormalizedValue(int index, float bandType, std::string_view text, float& normalized, std::string& error);

// True for the type switches, whose value changes how the band's other values read.
bool IsTypeSwitch(int index);

}  // namespace render
