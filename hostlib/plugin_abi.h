// The binary interface between a host and a plug-in module built on this library (Tovin.dpm). Plain
// C types and functions only; a host needs this header and settings.h. Every number's meaning is in
// settings.h.
//
// A host, on its user-interface thread unless a function says otherwise:
//   1. LoadLibrary, then WinPlugInOpen(its own module handle, &services): services stay in use until
//      WinPlugInClose and must outlive it.
//   2. NewPlugIn(): 0, or an error (kErrNoGroup, a library error's code, kErrUnknown).
//   3. _PI_GetRoutineDescriptor(kPIAbiVersion): the routine table (null for another version).
//   4. Describes the group and its types, creates instances, drives them, destroys every instance.
//   5. WinPlugInClose(). The module may then be unloaded.
// Results are 0 for success or an error code; no function throws.
#pragma once

#include <cstdint>

#include "hostlib/settings.h"

extern "C" {

constexpr int32_t kPIAbiVersion = 1;

struct PIInstance;  // one plug-in instance (a process object)

// What the host offers the module. Any function may be null: the module then uses the default named.
struct PIHostServices {
    uint32_t structSize;  // sizeof(PIHostServices)
    void* context;        // passed back to every function
    // Shows a message the user must read. Null: a system-modal Windows message box (which blocks a
    // host without a display: test hosts always give this).
    void (*showMessage)(void* context, const char* caption, const char* text);
    // The current tempo in beats per minute, 0 or less when the host has none. Null: no tempo.
    double (*currentTempo)(void* context);
    // The host's idle tick; editor idle runs when it changed. Null: the Windows tick count.
    uint32_t (*hostTick)(void* context);
    // The Windows window handle of a host window reference. Null: the reference is the handle.
    void* (*windowOfReference)(void* context, void* reference);
    // A control change the plug-in made itself (kind kPIControlSet, value on the control scale), or the
    // start and end of a user's gesture (kPIControlTouch, kPIControlRelease, value unused).
    void (*controlEvent)(void* context, PIInstance* instance, int32_t kind, int32_t control, int32_t value);
    // The name of a new instance's MIDI input node. Null: the type name, a space and a serial number.
    void (*midiNodeName)(void* context, PIInstance* instance, char* name, int32_t size);
};

enum PIControlEventKind : int32_t { kPIControlSet = 1, kPIControlTouch = 2, kPIControlRelease = 3 };
enum PIControlKind : int32_t { kPIControlOnOff = 1, kPIControlLinear = 2 };

struct PIGroupInfo {
    int32_t manufacturerID;
    int32_t productVersion;
    char manufacturerNames[64];  // names of decreasing length, each ended by "\n"
    char productNames[64];
    int32_t settingCount;
    int32_t settings[16];
    int32_t typeCount;
};

struct PITypeInfo {
    int32_t typeID;
    int32_t productID;
    int32_t inputFormat;   // hostlib::StemFormat: 1 mono, 2 stereo
    int32_t outputFormat;
    int32_t sampleRateSupport;
    char typeName[32];
    char pageTableResource[32];
    int32_t propertyCount;
    int32_t properties[16];
};

struct PIInstanceInfo {
    int32_t inputs;   // channels the render call reads and writes
    int32_t outputs;
    int32_t channelSetting;  // kChannelSettingStereoPair or kChannelSettingPerChannel
    int32_t controlCount;    // controls are numbered 1 .. controlCount
    int32_t masterBypassControl;  // 0: none
    int32_t chunkCount;
    int32_t midiNodeID;           // 0 before initialisation
    char midiNodeName[64];
};

struct PIControlInfo {
    int32_t id;
    int32_t kind;  // PIControlKind
    char name[96];  // long name, and a short one after "\n" when there is one
    double minimum;
    double maximum;
    double step;
    double defaultValue;  // on the control's own range
    int32_t defaultControlValue;
    int32_t automatable;
};

struct PIChunkInfo {
    int32_t chunkID;
    char name[hostlib::kChunkNameLength];
};

// A rectangle of 16-bit values, top, left, bottom, right.
struct PIRect16 {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

struct PIRoutineTable {
    uint32_t structSize;
    int32_t abiVersion;

    int32_t (*groupInfo)(PIGroupInfo* info);
    int32_t (*typeInfo)(int32_t typeIndex, PITypeInfo* info);

    // A new instance of type typeIndex (0-based); null and *error set on failure.
    PIInstance* (*createInstance)(int32_t typeIndex, int32_t* error);
    void (*destroyInstance)(PIInstance* instance);
    int32_t (*instanceInfo)(PIInstance* instance, PIInstanceInfo* info);
    int32_t (*initialize)(PIInstance* instance);
    int32_t (*setSampleRate)(PIInstance* instance, double rate);
    int32_t (*idle)(PIInstance* instance);

    // Controls, numbered from 1. Setting a value tells the plug-in at once.
    int32_t (*controlInfo)(PIInstance* instance, int32_t control, PIControlInfo* info);
    int32_t (*controlValue)(PIInstance* instance, int32_t control, int32_t* value);
    int32_t (*setControlValue)(PIInstance* instance, int32_t control, int32_t value);
    int32_t (*continuousToControl)(PIInstance* instance, int32_t control, double continuous, int32_t* value);
    int32_t (*controlToContinuous)(PIInstance* instance, int32_t control, int32_t value, double* continuous);

    // Audio thread. inputs and outputs hold PIInstanceInfo::inputs / outputs pointers; a null pointer
    // is a channel the host does not supply.
    int32_t (*render)(PIInstance* instance, float** inputs, float** outputs, int32_t frames);
    // MIDI for the next render call (any thread, one producer).
    int32_t (*midiEvent)(PIInstance* instance, int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2);

    // Chunks: every chunk starts with hostlib::ChunkHeader. A size of 0 means nothing to save.
    int32_t (*chunkInfo)(PIInstance* instance, int32_t index, PIChunkInfo* info);
    int32_t (*chunkSize)(PIInstance* instance, int32_t chunkID, int32_t* size);
    int32_t (*getChunk)(PIInstance* instance, int32_t chunkID, void* buffer, int32_t bufferSize);
    int32_t (*setChunk)(PIInstance* instance, int32_t chunkID, const void* chunk, int32_t size);

    // Keys: kind hostlib::kKeyDown or kKeyUp; *handled 1 when the plug-in used it.
    int32_t (*keyEvent)(PIInstance* instance, int32_t kind, int32_t character, int32_t modifiers, int32_t* handled);

    // The plug-in window. Points and rectangles are in the host window's client coordinates.
    int32_t (*viewSize)(PIInstance* instance, PIRect16* rect);
    int32_t (*setWindow)(PIInstance* instance, void* windowReference);  // null: the window is removed
    int32_t (*draw)(PIInstance* instance, const PIRect16* rect);        // null: everything
    int32_t (*mouseDown)(PIInstance* instance, int32_t x, int32_t y, int32_t* handled);
};

// The module's four exports.
using PIWinPlugInOpenProc = int32_t (*)(void* hostModule, const PIHostServices* services);
using PIWinPlugInCloseProc = int32_t (*)();
using PINewPlugInProc = int16_t (*)();
using PIGetRoutineDescriptorProc = const PIRoutineTable* (*)(int32_t abiVersion);

}  // extern "C"
