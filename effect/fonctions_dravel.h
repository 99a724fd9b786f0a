// The interface through which the editor and the host adapter reach the effect.
#pragma once

#include <cstdint>
#include <string>

class EffectListener;

// The editor's elements that the effect shows or hides (EffectListener::elementShown).
namespace editor_element {
constexpr int kFrequencyRow = 111;
constexpr int kGainRow = 112;
constexpr int kQRow = 113;
constexpr int kNamesRow = 114;
constexpr int kClipLamp = 115;
}  // namespace editor_element

// Generic parameter access; the first four operations of the effect's second base.
class CFonctionsVST {
public:
    virtual ~CFonctionsVST() = default;
    virtual void setParameter(int32_t index, float value) = 0;
    virtual void setParameterAutomated(int32_t index, float value) = 0;
    virtual float getParameter(int32_t index) = 0;
};

class CFonctionsDravel : public CFonctionsVST {
public:
    // Text shown for a value (the pointer stays valid until the next call on this effect).
    virtual const char* displayText(int32_t index) = 0;
    virtual const char* longName(int32_t index) = 0;
    // 2 for continuous host parameters, 1 for switches, 0 for internal indexes.
    virtual int automationClass(int32_t index) = 0;
    virtual void setFromTypedText(int32_t index, const char* text) = 0;
    // Renames band index − 35 (35 to 42) of the active slot; false (nothing changed) when the text
    // fails the name test.
    virtual bool setBandName(int32_t index, const char* text) = 0;
    virtual void switchChannels() = 0;
    virtual void classBandsByFrequency() = 0;
    virtual bool beginEdit(int32_t index) = 0;
    virtual bool endEdit(int32_t index) = 0;

    // What the editor asks of the effect. User-interface thread.
    // True when a clip was registered since the last read; the read clears it unless clip hold is on.
    virtual bool readClip() = 0;
    virtual void clearClip() = 0;
    // The mouse buttons held over the control `tag` (0 when released).
    virtual void reportMouseButtons(int32_t buttons, int32_t tag) = 0;
    // Knob change per wheel unit (0.01, 0.05 or 0.1, from the wheel option).
    virtual float wheelStep() = 0;
    // The initial settings: value of a setting (0 to 33) and storing one, or all from the current settings.
    virtual float initSettingValue(int32_t index) = 0;
    virtual void storeInitSetting(int32_t index, float value) = 0;
    virtual void initFromCurrentSettings() = 0;
    // True when the active slot's preset cannot be overwritten (a factory preset).
    virtual bool currentPresetReadOnly() = 0;
    // 0 linked channels, 1 left/right, 2 mid/side.
    virtual int channelMode() = 0;
    // Re-reads the preset store (the editor asks once at open).
    virtual void reloadPresetStore() = 0;
    // The editor's periodic task; see CDravel::runPeriodicTask.
    virtual bool periodicTask() = 0;
    // The editor registers to hear of every change (null: no longer).
    virtual void setEditorListener(EffectListener* listener) = 0;

    // The preset store, for the editor's menus and dialogs. User-interface thread. Banks are the store's
    // groups under the current sort criterion; a preset is named by its number, which stays the same
    // while other presets come and go.
    virtual bool factoryBankInUse() = 0;
    // True when the current bank cannot be renamed, deleted or exported (no current bank, a sort
    // criterion other than the bank name, or factory presets only).
    virtual bool currentBankReadOnly() = 0;
    virtual int currentBankIndex() = 0;    // negative: none
    virtual int currentPresetIndex() = 0;  // within the current bank; negative: none
    virtual int bankCount() = 0;           // 0 when there are no presets
    virtual int presetCount(int bank) = 0;
    // The bank's label for the sort criterion, and the name and number of its preset `preset`
    // ("-" and -1 when there is none).
    virtual std::string bankLabel(int bank) = 0;
    virtual std::string presetName(int bank, int preset) = 0;
    virtual int presetNumber(int bank, int preset) = 0;
    virtual std::string currentBankName() = 0;
    // New preset or bank from the initial settings (true) or the current ones.
    virtual bool newPreset(bool initSettings) = 0;
    virtual bool newBank(bool initSettings) = 0;
    // Loads, deletes: only the preset of that number, or the bank of that name, as they are now; false
    // (nothing done) when it no longer exists or may not be deleted.
    virtual bool loadPresetNumber(int number) = 0;
    virtual bool deletePresetNumber(int number) = 0;
    virtual bool deleteBankNamed(const char* name) = 0;
    virtual void sortBanks(int criterion) = 0;
    virtual void toggleFactoryBank() = 0;
    virtual bool bankExists(const char* name) = 0;
    virtual bool duplicateBank(const char* name) = 0;
    virtual bool renameBank(const char* name) = 0;
    virtual bool movePresetToBank(const char* name) = 0;
    virtual bool renamePreset(const char* name) = 0;
    virtual bool setAuthorName(const char* name) = 0;
    virtual bool setProjectName(const char* name) = 0;
    // Bank files: the number of presets imported (negative: not an export file), export success.
    virtual int importBank(const char* path) = 0;
    virtual bool exportBank(const char* path) = 0;
    // The options file of the installation directory.
    virtual bool saveOptions() = 0;
    virtual bool readOptions() = 0;
    // Output channels in use (1 or 2): the channel settings need two.
    virtual int outputChannels() = 0;
    // Mid/side coding of the channels on or off (the M/S settings).
    virtual void setMidSideCoding(bool on) = 0;
};

// What the effect tells its editor. The editor registers itself; calls arrive on the thread that made
// the change (the audio thread for host automation), so a listener must not draw or block there.
class EffectListener {
public:
    virtual ~EffectListener() = default;
    virtual void parameterChanged(int32_t index, float value) = 0;
    // A control's picture variant, or an editor element shown or hidden.
    virtual void variantChanged(int32_t /*tag*/, int32_t /*variant*/) {}
    virtual void elementShown(int32_t /*tag*/, bool /*visible*/) {}
    // Many controls changed at once (a preset load): redraw everything.
    virtual void redrawAll() {}
    virtual void channelModeChanged(int32_t /*mode*/) {}
};
