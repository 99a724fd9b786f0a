// What an embedding host window (the Pro Tools adapter) asks of the editor: redraws and clicks.
// Host's user-interface thread.
#pragma once

#include <cstdint>

// A rectangle as four 16-bit values, as it arrives through the private redraw opcode.
struct HostRect16 {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

class VstGuiVelastro {
public:
    virtual ~VstGuiVelastro() = default;
    // A rectangle: redraw that region now; null: redraw everything at the next idle.
    virtual void hostRedraw(const HostRect16* rect) = 0;
    virtual void hostMouseDown(int x, int y) = 0;
};
