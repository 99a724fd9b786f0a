// A new instance on an installed factory bank: initial settings in slot A, preset 0 in slot B.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "effect/parameter_tables.h"
#include "host_recorder.h"
#include "presets/test_directory.h"

namespace fs = std::filesystem;

namespace {

// On Linux the instance finds the copy through the environment; under Wine the test prefix's
// registry already names a directory holding the same factory bank.
class InstalledBank : public ::testing::Test {
protected:
    void SetUp() override {
        // As an installation records it: without the trailing separator.
        const fs::path directory = fs::path(copy.path()).parent_path();
        for (const auto& entry : fs::directory_iterator(TOVIN_FACTORY_DIR)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("preset", 0) == 0 || name == "InitSettings") fs::copy(entry.path(), directory / name);
        }
#if !defined(_WIN32)
        setenv("TOVIN_INSTALL_DIRECTORY", directory.string().c_str(), 1);
#endif
    }
    void TearDown() override {
#if !defined(_WIN32)
        setenv("TOVIN_INSTALL_DIRECTORY", "", 1);
#endif
    }
    // A directory of this test's own: ctest runs the tests side by side in separate processes.
    TestDirectory copy;
};

}  // namespace

TEST_F(InstalledBank, NewInstanceStartsOnInitialSettingsWithPresetZeroInSlotB) {
    EffectHandle h;
    ASSERT_NE(h.effect, nullptr);
    const EffectState& s = h.effect->state();
    EXPECT_EQ(h.effect->activeSlotIndex(), 0);
    EXPECT_EQ(s.version, kStateVersion);

    const SettingsSlot& b = s.slot[1];
    EXPECT_EQ(b.info.presetNumber, 0);
    EXPECT_EQ(b.info.factory, 1);
    EXPECT_STRNE(b.info.presetName, "");
    EXPECT_EQ(b.modified, 0);

    const SettingsSlot& a = s.slot[0];
    EXPECT_EQ(a.modified, 1);
    EXPECT_EQ(a.channelSelector, 1.0f);
    EXPECT_EQ(a.coupling.linked, 1.0f);
    EXPECT_EQ(a.coupling.mirrored, 0.0f);
    EXPECT_EQ(a.coupling.keepRelation, 1.0f);
    EXPECT_EQ(h.effect->editedChannel(), 0);
    // Slot A holds the initial settings, which differ from preset 0.
    EXPECT_NE(std::memcmp(&a.settings, &b.settings, sizeof(SettingsRecord)), 0);
    char name[32];
    std::snprintf(name, sizeof(name), "Tovin%.2dB", h.effect->instanceNumber());
    EXPECT_STREQ(b.name, name);

    // Switching to B plays preset 0 and shows its name.
    h.effect->setParameterAutomated(param::kSelectB, 1.0f);
    EXPECT_EQ(std::string(h.effect->displayText(param::kPresetNameText)), b.info.presetName);
}

TEST_F(InstalledBank, ChunkRoundTripIntoANewInstance) {
    EffectHandle first;
    first.effect->setParameter(param::kB3Gain, 0.8f);
    first.effect->setParameter(param::kOptSaveInProject, 1.0f);
    first.effect->setParameter(param::kOptSnapGain, 2.0f);
    first.effect->setParameter(param::kSlotSelector, 1.0f);
    void* data = nullptr;
    const VstIntPtr size = first.dispatch(effGetChunk, 0, 0, &data);
    ASSERT_EQ(size, 1904);
    const std::string image(static_cast<const char*>(data), static_cast<std::size_t>(size));

    EffectHandle second;
    EXPECT_EQ(second.dispatch(effSetChunk, 0, size, const_cast<char*>(image.data())), 0);
    const EffectState& a = first.effect->state();
    const EffectState& b = second.effect->state();
    EXPECT_EQ(std::memcmp(&a.slot, &b.slot, sizeof(a.slot)), 0);
    EXPECT_EQ(b.slotSelector, 1.0f);
    EXPECT_EQ(b.options.snapGain, 2.0f);
    EXPECT_EQ(second.effect->activeSlotIndex(), 1);

    // A chunk too short to hold anything is refused without a change.
    const EffectState before = b;
    EXPECT_EQ(second.dispatch(effSetChunk, 0, 3, const_cast<char*>(image.data())), 1);
    EXPECT_EQ(std::memcmp(&before, &b, sizeof(EffectState)), 0);
}
