// The toolkit's own pop-up menu apart from any window system: its layout and placement on the
// screen, what keys, moves and clicks do to its levels, and how a level is drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gui/popup_menu_paint.h"
#include "gui/popup_menu_session.h"
#include "gui/text_renderer.h"
#include "recording_client.h"

using namespace VSTGUI;
using namespace VSTGUI::popup;
using tovin_test::menuItem;

namespace {

constexpr CRect kScreen{0, 0, 1280, 1024};
constexpr int kFrame = kMetrics.border + kMetrics.padding;

const std::vector<MenuItem> kMenu{
    menuItem("Factory", -1, false, true, {menuItem("Init", 100), menuItem("-"), menuItem("Warm", 101)}),
    menuItem("Locked", -1, false, false, {menuItem("Hidden", 400)}),
    menuItem("-"),
    menuItem("Rename the current bank", 2, true),
    menuItem("Delete", 3, false, false),
    menuItem("User", -1, false, true,
             {menuItem("Lead", 200), menuItem("Deep", -1, false, true, {menuItem("Sub", 300)})}),
};
enum { kFactory, kLocked, kSeparator, kRename, kDelete, kUser };

std::vector<MenuItem> numbered(int count, int firstCommand = 0) {
    std::vector<MenuItem> items;
    for (int i = 0; i < count; ++i) items.push_back(menuItem("Entry " + std::to_string(i + 1), firstCommand + i));
    return items;
}

// The centre of an entry of an open level, on the screen.
CPoint centre(const MenuSession& session, size_t level, int entry) {
    const Level& l = session.levels()[level];
    const CRect& row = l.layout.rows[static_cast<size_t>(entry)];
    return {l.frame.left + (row.left + row.right) / 2, l.frame.top + (row.top + row.bottom) / 2};
}

TEST(PopupMenuLayout, RowsStackInsideTheFrameWideEnoughForTheWidestEntryAndItsArrow) {
    const FontFace& face = menuFace();
    const LevelLayout layout = layoutLevel(kMenu, face, kScreen.height());
    ASSERT_EQ(layout.rows.size(), kMenu.size());
    EXPECT_EQ(layout.columns, 1);
    int y = kFrame;
    for (size_t i = 0; i < kMenu.size(); ++i) {
        EXPECT_EQ(layout.rows[i].top, y) << i;
        EXPECT_EQ(layout.rows[i].height(), i == kSeparator ? kMetrics.separatorHeight : kMetrics.rowHeight) << i;
        EXPECT_EQ(layout.rows[i].left, kFrame);
        EXPECT_EQ(layout.rows[i].right, layout.width - kFrame);
        y = layout.rows[i].bottom;
    }
    EXPECT_EQ(layout.height, y + kFrame);
    EXPECT_GE(layout.width - 2 * kFrame,
              kMetrics.checkColumn + text::measure(face, "Rename the current bank") + kMetrics.arrowColumn);
    EXPECT_EQ(layoutLevel({menuItem("A", 1)}, face, kScreen.height()).width, kMetrics.minimumWidth);

    EXPECT_EQ(entryAt(layout, {layout.width / 2, layout.rows[kRename].top}), kRename);
    EXPECT_EQ(entryAt(layout, {layout.width / 2, layout.rows[kSeparator].top + 1}), kSeparator);
    EXPECT_EQ(entryAt(layout, {layout.width / 2, 1}), -1);  // the frame
    EXPECT_EQ(entryAt(layout, {layout.width + 3, layout.rows[kRename].top}), -1);
}

TEST(PopupMenuLayout, ALevelTallerThanTheScreenSplitsIntoEvenColumnsThatFitIt) {
    const std::vector<MenuItem> items = numbered(80);
    constexpr int kShortScreen = 500;
    const LevelLayout layout = layoutLevel(items, menuFace(), kShortScreen);
    const int fit = (kShortScreen - 2 * kFrame) / kMetrics.rowHeight;  // 25
    EXPECT_EQ(layout.columns, (80 + fit - 1) / fit);                   // 4 of 20
    EXPECT_EQ(layout.rowsPerColumn, 20);
    EXPECT_LE(layout.height, kShortScreen);
    const int columnWidth = layout.rows[0].width();
    EXPECT_EQ(layout.width, 2 * kFrame + layout.columns * columnWidth);
    for (size_t i = 0; i < items.size(); ++i) {
        const int column = static_cast<int>(i) / layout.rowsPerColumn;
        EXPECT_EQ(layout.rows[i].left, kFrame + column * columnWidth) << i;
        EXPECT_LE(layout.rows[i].bottom, layout.height - kFrame) << i;
        EXPECT_EQ(entryAt(layout, {(layout.rows[i].left + layout.rows[i].right) / 2, layout.rows[i].top + 2}),
                  static_cast<int>(i));
    }
    EXPECT_EQ(layout.rows[20].top, kFrame);  // the second column starts at the top
    // Exactly a screen's worth stays one column.
    EXPECT_EQ(layoutLevel(numbered(fit), menuFace(), kShortScreen).columns, 1);
}

TEST(PopupMenuLayout, MenusStayOnTheScreenAndSubmenusOpenBesideTheirEntry) {
    EXPECT_EQ(placeMenu({100, 200}, {50, 60}, kScreen), CRect::fromSize(50, 60, 100, 200));
    EXPECT_EQ(placeMenu({100, 200}, {1250, 1000}, kScreen), CRect::fromSize(1180, 824, 100, 200));
    EXPECT_EQ(placeMenu({100, 200}, {-30, -5}, kScreen), CRect::fromSize(0, 0, 100, 200));
    EXPECT_EQ(placeMenu({2000, 200}, {300, 10}, kScreen).left, 0);  // wider than the screen: its start shows

    const CRect entry{104, 304, 204, 323};  // a row of a level whose frame runs from x 100 to 208
    const int beside = entry.right + kFrame - kMetrics.submenuOverlap;
    EXPECT_EQ(placeSubmenu({120, 90}, entry, kScreen), CRect::fromSize(beside, entry.top - kFrame, 120, 90));
    // No room on the right: to the left, overlapping the parent's frame as much.
    const CRect nearEdge = entry.offset(1100, 0);
    EXPECT_EQ(placeSubmenu({120, 90}, nearEdge, kScreen).right, nearEdge.left - kFrame + kMetrics.submenuOverlap);
    // Near the bottom: moved up until it ends at the screen's edge.
    const CRect low = entry.offset(0, 600);
    EXPECT_EQ(placeSubmenu({120, 90}, low, kScreen).top, entry.top - kFrame + 600);
    EXPECT_EQ(placeSubmenu({120, 600}, low, kScreen).bottom, kScreen.bottom);
    // Room on neither side: the wider side, on the screen.
    const CRect wide = placeSubmenu({700, 90}, CRect{500, 300, 700, 319}, kScreen);
    EXPECT_EQ(wide.intersect(kScreen), wide);
}

TEST(PopupMenuSession, UpAndDownWrapOverUsableEntriesRightAndReturnOpenLeftAndEscapeClose) {
    MenuSession session(kMenu, menuFace(), kScreen, {10, 10});
    const auto highlighted = [&] { return session.levels().back().highlighted; };
    session.key(MenuKey::Down);
    EXPECT_EQ(highlighted(), kFactory);
    session.key(MenuKey::Down);  // past the grey submenu and the separator
    EXPECT_EQ(highlighted(), kRename);
    session.key(MenuKey::Down);  // past the grey entry
    EXPECT_EQ(highlighted(), kUser);
    session.key(MenuKey::Down);  // round to the top
    EXPECT_EQ(highlighted(), kFactory);
    session.key(MenuKey::Up);
    EXPECT_EQ(highlighted(), kUser);

    session.key(MenuKey::Right);
    ASSERT_EQ(session.levels().size(), 2u);
    EXPECT_EQ(session.levels()[0].highlighted, kUser);  // the entry the submenu hangs on stays lit
    EXPECT_EQ(highlighted(), 0);                         // the first entry of the new level
    session.key(MenuKey::Down);
    session.key(MenuKey::Choose);  // Return opens a submenu too
    ASSERT_EQ(session.levels().size(), 3u);
    EXPECT_EQ(session.levels()[2].parentEntry, 1);
    session.key(MenuKey::Left);
    EXPECT_EQ(session.levels().size(), 2u);
    EXPECT_EQ(highlighted(), 1);
    session.key(MenuKey::Escape);
    EXPECT_EQ(session.levels().size(), 1u);
    EXPECT_FALSE(session.finished());
    session.key(MenuKey::Left);  // nothing to close at the top
    EXPECT_EQ(session.levels().size(), 1u);
    session.key(MenuKey::Right);
    session.key(MenuKey::Choose);
    EXPECT_TRUE(session.finished());
    EXPECT_EQ(session.result(), 200);
    session.key(MenuKey::Escape);  // after the end nothing changes the answer
    EXPECT_EQ(session.result(), 200);

    MenuSession escape(kMenu, menuFace(), kScreen, {10, 10});
    escape.key(MenuKey::Escape);
    EXPECT_TRUE(escape.finished());
    EXPECT_EQ(escape.result(), -1);

    // Nothing usable: the keys highlight nothing and Return chooses nothing.
    const std::vector<MenuItem> grey{menuItem("-"), menuItem("A", 1, false, false)};
    MenuSession none(grey, menuFace(), kScreen, {10, 10});
    none.key(MenuKey::Down);
    none.key(MenuKey::Up);
    none.key(MenuKey::Choose);
    EXPECT_EQ(none.levels()[0].highlighted, -1);
    EXPECT_FALSE(none.finished());
}

TEST(PopupMenuSession, LeftAndRightCrossTheColumnsOfALongLevel) {
    constexpr CRect kShort{0, 0, 1280, 200};  // room for 10 rows: 25 entries make 3 columns of 9
    std::vector<MenuItem> items = numbered(25);
    items[11] = menuItem("-");
    MenuSession session(items, menuFace(), kShort, {0, 0});
    const LevelLayout& layout = session.levels()[0].layout;
    ASSERT_EQ(layout.columns, 3);
    ASSERT_EQ(layout.rowsPerColumn, 9);
    const int perColumn = layout.rowsPerColumn;
    const auto highlighted = [&] { return session.levels()[0].highlighted; };
    session.key(MenuKey::Down);
    session.key(MenuKey::Down);
    session.key(MenuKey::Down);
    ASSERT_EQ(highlighted(), 2);
    session.key(MenuKey::Right);
    EXPECT_EQ(highlighted(), perColumn + 3);  // across is the separator: the entry below it
    session.key(MenuKey::Right);  // the row of the entry now lit
    EXPECT_EQ(highlighted(), 2 * perColumn + 3);
    session.key(MenuKey::Right);  // no fourth column
    EXPECT_EQ(highlighted(), 2 * perColumn + 3);
    session.key(MenuKey::Left);
    session.key(MenuKey::Left);
    EXPECT_EQ(highlighted(), 3);
    session.key(MenuKey::Left);  // the first column: Left closes a level, and this is the top
    EXPECT_FALSE(session.finished());
    EXPECT_EQ(highlighted(), 3);
    // From the last entry, row 6 of the last column, Left goes to row 6 of the column before.
    session.key(MenuKey::Up);
    session.key(MenuKey::Up);
    session.key(MenuKey::Up);
    session.key(MenuKey::Up);  // wrapped round to the last entry, 24: the last column's row 6
    ASSERT_EQ(highlighted(), 24);
    session.key(MenuKey::Left);
    EXPECT_EQ(highlighted(), perColumn + 6);
}

TEST(PopupMenuSession, RestingOnASubmenuEntryOpensItAfterTheDelayAndOtherEntriesCloseIt) {
    MenuSession session(kMenu, menuFace(), kScreen, {10, 10});
    session.pointerMoved(centre(session, 0, kFactory), 1000);
    EXPECT_EQ(session.levels()[0].highlighted, kFactory);
    ASSERT_EQ(session.hoverDeadline(), 1000 + kHoverDelayMs);
    session.elapse(1000 + kHoverDelayMs - 1);
    EXPECT_EQ(session.levels().size(), 1u);
    session.pointerMoved(centre(session, 0, kFactory).offset(3, 1), 1100);  // still resting on it
    EXPECT_EQ(session.hoverDeadline(), 1000 + kHoverDelayMs);
    session.elapse(1000 + kHoverDelayMs);
    ASSERT_EQ(session.levels().size(), 2u);
    EXPECT_EQ(session.levels()[1].highlighted, -1);  // the mouse opened it: nothing chosen for the user
    EXPECT_FALSE(session.hoverDeadline());

    // On the way to the submenu the pointer crosses Rename: the submenu stays when it arrives in time.
    session.pointerMoved(centre(session, 0, kRename), 2000);
    EXPECT_EQ(session.levels()[0].highlighted, kRename);
    session.pointerMoved(centre(session, 1, 2), 2100);
    EXPECT_EQ(session.levels()[0].highlighted, kFactory);
    EXPECT_EQ(session.levels()[1].highlighted, 2);
    EXPECT_FALSE(session.hoverDeadline());
    session.elapse(5000);
    EXPECT_EQ(session.levels().size(), 2u);

    // Resting on a plain entry closes it; on a grey submenu nothing opens.
    session.pointerMoved(centre(session, 0, kRename), 6000);
    session.elapse(6000 + kHoverDelayMs);
    EXPECT_EQ(session.levels().size(), 1u);
    session.pointerMoved(centre(session, 0, kLocked), 7000);
    EXPECT_EQ(session.levels()[0].highlighted, -1);
    EXPECT_FALSE(session.hoverDeadline());
    // Off the menu the highlight goes.
    session.pointerMoved(centre(session, 0, kRename), 8000);
    session.pointerMoved({900, 900}, 8010);
    EXPECT_EQ(session.levels()[0].highlighted, -1);
    EXPECT_FALSE(session.finished());
}

TEST(PopupMenuSession, ClicksOpenAndChooseButNotGreyEntriesAndAPressOutsideDismisses) {
    MenuSession session(kMenu, menuFace(), kScreen, {10, 10});
    // The release of the click that opened the menu, over an entry, chooses nothing.
    session.buttonReleased(centre(session, 0, kRename));
    EXPECT_FALSE(session.finished());
    session.buttonPressed(centre(session, 0, kDelete));
    session.buttonReleased(centre(session, 0, kDelete));
    session.buttonPressed(centre(session, 0, kLocked));
    session.buttonReleased(centre(session, 0, kSeparator));
    EXPECT_FALSE(session.finished());
    EXPECT_EQ(session.levels().size(), 1u);
    session.buttonPressed(centre(session, 0, kUser));
    ASSERT_EQ(session.levels().size(), 2u);
    session.buttonReleased(centre(session, 0, kUser));  // the same entry: it stays open
    ASSERT_EQ(session.levels().size(), 2u);
    session.buttonPressed(centre(session, 1, 1));
    ASSERT_EQ(session.levels().size(), 3u);
    session.buttonPressed(centre(session, 2, 0));
    EXPECT_FALSE(session.finished());  // chosen on the release
    session.buttonReleased(centre(session, 2, 0));
    EXPECT_TRUE(session.finished());
    EXPECT_EQ(session.result(), 300);

    MenuSession outside(kMenu, menuFace(), kScreen, {10, 10});
    outside.key(MenuKey::Down);
    outside.key(MenuKey::Right);
    outside.buttonPressed({1000, 900});
    EXPECT_TRUE(outside.finished());
    EXPECT_EQ(outside.result(), -1);

    MenuSession dismissed(kMenu, menuFace(), kScreen, {10, 10});
    dismissed.key(MenuKey::Down);
    dismissed.dismiss();
    dismissed.key(MenuKey::Choose);
    EXPECT_EQ(dismissed.result(), -1);
}

// Pixels of `colour` in `area` of `image`.
int countColour(const PixelImage& image, const CRect& area, Pixel colour) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) n += image.at(x, y) == colour;
    return n;
}

int brightest(const PixelImage& image, const CRect& area) {
    int most = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) most = std::max(most, pixelGreen(image.at(x, y)));
    return most;
}

TEST(PopupMenuPaint, CheckMarksHighlightsGreyTextSeparatorsAndArrowsShow) {
    MenuSession session(kMenu, menuFace(), kScreen, {10, 10});
    session.key(MenuKey::Down);
    const Level& level = session.levels()[0];
    PixelImage image;
    paintLevel(image, level, menuFace());
    ASSERT_EQ(image.width, level.layout.width);
    ASSERT_EQ(image.height, level.layout.height);
    const auto& rows = level.layout.rows;
    const auto checkColumn = [&](int entry) {
        const CRect& r = rows[static_cast<size_t>(entry)];
        return CRect{r.left, r.top, r.left + kMetrics.checkColumn, r.bottom};
    };
    const auto textColumn = [&](int entry) {
        const CRect& r = rows[static_cast<size_t>(entry)];
        return CRect{r.left + kMetrics.checkColumn, r.top, r.right - kMetrics.arrowColumn, r.bottom};
    };
    const auto arrowColumn = [&](int entry) {
        const CRect& r = rows[static_cast<size_t>(entry)];
        return CRect{r.right - kMetrics.arrowColumn, r.top, r.right, r.bottom};
    };
    const Pixel background = image.at(rows[kRename].right - 2, rows[kRename].top + 1);
    const Pixel lit = image.at(rows[kFactory].right - 2, rows[kFactory].top + 1);
    EXPECT_NE(lit, background);  // Factory is highlighted
    // A check mark only where one is set.
    EXPECT_GT(rows[kRename].width() * rows[kRename].height() - countColour(image, checkColumn(kRename), background), 10);
    EXPECT_EQ(countColour(image, checkColumn(kUser), background), kMetrics.checkColumn * kMetrics.rowHeight);
    // Grey text is darker than usable text; arrows only on submenus.
    EXPECT_LT(brightest(image, textColumn(kDelete)) + 60, brightest(image, textColumn(kRename)));
    EXPECT_LT(countColour(image, arrowColumn(kUser), background), kMetrics.arrowColumn * kMetrics.rowHeight);
    EXPECT_EQ(countColour(image, arrowColumn(kRename), background), kMetrics.arrowColumn * kMetrics.rowHeight);
    // The separator is a line across, not text.
    const CRect& sep = rows[kSeparator];
    const int middle = sep.top + sep.height() / 2;
    EXPECT_NE(image.at(sep.left + sep.width() / 2, middle), background);
    EXPECT_EQ(image.at(sep.left + sep.width() / 2, sep.top), background);
    // The frame differs from the inside.
    EXPECT_NE(image.at(0, image.height / 2), background);
}

}  // namespace
