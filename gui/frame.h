// The editor's top-level view: owns the window back end and the picture every view draws into,
// redraws what is dirty at idle and presents it, and hands the user's input to the views.
// User-interface thread only (the thread that created the frame).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/draw_context.h"
#include "gui/view_container.h"
#include "gui/window_backend.h"

namespace VSTGUI {

// What the frame needs from the editor that owns it.
class CFrameHost {
public:
    virtual ~CFrameHost() = default;
    // Edit gestures, routed to the host's begin/end edit.
    virtual void beginEdit(long tag) = 0;
    virtual void endEdit(long tag) = 0;
    // Lets the host run during a modal mouse loop.
    virtual void doIdleStuff() {}
    // 0 circular, 1 relative circular, 2 linear.
    virtual long getKnobMode() const { return 2; }
};

class CFrame : public CViewContainer, private WindowClient {
public:
    CFrame(const CRect& size, const WindowParent& parent, CFrameHost* host);
    ~CFrame() override;

    // False when the window could not be made.
    bool isOpen() const { return backend_ != nullptr && backend_->isValid(); }
    WindowBackend* backend() const { return backend_.get(); }
    CFrameHost* host() const { return host_; }
    CFrame* asFrame() const override { return const_cast<CFrame*>(this); }

    // Window events, redraw of what is dirty, present.
    void idle();
    bool isInIdle() const { return inIdle_; }
    // The idle step of a modal mouse loop: the host's idle and the window's events, no nested clicks.
    void doIdleStuff();

    // Redraws `area` (frame pixels) now and shows it: for an embedding host window.
    void drawRect(const CRect& area);
    // Draws the whole tree into the picture without presenting (snapshots, tests).
    void renderAll();
    const PixelImage& pixels() const { return picture_.image(); }

    // Input from an embedding host window.
    // A press from an embedding host window that sends no further mouse events: the drag it starts is
    // followed by polling the pointer and the buttons until they are let go.
    void mouseDownAndTrack(CPoint where, long buttons);
    bool onWheelAt(CPoint where, float distance, long buttons);
    bool onKeyDown(int character, int virtualKey, long modifiers) override;

    long getCurrentMouseButtons() const;
    CPoint getCurrentMouseLocation() const;

    void setFocusView(CView* view);
    CView* getFocusView() const { return focus_; }

    int popupMenu(const std::vector<MenuItem>& items, CPoint where);
    bool beginTextEdit(const CRect& area, const std::string& text, std::function<void(const std::string&, bool)> done);
    void endTextEdit();

    // Called by views leaving the tree.
    void viewRemoved(CView* view);

private:
    void windowMouseDown(CPoint where, long buttons) override;
    void windowMouseUp(CPoint where, long buttons) override;
    void windowMouseMoved(CPoint where, long buttons) override;
    bool windowWheel(CPoint where, float distance, long buttons) override;
    bool windowKey(int character, int virtualKey, long modifiers, bool down) override;
    void windowNeedsPaint(const CRect& area) override;
    void windowFocusLost() override;

    // One step of the drag in progress: the grabbing view hears of the pointer and the buttons held
    // now; it lets go when no mouse button is held any more.
    void dragStep(CPoint where, long buttons);
    // Redraws the views meeting `area` into the picture.
    void redraw(const CRect& area);
    // Redraws what is dirty and shows it.
    void presentDirty();
    static bool contains(const CView* outer, const CView* inner);

    CFrameHost* host_;
    COffscreenContext picture_;
    std::unique_ptr<WindowBackend> backend_;
    CView* focus_ = nullptr;
    CView* grab_ = nullptr;  // the view that took the press, until the last button is let go
    CPoint lastPointer_{};
    bool inIdle_ = false;
    bool inMouse_ = false;
};

}  // namespace VSTGUI
