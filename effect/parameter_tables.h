// The parameter model's fixed tables: index layout, normalized-to-physical mapping tables, names.
#pragma once

#include <array>
#include <span>

namespace param {

constexpr int kNumHostParams = 34;  // 0..33 are visible to the host
constexpr int kLastIndex = 109;     // 34..109 are internal indexes

// Host parameters.
enum : int {
    kHPFreq = 0, kHPQual, kB1Freq, kB1Qual, kB1Gain, kB2Freq, kB2Qual, kB2Gain, kB3Freq, kB3Qual, kB3Gain,
    kB4Freq, kB4Qual, kB4Gain, kB5Freq, kB5Qual, kB5Gain, kLPFreq, kLPQual, kAirGain, kGenVol,
    kHPOn, kHPType, kB1On, kB1Type, kB2On, kB3On, kB4On, kB5On, kB5Type, kLPOn, kLPType, kAirOn, kGenOn,
};
constexpr int kLastContinuous = kGenVol;

// Internal indexes.
enum : int {
    kFirstBandName = 35,  // 35..42: band names HP..Air
    kLastBandName = 42,
    kEditedChannel = 43,
    kCoupleLinked = 44,
    kCoupleMirrored = 45,
    kCoupleRelative = 46,
    kCoupleKeep = 47,
    kCoupleLevel = 48,
    kSlotSelector = 49,
    kOptDspSave = 50,
    kOptDisplayVal = 51,
    kOptDisplayName = 52,
    kOptSaveInProject = 54,
    kOptBandeOnAuto = 55,
    kOptGainOutOn = 56,
    kOptSnapFreq = 57,
    kOptSnapRes = 58,
    kOptSnapGain = 59,
    kOptDisplayNotes = 60,
    kOptDisplayQOct = 61,
    kOptShowClip = 62,
    kOptHoldClip = 63,
    kOptCodageMS = 64,
    kOptDecodageMS = 65,
    kOptIncrWheel = 66,
    kOptGainDropAlt = 67,
    kCopySlot = 71,
    kCopyChannel = 72,
    kSaveSlot = 73,
    kFirstStoreText = 74,  // 74..81: texts of the preset store's selection
    kPresetNameText = 75,
    kLastStoreText = 81,
    kVersionText = 105,
    kSelectA = 106,
    kSelectB = 107,
    kEditLeft = 108,
    kEditRight = 109,
};

// Mapping tables (ascending, physical units).
constexpr std::array<float, 19> kFreqHP = {20, 30, 45, 60, 80, 100, 140, 200, 300, 500,
                                           700, 1000, 1500, 2000, 3000, 5000, 7000, 8500, 10000};
constexpr std::array<float, 23> kFreq = {20,   30,   45,   60,   80,   100,  140,  200,   300,   500,   700,  1000,
                                         1500, 2000, 3000, 5000, 7000, 8500, 10000, 12000, 14000, 17000, 20000};
constexpr std::array<float, 7> kQBell = {0.1f, 0.2f, 0.5f, 1.0f, 1.7f, 3.5f, 7.0f};
constexpr std::array<float, 7> kQShelf = {0.3f, 0.4f, 0.52f, 0.7f, 1.0f, 1.4f, 2.0f};
constexpr std::array<float, 5> kQPass = {0.05f, 0.1f, 0.7f, 2.35f, 4.0f};
constexpr std::array<float, 19> kGain = {-15,  -13.28f, -11.62f, -9.96f, -8.3f, -6.64f, -4.98f,
                                         -3.32f, -1.66f, 0,       1.66f,  3.32f, 4.98f,  6.64f,
                                         8.3f,  9.96f,  11.62f,  13.28f, 15};
constexpr std::array<float, 9> kAir = {-15, -10, -5, -2, 0, 2, 5, 10, 15};

enum class Quantity { Frequency, Quality, Gain };

struct ContinuousParam {
    int band;           // BandIndex, or -1 for the general volume
    Quantity quantity;
    const char* shortName;
    const char* longName;
};

constexpr std::array<ContinuousParam, 21> kContinuous = {{
    {0, Quantity::Frequency, "HPFreq  ", "HighPass CutOff Frequency"},
    {0, Quantity::Quality, "HPQual  ", "HighPass Quality Factor"},
    {1, Quantity::Frequency, "B1Freq  ", "Bell/Low Shelf CutOff Frequency"},
    {1, Quantity::Quality, "B1Qual  ", "Bell/Low Shelf Quality Factor"},
    {1, Quantity::Gain, "B1Gain  ", "Bell/Low Shelf Level"},
    {2, Quantity::Frequency, "B2Freq  ", "Bell 2 CutOff Frequency"},
    {2, Quantity::Quality, "B2Qual  ", "Bell 2 Quality Factor"},
    {2, Quantity::Gain, "B2Gain  ", "Bell 2 Level"},
    {3, Quantity::Frequency, "B3Freq  ", "Bell 3 CutOff Frequency"},
    {3, Quantity::Quality, "B3Qual  ", "Bell 3 Quality Factor"},
    {3, Quantity::Gain, "B3Gain  ", "Bell 3 Level"},
    {4, Quantity::Frequency, "B4Freq  ", "Bell 4 CutOff Frequency"},
    {4, Quantity::Quality, "B4Qual  ", "Bell 4 Quality Factor"},
    {4, Quantity::Gain, "B4Gain  ", "Bell 4 Level"},
    {5, Quantity::Frequency, "B5Freq  ", "Bell/High Shelf CutOff Frequenc"},
    {5, Quantity::Quality, "B5Qual  ", "Bell/High Shelf Quality Factor"},
    {5, Quantity::Gain, "B5Gain  ", "Bell/High Shelf Level"},
    {6, Quantity::Frequency, "LPFreq  ", "Low Pass CutOff Frequency"},
    {6, Quantity::Quality, "LPQual  ", "Low Pass Quality Factor"},
    {7, Quantity::Gain, "AirGain ", "Air Level"},
    {-1, Quantity::Gain, "GenVol  ", "General Volum"},
}};

enum class SwitchField { On, Type, GeneralOn };

struct SwitchParam {
    int band;  // BandIndex, or -1 for General On
    SwitchField field;
    const char* shortName;
    const char* longName;
    const char* offText;  // value below 0.5
    const char* onText;   // value 0.5 and above
};

constexpr std::array<SwitchParam, 13> kSwitches = {{
    {0, SwitchField::On, "HPOn    ", "HighPass On/Off", "Off", "On"},
    {0, SwitchField::Type, "HPType  ", "HighPass 6dB/12dB", "HighPass 6dB", "HighPass 12dB"},
    {1, SwitchField::On, "B1On    ", "Bell/Low Shelf On/Off", "Off", "On"},
    {1, SwitchField::Type, "B1Type  ", "Bell/Low Shelf Type", "Bell", "LowShelf"},
    {2, SwitchField::On, "B2On    ", "Bell 2 On/Off", "Off", "On"},
    {3, SwitchField::On, "B3On    ", "Bell 3 On/Off", "Off", "On"},
    {4, SwitchField::On, "B4On    ", "Bell 4 On/Off", "Off", "On"},
    {5, SwitchField::On, "B5On    ", "Bell/High Shelf On/Off", "Off", "On"},
    {5, SwitchField::Type, "B5Type  ", "Bell/High Shelf Type", "Bell", "HighShelf"},
    {6, SwitchField::On, "LPOn    ", "Low Pass On/Off", "Off", "On"},
    {6, SwitchField::Type, "LPType  ", "Low Pass 6dB/12dB", "LowPass 6dB", "LowPass 12dB"},
    {7, SwitchField::On, "AirOn   ", "Air On/Off", "Off", "On"},
    {-1, SwitchField::GeneralOn, "GenOn   ", "General On/Off", "Off", "On"},
}};

// The three continuous parameters of each band (frequency, quality, gain; -1 where a band has none).
struct BandParams {
    int frequency;
    int quality;
    int gain;
    int on;
    int type;
};
constexpr std::array<BandParams, 8> kBandParams = {{
    {kHPFreq, kHPQual, -1, kHPOn, kHPType},
    {kB1Freq, kB1Qual, kB1Gain, kB1On, kB1Type},
    {kB2Freq, kB2Qual, kB2Gain, kB2On, -1},
    {kB3Freq, kB3Qual, kB3Gain, kB3On, -1},
    {kB4Freq, kB4Qual, kB4Gain, kB4On, -1},
    {kB5Freq, kB5Qual, kB5Gain, kB5On, kB5Type},
    {kLPFreq, kLPQual, -1, kLPOn, kLPType},
    {-1, -1, kAirGain, kAirOn, -1},
}};

constexpr bool isContinuous(int index) { return index >= 0 && index <= kLastContinuous; }
constexpr bool isSwitch(int index) { return index > kLastContinuous && index < kNumHostParams; }
constexpr bool isMirrorableGain(int index) {
    return index == kB1Gain || index == kB2Gain || index == kB3Gain || index == kB4Gain || index == kB5Gain ||
           index == kAirGain;
}

// Automation class: 2 continuous host parameters, 1 switches, 0 internal.
constexpr int automationClass(int index) { return isContinuous(index) ? 2 : (isSwitch(index) ? 1 : 0); }

// The version shown by internal index 105.
constexpr float kVersionNumber = 1.34f;
constexpr const char* kBuildDate = "Feb 18 2008";
constexpr const char* kBuildTime = "07:33:52";

}  // namespace param
