// Text controls: CParamDisplay shows a text over its background; CTextEdit lets the user type it;
// COptionMenu is a button that opens a pop-up menu of its entries. User-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "gui/control.h"
#include "gui/font_atlas.h"
#include "gui/pixel_image.h"
#include "gui/text_renderer.h"
#include "gui/window_backend.h"

namespace VSTGUI {

class CParamDisplay : public CControl {
public:
    CParamDisplay(const CRect& size, CBitmap* background = nullptr);

    void draw(CDrawContext* context) override;
    virtual void setText(const std::string& text);
    const std::string& getText() const { return text_; }

    void setFont(FontId font) { font_ = font; }
    FontId getFont() const { return font_; }
    void setFontColor(Pixel colour) { fontColour_ = colour; }
    void setBackColor(Pixel colour) { backColour_ = colour; }
    void setHoriAlign(HoriTxtAlign align) { align_ = align; }
    // Space kept clear inside the box on the left and right.
    void setTextInset(int pixels) { inset_ = pixels; }

protected:
    void drawBackground(CDrawContext* context);
    void drawText(CDrawContext* context, const std::string& text);

    std::string text_;
    FontId font_ = FontId::Sans10;
    Pixel fontColour_ = makePixel(230, 230, 230);
    Pixel backColour_ = makePixel(20, 20, 20);
    HoriTxtAlign align_ = HoriTxtAlign::kCenterText;
    int inset_ = 2;
};

class CTextEdit : public CParamDisplay {
public:
    CTextEdit(const CRect& size, CControlListener* listener, long tag, const char* text = nullptr,
              CBitmap* background = nullptr);

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint where, long buttons) override;
    bool onKeyDown(int character, int virtualKey, long modifiers) override;
    void takeFocus() override;
    void looseFocus() override;
    bool isTextEntry() const override { return true; }
    bool isEditingText() const { return editingText_; }
    // Longest text the field takes, in bytes.
    void setMaxLength(std::size_t bytes) { maxLength_ = bytes; }

protected:
    // Ends the edit: keeps the typed text and tells the listener when `commit`.
    void finishEdit(const std::string& text, bool commit);

    std::string editBuffer_;
    std::size_t maxLength_ = 255;
    bool editingText_ = false;
    bool systemEdit_ = false;
    // The shown text starts selected, as in a system edit control: the first typed character replaces it.
    bool allSelected_ = false;
};

class COptionMenu : public CParamDisplay {
public:
    struct Entry {
        std::string title;  // "-" is a separator
        bool checked = false;
        bool enabled = true;
        COptionMenu* submenu = nullptr;  // remembered while listed
    };

    COptionMenu(const CRect& size, CControlListener* listener, long tag, CBitmap* background = nullptr,
                CBitmap* backgroundPressed = nullptr, long style = 0);
    ~COptionMenu() override;

    // A title "-" is a separator; a title starting with "-G" is shown greyed (the rest is its text).
    bool addEntry(const std::string& title, int index = -1);
    bool addEntry(COptionMenu* submenu, const std::string& title);
    bool removeAllEntry();
    int getNbEntries() const { return static_cast<int>(entries_.size()); }
    const Entry* getEntry(int index) const;
    bool setEntryTitle(int index, const std::string& title);
    bool checkEntry(int index, bool checked);
    bool checkEntryAlone(int index);
    bool setCurrent(int index);
    int getCurrent() const { return current_; }
    long getStyle() const { return style_; }

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint where, long buttons) override;
    void takeFocus() override;
    void looseFocus() override;
    // Shows the pop-up now; the chosen entry becomes the value of the menu it belongs to, which tells its
    // listener. Returns that menu, or null when nothing was chosen.
    COptionMenu* popup(CDrawContext* context);

protected:
    // The entries as back-end menu items; `menus` collects this menu and its submenus by command base.
    void toItems(std::vector<MenuItem>& items, std::vector<COptionMenu*>& menus);

    std::vector<Entry> entries_;
    int current_ = -1;
    long style_;
    CBitmap* pressedBackground_ = nullptr;
    bool pressed_ = false;
};

}  // namespace VSTGUI
