// Every picture of the skin with its size and frame count (strips stack their frames vertically), and
// the picture whose position a variant shares. Knob strips are listed in layout.h.
#pragma once

#include <optional>

#include "layout.h"

namespace skin {

struct Picture {
    int id;
    int width;
    int height;
    int frames;
};

constexpr int kBackgroundId = 10000;
constexpr int kSidePanelId = 2009;

inline constexpr Picture kPictures[] = {
    {kBackgroundId, kEditorWidth, kEditorHeight, 1},
    {3000, 44, 75, 3}, {3001, 44, 75, 3}, {3002, 44, 75, 3}, {3003, 44, 75, 3},
    {3004, 44, 75, 3}, {3005, 44, 75, 3}, {3006, 44, 75, 3}, {3007, 44, 75, 3},
    {3008, 25, 72, 3}, {3009, 25, 72, 3}, {3010, 25, 72, 3}, {3011, 25, 72, 3},
    {3012, 43, 120, 3},
    {1013, 39, 63, 3}, {1023, 39, 63, 3}, {1007, 28, 63, 3},
    {1014, 39, 63, 3}, {1015, 39, 63, 3}, {1016, 38, 63, 3}, {1017, 38, 63, 3},
    {1010, 44, 21, 1}, {1009, 44, 21, 1}, {1024, 44, 21, 1},
    {1012, 45, 21, 1}, {1011, 45, 21, 1}, {1022, 45, 21, 1},
    {1018, 69, 21, 1}, {1019, 69, 21, 1}, {1021, 69, 21, 1},
    {1006, 50, 25, 1},
    {1025, 94, 15, 1}, {1026, 156, 14, 1}, {1005, 52, 11, 1}, {1008, 31, 11, 1}, {1020, 240, 30, 1},
    {kSidePanelId, 92, 235, 1},
    {1028, 28, 63, 3}, {1040, 28, 63, 3}, {1043, 28, 63, 3}, {1049, 28, 63, 3},
    {1029, 28, 63, 3}, {1041, 28, 63, 3}, {1044, 28, 63, 3}, {1050, 28, 63, 3},
    {1030, 69, 63, 3}, {1031, 69, 63, 3}, {1045, 69, 63, 3}, {1046, 69, 63, 3},
    {1032, 38, 63, 3}, {1042, 38, 63, 3}, {1047, 38, 63, 3}, {1051, 38, 63, 3},
    {1033, 38, 63, 3}, {1048, 38, 63, 3},
    {1039, 38, 63, 3}, {1038, 38, 63, 3},
    {1034, 69, 42, 2}, {1035, 69, 42, 2}, {1036, 69, 42, 2}, {1037, 69, 42, 2},
    {22, 25, 46, 2},
    {4006, 39, 42, 1},
    {4001, 469, 13, 1}, {4002, 469, 13, 1}, {4000, 412, 13, 1}, {4004, 385, 13, 1}, {4005, 385, 13, 1},
    {4003, 475, 13, 1},
    {2000, 320, 240, 1}, {2006, 320, 240, 1}, {2007, 28, 63, 3}, {2008, 590, 240, 1},
    {2011, 69, 63, 3}, {2010, 69, 63, 3},
    {2001, 274, 136, 1}, {2003, 274, 136, 1}, {2004, 274, 136, 1}, {2002, 320, 140, 1}, {2005, 267, 91, 1},
    {2012, 320, 140, 1}, {2013, 320, 140, 1},
    {1027, 318, 34, 1},
};

// Variants are seen where their first picture is placed, so they are drawn over the same backdrop.
struct VariantOf {
    int id;
    int placedAs;
};

inline constexpr VariantOf kVariants[] = {
    {1015, 1014}, {1017, 1016}, {1009, 1010}, {1024, 1010}, {1011, 1012}, {1022, 1012}, {1019, 1018},
    {1021, 1018}, {1040, 1028}, {1043, 1028}, {1049, 1028}, {1041, 1029}, {1044, 1029}, {1050, 1029},
    {1031, 1030}, {1045, 1030}, {1046, 1030}, {1042, 1032}, {1047, 1032}, {1051, 1032}, {1048, 1033},
    {1038, 1039}, {1035, 1034}, {1037, 1036}, {4002, 4001}, {4005, 4004},
};

constexpr int placedAs(int id) {
    for (const VariantOf& v : kVariants) {
        if (v.id == id) return v.placedAs;
    }
    return id;
}

constexpr std::optional<Picture> findPicture(int id) {
    for (const KnobSpec& k : kKnobs) {
        if (k.id == id) return Picture{k.id, k.width, k.frameHeight * k.frames, k.frames};
    }
    for (const Picture& p : kPictures) {
        if (p.id == id) return p;
    }
    return std::nullopt;
}

}  // namespace skin
