// Base of every control: a value in min..max (0..1 here), a tag, a listener, edit gestures and the
// dirty state that makes the frame redraw it. User-interface thread only.
#pragma once

#include "gui/control_listener.h"
#include "gui/view.h"

namespace VSTGUI {

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener, long tag, CBitmap* background = nullptr);

    virtual void setValue(float value) { value_ = value; }
    float getValue() const { return value_; }
    void setMin(float v) { min_ = v; }
    float getMin() const { return min_; }
    void setMax(float v) { max_ = v; }
    float getMax() const { return max_; }
    void setDefaultValue(float v) { default_ = v; }
    float getDefaultValue() const { return default_; }
    // Clamps the value to min..max.
    void bounceValue();

    long getTag() const { return tag_; }
    void setTag(long tag) { tag_ = tag; }
    CControlListener* getListener() const { return listener_; }
    void setListener(CControlListener* listener) { listener_ = listener; }

    // A control is dirty when its value differs from the value it last drew, or when asked to redraw.
    bool isDirty() const override;
    void setDirty(bool dirty = true) override;

    void beginEdit();
    void endEdit();
    bool isEditing() const { return editing_; }

    virtual bool isTextEntry() const { return false; }

protected:
    // Tells the listener.
    void notifyListener(CDrawContext* context);

    CControlListener* listener_;
    long tag_;
    float value_ = 0.0f;
    float oldValue_ = -1.0f;  // no value drawn yet
    float min_ = 0.0f;
    float max_ = 1.0f;
    float default_ = 0.5f;
    bool editing_ = false;
};

}  // namespace VSTGUI
