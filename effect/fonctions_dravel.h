// The interface through which the editor and the host adapter reach the effect.
#pragma once

#include <cstdint>

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
    virtual void switchChannels() = 0;
    virtual void classBandsByFrequency() = 0;
    virtual bool beginEdit(int32_t index) = 0;
    virtual bool endEdit(int32_t index) = 0;
};

// What the effect tells its editor. The editor registers itself; values arrive on the thread that
// made the change.
class EffectListener {
public:
    virtual ~EffectListener() = default;
    virtual void parameterChanged(int32_t index, float value) = 0;
};
