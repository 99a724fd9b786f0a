// The headless back end and the choice of back end.
#include <gtest/gtest.h>

#include "gui/window_backend.h"
#include "recording_client.h"

using namespace VSTGUI;
using tovin_test::RecordingClient;
using tovin_test::WindowEvent;

TEST(HeadlessWindow, PresentCopiesOnlyTheAreaInsideThePicture) {
    RecordingClient client;
    HeadlessWindowBackend backend(client);
    const PixelImage image = tovin_test::testPattern(8, 5);
    backend.present(image, CRect{2, 1, 20, 3});  // reaches past the right edge
    ASSERT_EQ(backend.presented().width, 8);
    ASSERT_EQ(backend.presented().height, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(backend.presented().at(x, y), (x >= 2 && y >= 1 && y < 3) ? image.at(x, y) : 0u) << x << "," << y;
    EXPECT_EQ(backend.presentCount(), 1);
    backend.present(image, CRect{0, 0, 8, 5});
    EXPECT_EQ(backend.presented().pixels, image.pixels);
    EXPECT_EQ(backend.presentCount(), 2);
}

TEST(HeadlessWindow, InvalidatedAreasArriveTogetherAtTheNextPump) {
    RecordingClient client;
    HeadlessWindowBackend backend(client);
    backend.invalidate(CRect{10, 10, 20, 20});
    backend.invalidate(CRect{0, 5, 12, 15});
    EXPECT_TRUE(client.events.empty());
    backend.pumpEvents();
    ASSERT_EQ(client.events.size(), 1u);
    EXPECT_EQ(client.events[0].kind, WindowEvent::kPaint);
    EXPECT_EQ(client.events[0].area, (CRect{0, 5, 20, 20}));
    backend.pumpEvents();
    EXPECT_EQ(client.events.size(), 1u);
}

TEST(HeadlessWindow, ScriptedMenuChoiceAnswersOnceAndKeepsTheItems) {
    RecordingClient client;
    HeadlessWindowBackend backend(client);
    using tovin_test::menuItem;
    const std::vector<MenuItem> items{menuItem("Bell", 3), menuItem("-"),
                                      menuItem("Shelves", -1, false, true, {menuItem("Low", 7, true)})};
    backend.scriptMenuChoice(7);
    EXPECT_EQ(backend.popupMenu(items, {40, 12}), 7);
    ASSERT_EQ(backend.lastMenu().size(), 3u);
    EXPECT_EQ(backend.lastMenu()[2].submenu[0].title, "Low");
    EXPECT_EQ(backend.lastMenuPoint(), (CPoint{40, 12}));
    EXPECT_EQ(backend.popupMenu(items, {0, 0}), -1);
}

TEST(HeadlessWindow, TextEditEndsAtOnceWithScriptedTextOrWaitsForEnd) {
    RecordingClient client;
    HeadlessWindowBackend backend(client);
    std::vector<std::pair<std::string, bool>> results;
    auto done = [&](const std::string& text, bool committed) { results.emplace_back(text, committed); };

    backend.scriptTypedText("2.5 kHz");
    EXPECT_TRUE(backend.beginTextEdit(CRect{0, 0, 50, 12}, "1 kHz", done));
    backend.scriptTypedText("junk", true);
    EXPECT_TRUE(backend.beginTextEdit(CRect{0, 0, 50, 12}, "1 kHz", done));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0], (std::pair<std::string, bool>{"2.5 kHz", true}));
    EXPECT_EQ(results[1], (std::pair<std::string, bool>{"junk", false}));

    // Nothing scripted: the edit stays open until endTextEdit, which keeps the text.
    EXPECT_TRUE(backend.beginTextEdit(CRect{0, 0, 50, 12}, "-3.0 dB", done));
    EXPECT_TRUE(backend.editing());
    EXPECT_EQ(results.size(), 2u);
    backend.endTextEdit();
    backend.endTextEdit();
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[2], (std::pair<std::string, bool>{"-3.0 dB", true}));
    EXPECT_FALSE(backend.editing());
}

TEST(HeadlessWindow, NullParentGivesHeadlessAndAFactoryReplacesThePlatform) {
    RecordingClient client;
    auto plain = createWindowBackend(WindowParent{}, 640, 267, client);
    ASSERT_NE(dynamic_cast<HeadlessWindowBackend*>(plain.get()), nullptr);
    EXPECT_TRUE(plain->isValid());
    EXPECT_EQ(plain->nativeHandle(), nullptr);

    int made = 0;
    int fakeWindow = 0;
    setWindowBackendFactory([&](const WindowParent& parent, int width, int height, WindowClient& c) {
        ++made;
        EXPECT_EQ(parent.handle, &fakeWindow);
        EXPECT_EQ(width, 640);
        EXPECT_EQ(height, 267);
        return std::unique_ptr<WindowBackend>(std::make_unique<HeadlessWindowBackend>(c));
    });
    auto scripted = createWindowBackend(WindowParent{&fakeWindow, nullptr}, 640, 267, client);
    setWindowBackendFactory(nullptr);
    EXPECT_EQ(made, 1);
    EXPECT_NE(dynamic_cast<HeadlessWindowBackend*>(scripted.get()), nullptr);
    createWindowBackend(WindowParent{}, 640, 267, client);
    EXPECT_EQ(made, 1);
}
