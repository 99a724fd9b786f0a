// The notice file "Modif" by which an instance that changed the preset files tells every other
// instance, in this process or another, to re-read them.
#pragma once

#include "presets/install_directory.h"

constexpr const char* kNoticeFileName = "Modif";

// Draws the number of a new instance (0 to 98302): removes a notice file left behind, then adds
// the low 16 bits of the millisecond clock to a pseudo-random draw.
int DrawInstanceNumber(const PresetDirectory& directory);

class InstanceNotice {
public:
    InstanceNotice() = default;
    InstanceNotice(PresetDirectory directory, int instanceNumber)
        : directory_(std::move(directory)), instanceNumber_(instanceNumber) {}

    int instanceNumber() const { return instanceNumber_; }

    // Tells the other instances that the preset files changed.
    void post() const;
    // True when another instance changed the preset files since this one last looked.
    bool check() const;
    // Called by the periodic task; polls the notice on every eighth run.
    bool periodicTick();

private:
    PresetDirectory directory_;
    int instanceNumber_ = 0;
    unsigned runs_ = 0;
};
