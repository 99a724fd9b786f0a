// The adapter's calls into the effect: loading the effect library, the dispatcher, parameters,
// processing, MIDI events and the editor window. Every operation answers a neutral value when no
// effect is loaded or after close().
//
// Threads: process and sendMidi on the audio thread; everything else on the UI thread.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "hostlib/midi_node.h"
#include "vst/aeffect.h"
#include "vst/aeffectx.h"

namespace adapter {

class VstCallBack;
struct EditorWindow;

// An effect library's entry (its main export).
using EffectEntry = AEffect*(VSTCALLBACK*)(audioMasterCallback);

constexpr int kMidiEventCapacity = 512;
constexpr VstInt32 kMidiEventByteSize = 24;

// Where the open editor sits in the host window (its client coordinates).
struct EditorPlacement {
    int x;
    int y;
    int width;
    int height;
};

class VstInterface {
public:
    VstInterface();
    ~VstInterface();  // close()
    VstInterface(const VstInterface&) = delete;
    VstInterface& operator=(const VstInterface&) = delete;

    // 0 when the effect was loaded through the library's main export, 1 otherwise. A given entry is
    // called instead of the library's (an effect linked into a test).
    int load(VstCallBack* callback, EffectEntry entry = nullptr);
    // Closes the editor, sends effClose and drops the effect; afterwards every call answers neutrally.
    void close();
    bool loaded() const { return effect_ != nullptr && active_ != 0; }

    // The dispatcher; a private opcode n goes out as -n. -1 without an effect.
    VstIntPtr dispatch(bool isPrivate, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    float getParameter(VstInt32 index);
    void setParameter(VstInt32 index, float value);
    void process(float** inputs, float** outputs, VstInt32 frames);
    VstInt32 numParams();
    VstInt32 uniqueID();
    // 0 and the editor's size; 2 without an editor rectangle.
    int editorSize(int* width, int* height);
    ERect* editorRect();

    // MIDI to the effect (audio thread): the packets, or one all-notes-off.
    void sendMidi(const hostlib::MidiPacket* packets, int count);
    void sendAllNotesOff();

    // The editor in a child window of the host window. openEditor raises hostlib::LibraryError with
    // the system error code when the window cannot be made.
    void openEditor(HWND parent);
    void closeEditor();
    bool editorOpen() const { return window_ != nullptr; }
    bool editorPlacement(EditorPlacement* placement) const;
    HWND editorWindow() const;
    // Open editor windows of the whole process.
    static int openWindowCount();

private:
    struct EventList {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[kMidiEventCapacity];
    };

    std::unique_ptr<std::array<VstMidiEvent, kMidiEventCapacity>> events_;
    AEffect* effect_ = nullptr;
    int active_ = 1;
    ERect* rect_ = nullptr;
    std::unique_ptr<EditorWindow> window_;
    std::unique_ptr<EventList> list_;
};

}  // namespace adapter
