// What a control tells its owner (the editor) when the user changes it. User-interface thread only.
#pragma once

namespace VSTGUI {

class CControl;
class CDrawContext;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
    // Answer 0 to let the control handle a modifier click itself.
    virtual long controlModifierClicked(CDrawContext*, CControl*, long) { return 0; }
};

}  // namespace VSTGUI
