// Resource ids of the skin pictures and the control styles that use them.
#pragma once

#include <array>

namespace skin {

constexpr int kBackground = 10000;
constexpr int kClipLampStrip = 22;
constexpr int kClipPanel = 4006;
constexpr int kGainRow = 4000;
constexpr int kFrequencyRowNumbers = 4001;
constexpr int kFrequencyRowNotes = 4002;
constexpr int kNamesRow = 4003;
constexpr int kQRowQ = 4004;
constexpr int kQRowOctaves = 4005;
constexpr int kSidePanel = 2009;
constexpr int kHelpPanel = 2008;
constexpr int kInfoPanel = 2000;
constexpr int kAboutPanel = 2006;
constexpr int kDialogCreateNew = 2001;
constexpr int kDialogBank = 2002;
constexpr int kDialogBankExists = 2003;
constexpr int kDialogPreset = 2004;
constexpr int kDialogDelete = 2005;
constexpr int kDialogDiscardLR = 2012;
constexpr int kDialogDiscardMS = 2013;

constexpr int kNoBitmap = 0;

// Knob style k: strip k + 1; frames per style.
constexpr int kKnobStyles = 21;
constexpr int kKnobFramesLong = 65;   // frequency, gain, Air, volume
constexpr int kKnobFramesShort = 51;  // Q
constexpr int knobStrip(int style) { return style + 1; }
constexpr int knobFrames(int style) { return style >= 7 && style <= 13 ? kKnobFramesShort : kKnobFramesLong; }
// Knobs take their mouse clicks and wheel within this fine factor of their coarse range.
constexpr float kKnobFineFactor = 20.0f;

// Switches (3 frames), variants 0..3; absent variants are kNoBitmap.
constexpr int kSwitchFrames = 3;
constexpr std::array<std::array<int, 4>, 20> kSwitchVariants{{
    {3000}, {3001}, {3002}, {3003}, {3004}, {3005}, {3006}, {3007},
    {3008}, {3009}, {3010}, {3011}, {3012},
    {1013}, {1023}, {1007},
    {1028, 1040, 1043, 1049},
    {1029, 1041, 1044, 1050},
    {1032, 1042, 1047, 1051},
    {1033, 1048},
}};

// Push buttons (3 frames), variants 0..3.
constexpr std::array<std::array<int, 4>, 6> kKickVariants{{
    {1014, 1015},
    {1016, 1017},
    {2007},
    {2011},
    {2010},
    {1030, 1031, 1045, 1046},
}};

// Multi-position switches: two variant strips and the number of positions.
struct MultiSwitchStyle {
    std::array<int, 2> strips;
    int positions;
};
constexpr std::array<MultiSwitchStyle, 4> kMultiSwitchStyles{{
    {{1039, 1038}, 3},
    {{1034, 1035}, 2},
    {{1036, 1037}, 2},
    {{22, kNoBitmap}, 2},
}};

// Lamp: the clip lamp strip, two frames.
constexpr int kLampFrames = 2;
constexpr std::array<int, 1> kLampStrips{kClipLampStrip};

// Menu buttons: up to three pictures (normal, pressed, variant); style 3 is unused.
constexpr std::array<std::array<int, 3>, 5> kMenuButtons{{
    {1006},
    {1010, 1009, 1024},
    {1012, 1011, 1022},
    {},
    {1018, 1019, 1021},
}};

// Text field backgrounds.
constexpr std::array<int, 5> kTextBackgrounds{1026, 1025, 1005, 1008, 1020};

}  // namespace skin
