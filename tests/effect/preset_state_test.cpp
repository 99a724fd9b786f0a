// The effect with a real installation directory: start-up presets, chunks through the dispatcher
// and the notice between two instances.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host_recorder.h"
#include "presets/initial_settings.h"
#include "presets/test_directory.h"

#if !defined(_WIN32)

namespace {

// An installation directory holding the factory bank, named to the effects through the environment.
class InstalledEffects : public ::testing::Test {
protected:
    void SetUp() override {
        const auto factory = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "presets" / "factory";
        for (const auto& entry : std::filesystem::directory_iterator(factory)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("preset", 0) == 0) std::filesystem::copy_file(entry.path(), dir.path() + name);
        }
        setenv("TOVIN_INSTALL_DIRECTORY", dir.path().c_str(), 1);
    }
    void TearDown() override { setenv("TOVIN_INSTALL_DIRECTORY", "", 1); }

    TestDirectory dir;
};

}  // namespace

TEST_F(InstalledEffects, NewInstanceHasInitialSettingsInAAndPresetZeroInB) {
    EffectHandle handle;
    ASSERT_NE(handle.effect, nullptr);
    const EffectState& state = handle.effect->state();
    EXPECT_LT(state.slotSelector, 0.5f);
    EXPECT_STREQ(state.slot[1].info.presetName, "Vocal Clarity");
    EXPECT_EQ(state.slot[1].settings.band[kBandHP].on, 1.0f);
    EXPECT_EQ(state.slot[0].modified, 1);
    const SettingsRecord initial = BuiltInInitialSettings();
    EXPECT_EQ(state.slot[0].settings.band[kBandHP].on, initial.band[kBandHP].on);
    EXPECT_EQ(state.slot[0].settings.channel[0].band[kBandB2].gain, initial.channel[0].band[kBandB2].gain);
    EXPECT_EQ(handle.effect->presetStore().count(), 16);
}

TEST_F(InstalledEffects, ChunkRestoresIntoANewInstanceAndBadChunksFallBackToPresetZero) {
    std::vector<char> image;
    {
        EffectHandle first;
        ASSERT_NE(first.effect, nullptr);
        first.effect->setParameter(49, 1.0f);  // slot B active
        first.effect->setParameter(7, 0.8f);
        void* data = nullptr;
        const VstIntPtr size = first.dispatch(effGetChunk, 0, 0, &data);
        ASSERT_EQ(size, 1904);
        image.assign(static_cast<char*>(data), static_cast<char*>(data) + size);
    }
    EffectHandle second;
    ASSERT_NE(second.effect, nullptr);
    second.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(image.size()), image.data());
    const EffectState& state = second.effect->state();
    EXPECT_EQ(std::memcmp(&state.slot, image.data() + 4, sizeof state.slot), 0);
    EXPECT_GE(state.slotSelector, 0.5f);
    EXPECT_NEAR(second.effect->getParameter(7), 0.8f, 1e-6);
    EXPECT_EQ(state.slot[1].info.presetNumber, 0);  // relinked to the factory preset

    float three = 3.0f;
    std::memcpy(image.data(), &three, 4);
    second.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(image.size()), image.data());
    EXPECT_STREQ(state.slot[0].info.presetName, "Vocal Clarity");
    EXPECT_STREQ(state.slot[1].info.presetName, "Vocal Clarity");
    EXPECT_GE(state.slotSelector, 0.5f);
    EXPECT_EQ(second.dispatch(effSetChunk, 0, 3, image.data()), 1);
}

TEST_F(InstalledEffects, AnotherInstanceReloadsAfterASave) {
    EffectHandle writer;
    EffectHandle reader;
    ASSERT_TRUE(writer.effect != nullptr && reader.effect != nullptr);
    ASSERT_TRUE(writer.effect->presetStore().newPreset(false));
    int reloads = 0;
    for (int run = 0; run < 8; ++run) {
        reloads += reader.effect->runPeriodicTask();
        EXPECT_FALSE(writer.effect->runPeriodicTask());
    }
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(reader.effect->presetStore().count(), 17);
}

#endif
