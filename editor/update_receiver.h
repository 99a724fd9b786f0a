// The second base of every own control: how the effect changes a control's value, picture variant or
// visibility by tag. User-interface thread only (the editor defers calls from other threads to idle).
#pragma once

class CReceptionMiseAJourComposant {
public:
    virtual ~CReceptionMiseAJourComposant() = default;
    virtual void updateValue(int tag, float value) = 0;
    virtual void setVariant(int /*tag*/, int /*index*/) {}
    virtual void setVisible(int /*tag*/, bool /*visible*/) {}
    // A notification with two values; no control uses it.
    virtual void notify(int /*tag*/, float /*first*/, float /*second*/) {}
};
