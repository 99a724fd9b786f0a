// The effect's whole state image. Hosts save it byte for byte as the effect's chunk, so every size and
// offset here is part of the file format and is checked below.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "the state image is stored little-endian");

constexpr int kBandCount = 8;        // HP, B1, B2, B3, B4, B5, LP, Air
constexpr int kChannelCount = 2;     // 0: LEFT (or mid), 1: RIGHT (or side)
constexpr int kBandNameSize = 24;    // 23 characters and the terminator
constexpr int kInfoTextSize = 32;
constexpr int kInfoDateSize = 16;
constexpr int kSlotNameSize = 24;

enum BandIndex : int { kBandHP = 0, kBandB1, kBandB2, kBandB3, kBandB4, kBandB5, kBandLP, kBandAir };

struct BandTriple {
    float frequency;
    float quality;
    float gain;
};

// One channel's normalized values: three per band, the general volume, then sixteen floats that
// only travel in the chunk.
struct ChannelValues {
    BandTriple band[kBandCount];
    float volume;
    float spare[16];
};
static_assert(sizeof(ChannelValues) == 164);
static_assert(offsetof(ChannelValues, volume) == 96);

struct BandRecord {
    float type;
    float on;
    char name[kBandNameSize];
};
static_assert(sizeof(BandRecord) == 32);
static_assert(offsetof(BandRecord, name) == 8);

// Channel modes of a slot (the "LEFT-RIGHT" state).
enum ChannelMode : int32_t { kChannelModeLinked = 0, kChannelModeLeftRight = 1, kChannelModeMidSide = 2 };

struct PresetInfo {
    char presetName[kInfoTextSize];
    char bankName[kInfoTextSize];
    char authorName[kInfoTextSize];
    char projectName[kInfoTextSize];
    char creationDate[kInfoDateSize];
    char modificationDate[kInfoDateSize];
    int32_t activeBandCount;
    int32_t factory;
    int32_t channelMode;
    int32_t presetNumber;
};
static_assert(sizeof(PresetInfo) == 176);
static_assert(offsetof(PresetInfo, bankName) == 32);
static_assert(offsetof(PresetInfo, authorName) == 64);
static_assert(offsetof(PresetInfo, projectName) == 96);
static_assert(offsetof(PresetInfo, creationDate) == 128);
static_assert(offsetof(PresetInfo, modificationDate) == 144);
static_assert(offsetof(PresetInfo, activeBandCount) == 160);
static_assert(offsetof(PresetInfo, factory) == 164);
static_assert(offsetof(PresetInfo, channelMode) == 168);
static_assert(offsetof(PresetInfo, presetNumber) == 172);

// The band settings of one preset (the settings record).
struct SettingsRecord {
    ChannelValues channel[kChannelCount];
    BandRecord band[kBandCount];
    float generalOn;
};
static_assert(sizeof(SettingsRecord) == 588);
static_assert(offsetof(SettingsRecord, channel) + sizeof(ChannelValues) == 164);
static_assert(offsetof(SettingsRecord, band) == 328);
static_assert(offsetof(SettingsRecord, generalOn) == 584);

// Coupling values of a slot: internal indexes 44 to 48.
struct CouplingValues {
    float linked;          // 44: channels linked
    float mirrored;        // 45: gains mirrored
    float relative;        // 46: relative instead of absolute coupling
    float keepRelation;    // 47: keep the relation from the gesture start (no clamping, no renewal)
    float levelCompensation;  // 48: <= 1/3 off, 0.4 below 2/3, 0.8 from 2/3
};
static_assert(sizeof(CouplingValues) == 20);

struct SettingsSlot {
    SettingsRecord settings;
    float spare[16];
    PresetInfo info;
    char name[kSlotNameSize];
    int32_t modified;
    int32_t secondChange;
    float channelSelector;  // internal index 43: >= 0.5 LEFT (channel 0), below RIGHT (channel 1)
    CouplingValues coupling;
};
static_assert(sizeof(SettingsSlot) == 884);
static_assert(offsetof(SettingsSlot, spare) == 588);
static_assert(offsetof(SettingsSlot, info) == 652);
static_assert(offsetof(SettingsSlot, name) == 828);
static_assert(offsetof(SettingsSlot, modified) == 852);
static_assert(offsetof(SettingsSlot, secondChange) == 856);
static_assert(offsetof(SettingsSlot, channelSelector) == 860);
static_assert(offsetof(SettingsSlot, coupling) == 864);

struct EffectOptions {
    float dspSave;         // "DSP_SAVE"        index 50
    float displayVal;      // "DISPLAY_VAL"     index 51
    float saveInProject;   // "SAVE_IN_PROJECT" index 54
    float displayName;     // "DISPLAY_NAME"    index 52
    float snapFreq;        // "SNAP_FREQ"       index 57
    float snapRes;         // "SNAP_RES"        index 58
    float snapGain;        // "SNAP_GAIN"       index 59
    float displayNotes;    // "DISPLAY_NOTES"   index 60
    float displayQOct;     // "DISPLAY_QOCT"    index 61
    float bandeOnAuto;     // "BANDE_ON_AUTO"   index 55
    float gainOutOn;       // "GAIN_OUT_ON"     index 56
    float incrWheel;       // "INCR_WHEEL"      index 66
    float showClip;        // "SHOW_CLIP"       index 62
    float holdClip;        // "HOLD_CLIP"       index 63
    float decodageMS;      // "DECODAGE_MS"     index 65
    float codageMS;        // "CODAGE_MS"       index 64
    float channelOrderMark;  // 1.0 in images written by this effect; not an option
    float gainDropAlt;     // "GAIN_DROP_ALT"   index 67
};
static_assert(sizeof(EffectOptions) == 72);

struct EffectState {
    float version;
    SettingsSlot slot[2];  // A, B
    float slotSelector;    // internal index 49: below 0.5 slot A is active
    EffectOptions options;
    float spare[14];
};
static_assert(sizeof(EffectState) == 1904);
static_assert(offsetof(EffectState, slot) == 4);
static_assert(offsetof(EffectState, slot) + sizeof(SettingsSlot) == 888);
static_assert(offsetof(EffectState, slotSelector) == 1772);
static_assert(offsetof(EffectState, options) == 1776);
static_assert(offsetof(EffectState, options) + offsetof(EffectOptions, saveInProject) == 1784);
static_assert(offsetof(EffectState, options) + offsetof(EffectOptions, displayName) == 1788);
static_assert(offsetof(EffectState, options) + offsetof(EffectOptions, snapFreq) == 1792);
static_assert(offsetof(EffectState, options) + offsetof(EffectOptions, bandeOnAuto) == 1812);
static_assert(offsetof(EffectState, options) + offsetof(EffectOptions, incrWheel) == 1820);
static_assert(offsetof(EffectState, options) + offsetof(EffectOptions, showClip) == 1824);
static_assert(offsetof(EffectState, options) + offsetof(EffectOptions, decodageMS) == 1832);
static_assert(offsetof(EffectState, options) + offsetof(EffectOptions, codageMS) == 1836);
static_assert(offsetof(EffectState, options) + offsetof(EffectOptions, channelOrderMark) == 1840);
static_assert(offsetof(EffectState, options) + offsetof(EffectOptions, gainDropAlt) == 1844);
static_assert(offsetof(EffectState, spare) == 1848);

constexpr float kStateVersion = 2.1f;
