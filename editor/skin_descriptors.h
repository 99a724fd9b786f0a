// The controls' skin records, one table per control kind, built from the skin tables on first use.
// User-interface thread only.
#pragma once

#include <array>

namespace VSTGUI {
class CBitmap;
}

struct KnobSkin {
    VSTGUI::CBitmap* bitmap = nullptr;
    int frameWidth = 0;
    int frameHeight = 0;
    int frameCount = 1;
    bool transparent = true;
    int halfWidth = 0;
    int halfHeight = 0;
    float fineFactor = 1.0f;
};

struct SwitchSkin {  // switches and push buttons
    std::array<VSTGUI::CBitmap*, 4> variants{};
    int frameCount = 3;
    int frameHeight = 0;
    int width = 0;
    bool hasVariants = false;
};

struct MultiSwitchSkin {
    std::array<VSTGUI::CBitmap*, 2> variants{};
    int positions = 2;
    int frameHeight = 0;
    int width = 0;
};

struct LampSkin {
    VSTGUI::CBitmap* bitmap = nullptr;
    int frameCount = 2;
    int frameHeight = 0;
    int width = 0;
};

struct MenuSkin {
    std::array<VSTGUI::CBitmap*, 3> bitmaps{};
    long styleBits = 0;
    int width = 0;
    int height = 0;
};

struct TextSkin {
    VSTGUI::CBitmap* background = nullptr;
    int width = 0;
    int height = 0;
};
