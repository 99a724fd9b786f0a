// The editor's way to the effect: every call a control or the editor makes on the effect goes through
// this object, which forwards to the effect's CFonctionsDravel side. User-interface thread only.
#pragma once

#include <cstdint>
#include <string>

class CFonctionsDravel;
class CInterfaceComposantGraphique;

class CInterfaceEffetVst {
public:
    virtual ~CInterfaceEffetVst() = default;
    virtual void registerGUI(CInterfaceComposantGraphique* gui) { gui_ = gui; }
    virtual CInterfaceComposantGraphique* gui() const { return gui_; }

    virtual void setParameter(int index, float value) = 0;
    virtual void setParameterAutomated(int index, float value) = 0;
    virtual float getParameter(int index) = 0;
    virtual bool readClip() = 0;
    virtual void clearClip() = 0;
    virtual void reportMouseButtons(long buttons, int tag) = 0;
    virtual float wheelStep() = 0;
    virtual const char* longName(int index) = 0;
    virtual const char* displayText(int index) = 0;
    virtual int automationClass(int index) = 0;
    virtual void initFromCurrentSettings() = 0;
    virtual void storeInitSetting(int tag, float value) = 0;
    virtual float initSettingValue(int tag) = 0;
    virtual bool currentPresetReadOnly() = 0;
    virtual int channelMode() = 0;
    virtual void reloadPresetStore() = 0;
    virtual bool periodicTask() = 0;
    virtual void setFromTypedText(int index, const char* text) = 0;
    virtual bool setBandName(int tag, const char* text) = 0;
    virtual void switchChannels() = 0;
    virtual void classBandsByFrequency() = 0;
    virtual bool beginEdit(int index) = 0;
    virtual bool endEdit(int index) = 0;

    // The preset store and the options file.
    virtual bool factoryBankInUse() = 0;
    virtual bool currentBankReadOnly() = 0;
    virtual int currentBankIndex() = 0;
    virtual int currentPresetIndex() = 0;
    virtual int bankCount() = 0;
    virtual int presetCount(int bank) = 0;
    virtual std::string bankLabel(int bank) = 0;
    virtual std::string presetName(int bank, int preset) = 0;
    virtual int presetNumber(int bank, int preset) = 0;
    virtual std::string currentBankName() = 0;
    virtual bool newPreset(bool initSettings) = 0;
    virtual bool newBank(bool initSettings) = 0;
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
    virtual int importBank(const char* path) = 0;
    virtual bool exportBank(const char* path) = 0;
    virtual bool saveOptions() = 0;
    virtual bool readOptions() = 0;
    virtual void setMidSideCoding(bool on) = 0;
    virtual int outputChannels() = 0;

protected:
    CInterfaceComposantGraphique* gui_ = nullptr;
};

class CDravelInterface : public CInterfaceEffetVst {
public:
    explicit CDravelInterface(CFonctionsDravel& effect) : effect_(effect) {}

    void setParameter(int index, float value) override;
    void setParameterAutomated(int index, float value) override;
    float getParameter(int index) override;
    bool readClip() override;
    void clearClip() override;
    void reportMouseButtons(long buttons, int tag) override;
    float wheelStep() override;
    const char* longName(int index) override;
    const char* displayText(int index) override;
    int automationClass(int index) override;
    void initFromCurrentSettings() override;
    void storeInitSetting(int tag, float value) override;
    float initSettingValue(int tag) override;
    bool currentPresetReadOnly() override;
    int channelMode() override;
    void reloadPresetStore() override;
    bool periodicTask() override;
    void setFromTypedText(int index, const char* text) override;
    bool setBandName(int tag, const char* text) override;
    void switchChannels() override;
    void classBandsByFrequency() override;
    bool beginEdit(int index) override;
    bool endEdit(int index) override;
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
    int outputChannels() override;

private:
    CFonctionsDravel& effect_;
};
