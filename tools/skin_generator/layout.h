// Where every picture sits in the 640 x 267 editor: the positions the editor places its controls and
// panels at. The background keeps its labels clear of these rectangles, knob strips copy the background
// under their own rectangle, and the preview composes frame 0 of each at its place.
#pragma once

#include <span>

namespace skin {

constexpr int kEditorWidth = 640;
constexpr int kEditorHeight = 267;

struct Placement {
    int id;
    int x;
    int y;
};

// Horizontal centres of the band columns (HP, B1 ... B5, LP, Air/Output): the centres of the value fields
// below them (row x + field x + half the field width), so knob, heading and value line up.
inline constexpr double kColumnCentre[] = {152.5, 208.5, 264.5, 320.5, 376.5, 432.5, 488.5, 575.5};
constexpr int kAirColumn = 7;

struct KnobSpec {
    int id;
    int x;
    int y;
    int width;
    int frames;
    int frameHeight;
    int column;          // index into kColumnCentre
    double outerRadius;  // track arc's outer edge
    bool bipolar;        // value arc grows from the centre (gains)
};

constexpr int kFreqFrames = 65;
constexpr int kQFrames = 51;
constexpr int kLargeKnobFrameHeight = 32;
constexpr int kSmallKnobFrameHeight = 28;
constexpr double kBandKnobRadius = 13.5;
constexpr double kQKnobRadius = 12;
constexpr double kOutputKnobRadius = 15.5;

// Widths are chosen inside each id's allowed range so that the knob, drawn on its column's centre, fits.
inline constexpr KnobSpec kKnobs[] = {
    {1, 132, 89, 34, kFreqFrames, kLargeKnobFrameHeight, 0, kBandKnobRadius, false},
    {2, 190, 89, 32, kFreqFrames, kLargeKnobFrameHeight, 1, kBandKnobRadius, false},
    {3, 247, 89, 31, kFreqFrames, kLargeKnobFrameHeight, 2, kBandKnobRadius, false},
    {4, 305, 89, 30, kFreqFrames, kLargeKnobFrameHeight, 3, kBandKnobRadius, false},
    {5, 361, 89, 30, kFreqFrames, kLargeKnobFrameHeight, 4, kBandKnobRadius, false},
    {6, 417, 89, 30, kFreqFrames, kLargeKnobFrameHeight, 5, kBandKnobRadius, false},
    {7, 474, 89, 30, kFreqFrames, kLargeKnobFrameHeight, 6, kBandKnobRadius, false},
    {8, 134, 148, 31, kQFrames, kSmallKnobFrameHeight, 0, kQKnobRadius, false},
    {9, 191, 148, 30, kQFrames, kSmallKnobFrameHeight, 1, kQKnobRadius, false},
    {10, 249, 148, 28, kQFrames, kSmallKnobFrameHeight, 2, kQKnobRadius, false},
    {11, 306, 148, 28, kQFrames, kSmallKnobFrameHeight, 3, kQKnobRadius, false},
    {12, 363, 148, 28, kQFrames, kSmallKnobFrameHeight, 4, kQKnobRadius, false},
    {13, 419, 148, 28, kQFrames, kSmallKnobFrameHeight, 5, kQKnobRadius, false},
    {14, 475, 148, 28, kQFrames, kSmallKnobFrameHeight, 6, kQKnobRadius, false},
    {15, 189, 203, 33, kFreqFrames, kLargeKnobFrameHeight, 1, kBandKnobRadius, true},
    {16, 247, 203, 31, kFreqFrames, kLargeKnobFrameHeight, 2, kBandKnobRadius, true},
    {17, 304, 203, 31, kFreqFrames, kLargeKnobFrameHeight, 3, kBandKnobRadius, true},
    {18, 361, 203, 31, kFreqFrames, kLargeKnobFrameHeight, 4, kBandKnobRadius, true},
    {19, 417, 203, 31, kFreqFrames, kLargeKnobFrameHeight, 5, kBandKnobRadius, true},
    {20, 558, 89, 36, kFreqFrames, kLargeKnobFrameHeight, kAirColumn, kOutputKnobRadius, true},
    {21, 558, 203, 36, kFreqFrames, kLargeKnobFrameHeight, kAirColumn, kOutputKnobRadius, true},
};

// Everything else placed directly on the background (frame 0's top-left).
inline constexpr Placement kMainControls[] = {
    // band on switches HP, B1 ... B5, LP, Air
    {3000, 130, 37}, {3001, 186, 37}, {3002, 242, 37}, {3003, 299, 37},
    {3004, 355, 37}, {3005, 412, 37}, {3006, 468, 37}, {3007, 551, 37},
    // type switches: HP slope, LP slope, B1 type, B5 type; general on
    {3008, 109, 151}, {3009, 506, 150}, {3010, 164, 206}, {3011, 450, 206}, {3012, 552, 142},
    // top strip
    {1010, 5, 3}, {1025, 53, 7}, {1012, 152, 3}, {1025, 201, 7}, {1016, 300, 3},
    {1013, 363, 3}, {1023, 406, 3}, {1014, 449, 3}, {1018, 513, 3}, {1007, 607, 3},
};

// Panels that sit over the band area when their display option is on.
inline constexpr Placement kMainPanels[] = {
    {4001, 135, 127}, {4004, 135, 180}, {4000, 191, 239}, {4003, 125, 70}, {4006, 501, 195},
};

constexpr int kFieldY = 1;
inline constexpr int kFrequencyFieldX[] = {2, 58, 114, 170, 226, 282, 338, 425};
inline constexpr int kQFieldX[] = {2, 58, 114, 170, 226, 282, 338};
inline constexpr int kGainFieldX[] = {2, 58, 114, 170, 226, 369};
inline constexpr int kNameFieldX[] = {1, 57, 113, 169, 226, 282, 338, 423};
constexpr Placement kClipLamp = {22, 5, 4};

constexpr Placement kSidePanel = {2009, 19, 27};
inline constexpr Placement kSidePanelControls[] = {
    {1028, 11, 12}, {1029, 52, 12}, {1030, 11, 38}, {1032, 27, 83},
    {1033, 27, 109}, {1039, 27, 146}, {1034, 11, 176}, {1036, 11, 202},
};

// A dialog button with the caption the dialog picture carries for it (none for cancel, which says so itself).
struct DialogButton {
    int id;
    int x;
    int y;
    const char* caption;
};

struct DialogSpec {
    int id;
    int width;
    int height;
    const char* title;
    const char* body;  // a line under the title, or null
    std::span<const DialogButton> buttons;
};

constexpr int kChoiceButton = 2011;
constexpr int kCancelButton = 2010;

inline constexpr DialogButton kCreateNewButtons[] = {
    {kChoiceButton, 39, 62, "Current Settings"}, {kChoiceButton, 162, 63, "Init Settings"},
    {kCancelButton, 101, 100, nullptr}};
inline constexpr DialogButton kBankButtons[] = {
    {kChoiceButton, 25, 68, "Current preset\nto new bank"}, {kChoiceButton, 124, 68, "Bank Rename"},
    {kChoiceButton, 222, 68, "Bank Duplicate"}, {kCancelButton, 124, 103, nullptr}};
inline constexpr DialogButton kBankExistsButtons[] = {
    {kChoiceButton, 41, 65, "Move current preset"}, {kChoiceButton, 165, 65, "Merge two banks"},
    {kCancelButton, 103, 99, nullptr}};
inline constexpr DialogButton kPresetButtons[] = {
    {kChoiceButton, 39, 62, "Rename"}, {kChoiceButton, 162, 62, "Duplicate"}, {kCancelButton, 101, 100, nullptr}};
inline constexpr DialogButton kDeleteButtons[] = {{kChoiceButton, 38, 49, "Delete"}, {kCancelButton, 161, 49, nullptr}};
inline constexpr DialogButton kDiscardLrButtons[] = {
    {kChoiceButton, 25, 94, "Keep L Settings"}, {kChoiceButton, 124, 94, "Keep R Settings"},
    {kCancelButton, 222, 94, nullptr}};
inline constexpr DialogButton kDiscardMsButtons[] = {
    {kChoiceButton, 25, 94, "Keep M Settings"}, {kChoiceButton, 124, 94, "Keep S Settings"},
    {kCancelButton, 222, 94, nullptr}};

inline constexpr DialogSpec kDialogs[] = {
    {2001, 274, 136, "Create new with", nullptr, kCreateNewButtons},
    {2002, 320, 140, "Bank name changed", nullptr, kBankButtons},
    {2003, 274, 136, "Bank name already exists", nullptr, kBankExistsButtons},
    {2004, 274, 136, "Preset name changed", nullptr, kPresetButtons},
    {2005, 267, 91, "Are you sure to delete?", nullptr, kDeleteButtons},
    {2012, 320, 140, "Discard L/R Settings", "Both channels will share the settings kept.", kDiscardLrButtons},
    {2013, 320, 140, "Discard M/S Settings", "Both channels will share the settings kept.", kDiscardMsButtons},
};

// Where the preview shows each dialog (the editor's own positions).
inline constexpr Placement kDialogPositions[] = {
    {2001, 183, 62}, {2002, 160, 59}, {2003, 183, 65}, {2004, 183, 65}, {2005, 186, 88}, {2012, 160, 65}, {2013, 160, 65},
};

constexpr Placement kInfoClose = {2007, 283, 8};
constexpr Placement kAboutClose = {2007, 287, 4};
inline constexpr int kInfoFieldY[] = {53, 84, 114, 145, 175, 206};
constexpr int kInfoFieldX = 135;
inline constexpr const char* kInfoLabels[] = {"Preset name", "Bank", "Author", "Project", "Created", "Modified"};
constexpr Placement kAboutVersionField = {1020, 80, 210};

}  // namespace skin
