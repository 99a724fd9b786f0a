// The editor's way to the effect: every call a control or the editor makes on the effect goes through
// this object, which forwards to the effect's CFonctionsDravel side. User-interface thread only.
#pragma once

#include <cstdint>

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

private:
    CFonctionsDravel& effect_;
};
