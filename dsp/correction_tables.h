// Tables of the high-frequency correction: the frequency, Q and gain grids on which a band looks up
// how long its correction FIR is, where its interpolation kernel sits and how its main IIR section is
// adjusted. Every frequency grid is given for 44.1 kHz and scaled with the sample rate.
#pragma once

#include <array>

namespace CorrectionTables {

// Odd lengths of the interpolation kernel, by kernelLengthIndex.
constexpr std::array<int, 14> kKernelLengths{5, 11, 21, 31, 41, 51, 61, 71, 81, 91, 101, 201, 301, 401};
constexpr int kMaxKernelLength = 401;
// Longest correction FIR; the target response runs for max(L, 8 N) samples at four times the rate.
constexpr int kMaxCorrectionLength = 44;
constexpr int kMaxTargetLength = kMaxKernelLength > 8 * kMaxCorrectionLength ? kMaxKernelLength : 8 * kMaxCorrectionLength;

// Prototype entries of a cell: 0 keeps the recipe's prototype, 1 switches the main IIR off.
constexpr int kKeepPrototype = 0;
constexpr int kIirOff = 1;

// One grid point's correction settings. The main-section adjustments are relative, so that cells
// interpolate smoothly: the designed frequency and Qs are multiplied by their scales, the gain
// offset is added (dB); the neutral cell (all defaults) leaves the plain bilinear band.
struct Cell {
    int length = 0;  // taps of the correction FIR, 0 = none
    int prototype = kKeepPrototype;
    float kernelPhase = 0.5f;
    int kernelLengthIndex = 0;
    float flatTaps = 0.0f;
    float outputGain = 1.0f;
    float frequencyScale = 1.0f;
    float q1Scale = 1.0f;
    float q2Scale = 1.0f;
    float gainOffset = 0.0f;
    friend constexpr bool operator==(const Cell&, const Cell&) = default;
};

// Frequency grids (Hz at 44.1 kHz).
constexpr std::array<float, 16> kHighPass1Frequencies{20,   40,   80,   160,  300,  500,  1000, 2000,
                                                      3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000};
constexpr std::array<float, 24> kLowPassFrequencies{20,    100,   200,   500,   1000,  2000,  3000,  4000,
                                                    5000,  6000,  7000,  8000,  9000,  10000, 11000, 12000,
                                                    13000, 14000, 15000, 16000, 17000, 18000, 19000, 20000};
constexpr std::array<float, 21> kShelfFrequencies{20,   100,  200,   300,   500,   700,   1000,
                                                  1400, 2000, 3000,  4000,  5000,  7000,  10000,
                                                  12000, 14000, 16000, 17000, 18000, 19000, 20000};
constexpr std::array<float, 21> kBellFrequencies = kShelfFrequencies;

// Q grids.
constexpr std::array<float, 15> kLowPass2Qs{0.01f, 0.05f, 0.1f, 0.3f, 0.5f, 0.7f, 1, 2, 4, 6, 9, 12, 20, 30, 40};
constexpr std::array<float, 6> kShelfQs{0.3f, 0.5f, 0.7f, 1, 1.4f, 2};
constexpr std::array<float, 12> kBellQs{0.05f, 0.1f, 0.2f, 0.3f, 0.5f, 0.7f, 1, 1.4f, 2, 3, 5, 7};

// The gain axis of the three-axis tables: -15 to +15 dB in 1 dB steps.
constexpr int kGainSteps = 31;

constexpr int kBellCells = 21 * 12 * kGainSteps;
constexpr int kShelfCells = 21 * 6 * kGainSteps;
constexpr int kLowPass2Cells = 24 * 15;

// First-order high-pass, per frequency point.
namespace HighPass1 {
constexpr std::array<int, 16> kLength{0, 0, 0, 0, 0, 0, 2, 5, 5, 10, 10, 10, 10, 10, 10, 10};
constexpr std::array<float, 16> kKernelPhase{0.5f,   0.5f,   0.5f,   0.5f,   0.5f,  0.452f, 0.474f, 0.483f,
                                             0.491f, 0.516f, 0.525f, 0.532f, 0.539f, 0.544f, 0.55f, 0.556f};
constexpr std::array<int, 16> kKernelLengthIndex{0, 0, 0, 0, 0, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8};
constexpr std::array<float, 16> kFlatTaps{0, 0, 0, 0, 0, 0, 0, 0, 0.25f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
}  // namespace HighPass1

// First-order low-pass: absolute main-section values (Hz, Q, dB) for the cells that carry a
// correction, per frequency point; they replace the first-order section by a steep high shelf.
namespace LowPass1 {
constexpr std::array<float, 24> kFrequency{200,   1000,  3000,  3500,  5000,  10000, 11000, 12000,
                                           13000, 13000, 13500, 13500, 13500, 14000, 14000, 15000,
                                           15000, 15000, 15000, 15000, 15000, 15000, 15000, 15000};
constexpr std::array<float, 24> kQ1{0.1f,  0.1f,  0.07f, 0.14f, 0.18f, 0.16f, 0.2f,  0.23f,
                                    0.25f, 0.28f, 0.3f,  0.32f, 0.34f, 0.34f, 0.36f, 0.34f,
                                    0.35f, 0.37f, 0.38f, 0.39f, 0.39f, 0.39f, 0.4f,  0.4f};
constexpr std::array<float, 24> kQ2{0.3f, 0.45f, 0.45f, 0.45f, 0.43f, 0.4f, 0.4f,  0.4f,  0.4f,  0.4f,  0.4f,  0.4f,
                                    0.4f, 0.4f,  0.4f,  0.4f,  0.4f,  0.4f, 0.41f, 0.41f, 0.41f, 0.41f, 0.41f, 0.41f};
constexpr std::array<float, 24> kGain{-60,  -47,  -41,  -33,  -27,  -21,  -17.5f, -15.3f, -13.5f, -12,  -10.3f, -9.4f,
                                      -8.6f, -7.8f, -7.2f, -6.5f, -5.9f, -5.6f, -5.1f,  -4.8f,  -4.3f, -3.9f, -3.8f,  -3.2f};
}  // namespace LowPass1

// The Air band: a reciprocal peak far above the audio band, realised by the correction alone, by
// gain. Given for 44.1 kHz; other rates have their own tables (generated).
// Kernel length and flat share are fixed at 44.1 kHz; the tables of the other rates may set their own,
// since there the same kernel spans a different stretch of time.
constexpr int kAirKernelLengthIndex = 12;
constexpr float kAirFlatTaps = 0.8f;
struct AirPoint {
    float frequency, q, gain;  // the reference section (Hz, Q, dB)
    float kernelPhase;
    int length;
    float outputGain;
    int kernelLengthIndex = kAirKernelLengthIndex;
    float flatTaps = kAirFlatTaps;
    friend constexpr bool operator==(const AirPoint&, const AirPoint&) = default;
};
constexpr int kAirPoints = 10;
constexpr std::array<float, kAirPoints> kAirGainAxis{-15, -10, -5, -2, -0.01f, 0, 2, 5, 10, 15};
using AirTable = std::array<AirPoint, kAirPoints>;
constexpr AirTable kAir44{{
    {25000, 5, -40, 0.4442f, 44, 1.0033f},
    {30000, 8, -38, 0.3862f, 44, 1.0089f},
    {30000, 10, -31, 0.395f, 44, 1.017f},
    {25000, 12, -23, 0.44695f, 44, 1.0177f},
    {30000, 10, 0, 0.49999f, 44, 1},
    {50000, 0.35f, 0, 0.5f, 24, 1},
    {50000, 0.35f, 10, 0.55115f, 24, 1},
    {45000, 0.35f, 15, 0.5572f, 24, 1},
    {40000, 0.38f, 20, 0.55545f, 24, 1},
    {30000, 0.875f, 30, 0.5551f, 24, 1},
}};
// Rates that have an Air table of their own; other rates use the nearest.
constexpr std::array<float, 4> kAirRates{44100, 48000, 88200, 96000};

// The Air band at exactly these rates: taps fitted to the 44.1 kHz band's response below 20 kHz
// (0.45 fs at the lower rates; generated), in rows by ascending knob gain; the band blends the taps
// of the two rows around its gain. A reference peak designed for those rates cannot follow the
// 44.1 kHz band closely (at four times the rate its taps cover too short a time to hold its low
// end), and a blend of fitted taps stays close between rows.
constexpr std::array<float, 11> kFittedAirRates{22050, 24000, 32000, 48000, 64000, 88200, 96000, 176400, 192000, 352800, 384000};
// Rows that lie this close (knob dB) are not blended: the band takes the nearer one. Two rows can
// each follow the 44.1 kHz band closely with taps of different shapes, and a blend of those strays
// far from both (2 dB half-way between two rows at 48 kHz); the generator adds rows between two
// rows until they blend well, and stops at this gap.
constexpr float kAirRowsUnblended = 1.0f / 32;
struct AirTapRow {
    float gain;  // knob gain, dB
    int length;  // taps in use; the rest are 0
    std::array<float, kMaxCorrectionLength> taps;
};
struct AirTaps {
    const AirTapRow* rows;
    int count;
    float rate;  // the only rate the taps are for
};

// A table of cells: either every cell in order (a working copy), or only the cells that differ from
// the neutral cell, sorted by index (the compiled tables).
struct Entry {
    int index;
    Cell cell;
};
struct Table {
    const Cell* dense = nullptr;
    const Entry* sparse = nullptr;
    int sparseCount = 0;
    const Cell& at(int index) const;
};

// The tables the optimiser fills (see tools/correction_optimiser), one set per build.
struct Set {
    Table bell;                 // 21 x 12 x 31
    Table shelf[2];             // 21 x 6 x 31 each: kinds 10/11 and 12/13
    Table lowPass2;             // 24 x 15
    Table lowPass1;             // 24 (the absolute main-section values above apply where length > 0)
    Table highPass1;            // 16: prototype and main-section adjustments only
    const AirTable* air[4];     // by kAirRates
    const AirTaps* airTaps[kFittedAirRates.size()];  // by kFittedAirRates; elsewhere the Air table applies
};

// The compiled tables.
const Set& builtIn();

}  // namespace CorrectionTables
