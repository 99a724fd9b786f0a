// The effect object: identity, dispatcher answers, parameter model, programs and the audio frame.
#pragma once

#include <array>
#include <atomic>
#include <memory>

#include "dsp/eq_engine.h"
#include "effect/effect_state.h"
#include "effect/fonctions_dravel.h"
#include "effect/instance_notice.h"
#include "effect/midi_queue.h"
#include "presets/initial_settings.h"
#include "presets/install_directory.h"
#include "presets/preset_store.h"
#include "vst/audioeffectx.h"

class CDravel : public AudioEffectX, public CFonctionsDravel, private PresetStoreHost {
public:
    static constexpr VstInt32 kUniqueId = fourCharCode('R', 'v', 'k', 't');
    static constexpr const char* kProductWord = "Tovin";
    static constexpr const char* kVendor = "Corvane";

    // The exported entry's work: checks the host's version answer, builds the effect, and hands back
    // its AEffect record, or null when the host is unusable or construction failed.
    static AEffect* createEffect(audioMasterCallback audioMaster);

    explicit CDravel(audioMasterCallback audioMaster);
    ~CDravel() override;

    // True once every construction step succeeded.
    bool isConstructed() const { return constructed_.load(std::memory_order_acquire); }

    // Dispatcher.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // Audio frame.
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    void resume() override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    VstInt32 processEvents(VstEvents* events) override;

    // Parameters (both bases' operations).
    void setParameter(VstInt32 index, float value) override;
    void setParameterAutomated(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    bool beginEdit(VstInt32 index) override;
    bool endEdit(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    bool getParameterProperties(VstInt32 index, VstParameterProperties* p) override;
    bool canParameterBeAutomated(VstInt32) override { return true; }

    // CFonctionsDravel.
    const char* displayText(int32_t index) override;
    const char* longName(int32_t index) override;
    int automationClass(int32_t index) override;
    void setFromTypedText(int32_t index, const char* text) override;
    bool setBandName(int32_t index, const char* text) override;
    void switchChannels() override;
    void classBandsByFrequency() override;
    bool readClip() override;
    void clearClip() override;
    void reportMouseButtons(int32_t buttons, int32_t tag) override;
    float wheelStep() override;
    float initSettingValue(int32_t index) override;
    void storeInitSetting(int32_t index, float value) override;
    void initFromCurrentSettings() override;
    bool currentPresetReadOnly() override;
    int channelMode() override;
    void reloadPresetStore() override;
    bool periodicTask() override { return runPeriodicTask(); }
    void setEditorListener(EffectListener* listener) override { setListener(listener); }
    bool factoryBankInUse() override;
    bool currentBankReadOnly() override;
    int currentBankIndex() override;
    int currentPresetIndex() override;
    int bankCount() override;
    int presetCount(int bank) override;
    std::string bankLabel(int bank) override;
    std::string presetName(int bank, int preset) override;
    int presetNumber(int bank, int preset) override;
    std::string currentBankName() override;
    bool newPreset(bool initSettings) override;
    bool newBank(bool initSettings) override;
    bool loadPresetNumber(int number) override;
    bool deletePresetNumber(int number) override;
    bool deleteBankNamed(const char* name) override;
    void sortBanks(int criterion) override;
    void toggleFactoryBank() override;
    bool bankExists(const char* name) override;
    bool duplicateBank(const char* name) override;
    bool renameBank(const char* name) override;
    bool movePresetToBank(const char* name) override;
    bool renamePreset(const char* name) override;
    bool setAuthorName(const char* name) override;
    bool setProjectName(const char* name) override;
    int importBank(const char* path) override;
    bool exportBank(const char* path) override;
    bool saveOptions() override;
    bool readOptions() override;
    void setMidSideCoding(bool on) override;
    int outputChannels() override { return outputsInUse(); }

    // Programs and chunks.
    void setProgram(VstInt32 program) override;
    void setProgramName(char*) override {}
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    // Identity and capabilities.
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    VstInt32 getPlugCategory() override { return kPlugCategEffect; }
    bool setBypass(bool onOff) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return 1; }
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    VstInt32 canDo(char* text) override;

    // Access for the editor, the presets and tests.
    void setListener(EffectListener* listener) { listener_.store(listener, std::memory_order_release); }
    EffectState& state() { return *state_; }
    const EffectState& state() const { return *state_; }
    EqEngine& engine() { return engine_; }
    int instanceNumber() const { return instanceNumber_; }
    int activeSlotIndex() const;
    int editedChannel() const;  // 0 LEFT, 1 RIGHT
    int outputsInUse() const { return outputsInUse_.load(std::memory_order_relaxed); }
    int inputsInUse() const { return inputsInUse_.load(std::memory_order_relaxed); }
    float effectSampleRate() const { return sampleRateCopy_.load(std::memory_order_relaxed); }
    int engineSlotOf(int band) const { return slotMap_[static_cast<std::size_t>(band)].load(std::memory_order_relaxed); }
    bool automationInProgress() const { return automationInProgress_.load(std::memory_order_relaxed) != 0; }
    PresetStore& presetStore() { return *store_; }
    InitialSettings& initialSettings() { return initial_; }
    const PresetDirectory& presetDirectory() const { return directory_; }

    // The periodic task, run by the editor's idle at most every 150 ms: ends a finished frequency-finding
    // boost, and every eighth run looks for another instance's notice and re-reads the preset store when
    // one arrived. True when it re-read it.
    bool runPeriodicTask();
    // The band boosted by the frequency-finding mode (-1: none).
    int altBoostedBand() const { return altBand_.load(std::memory_order_relaxed); }

private:
    enum class Origin { Host, Editor, Apply };

    // Values at the start of an edit gesture. Written by the editor's thread, read by whichever thread
    // delivers the parameter change.
    struct EditSnapshot {
        std::atomic<int> index{-1};  // the parameter the snapshot belongs to
        std::atomic<float> addressed{0.0f};
        std::atomic<float> other{0.0f};
        std::atomic<float> volumeAddressed{0.0f};
        std::atomic<float> volumeOther{0.0f};
    };

    // Construction steps that belong to the preset and option files.
    void readInstallationSettings();
    void drawInstanceNumber();
    void initialiseState();
    void loadInitialPresets();
    void saveActiveSlotAsPreset();
    void sendActiveSlot();

    // PresetStoreHost.
    SettingsSlot& activeSlot() override { return state_->slot[activeSlotIndex()]; }
    void resetToInitialSettings(SettingsSlot& slot, int channel) override;
    void pushActiveSlot() override;
    void applyChannelMode(int mode) override;
    void presetFilesChanged() override { notice_.post(); }

    // Parameter model internals.
    void applyParameter(int index, float value, Origin origin, int channel);
    float storedValue(int index, int channel) const;
    void storeContinuous(int slot, int channel, int index, float value);
    void coupleOtherChannel(int index, float newValue, int channel, Origin origin);
    void applyLevelCompensation(int index, float gainDb, int channel);
    void setVolumeFromCoupling(int channel, float dB);
    void runEditorSideEffects(int index, float value);
    void refreshLeftRightState();
    void recomputeSeparateChannels();
    void refreshMidSide();
    void recomputeBand(int band, int channel);
    void recomputeEngineFor(int index, int channel);
    void notify(int index, float value);
    // Tells the editor to show or hide the rows and the clip lamp that a display option governs.
    void announceDisplayOption(int index, float value);
    float bandType(int band) const;
    // The frequency-finding mode (user-interface thread).
    void beginAltBoost(int band);
    bool finishAltBoost();
    float gainDropVolume() const;
    // The current position of the preset `number` in the banks; false when it is not listed.
    bool findPreset(int number, int& bank, int& preset) const;
    void formatDisplay(int index, char* text, int size);

    AEffEditor* editor_ = nullptr;  // the editor when no host record holds it (tests without a host)
    std::unique_ptr<EffectState> state_;
    int instanceNumber_ = 0;
    std::atomic<int> automationInProgress_{0};
    std::atomic<int> outputsInUse_{2};
    std::atomic<int> inputsInUse_{2};
    std::atomic<float> sampleRateCopy_{44100.0f};
    std::atomic<bool> constructed_{false};
    std::atomic<bool> sampleRateChanging_{false};
    EqEngine engine_;
    EditSnapshot snapshot_;
    MidiQueue midiQueue_;
    std::array<std::atomic<int>, kBandCount> slotMap_{0, 1, 2, 3, 4, 5, 6, 7};  // band -> engine slot
    std::atomic<bool> userSwitchedBandOff_[2][kBandCount] = {};
    std::atomic<bool> userSwitchedGeneralOff_[2] = {};
    std::atomic<bool> actionLatch_{false};
    std::atomic<bool> separateChannels_{false};
    std::atomic<int32_t> mouseButtons_{0};     // held over mouseButtonsTag_, from the editor
    std::atomic<int32_t> mouseButtonsTag_{-1};
    std::atomic<int> altBand_{-1};  // read by whichever thread recomputes a band
    std::atomic<bool> altRestorePending_{false};
    bool altVolumeSaved_ = false;
    float altSavedVolume_ = 0.5f;
    std::atomic<EffectListener*> listener_{nullptr};
    PresetDirectory directory_;
    InstanceNotice notice_;
    InitialSettings initial_;
    std::unique_ptr<PresetStore> store_;
    char textBuffer_[128] = {};
};
