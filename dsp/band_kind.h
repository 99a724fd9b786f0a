// Band kinds: the recipe a band filter runs. The numbers are the recipe codes of the band designer.
#pragma once

namespace BandKind {
constexpr int kHighPass6 = 2;    // first-order high-pass, with correction
constexpr int kHighPass12 = 3;   // second-order high-pass
constexpr int kHighPass24 = 5;   // fourth-order high-pass
constexpr int kLowPass6 = 6;     // first-order low-pass, with correction
constexpr int kLowPass12 = 7;    // second-order low-pass, with correction
constexpr int kLowPass18 = 8;
constexpr int kLowPass24 = 9;
constexpr int kHighShelf = 10;
constexpr int kLowShelf = 11;
constexpr int kHighShelfAlt = 12;
constexpr int kLowShelfAlt = 13;
constexpr int kBell = 14;        // also the Air band, placed far above the audio band
}  // namespace BandKind
