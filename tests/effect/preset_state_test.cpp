// The effect with a real installation directory: unreadable chunks, relinking, and the notice
// between two instances.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host_recorder.h"
#include "presets/test_directory.h"

#if !defined(_WIN32) && defined(TOVIN_FACTORY_DIR)

namespace {

class InstalledEffects : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& entry : std::filesystem::directory_iterator(TOVIN_FACTORY_DIR)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("preset", 0) == 0) std::filesystem::copy_file(entry.path(), dir.path() + name);
        }
        setenv("TOVIN_INSTALL_DIRECTORY", dir.path().c_str(), 1);
    }
    void TearDown() override { setenv("TOVIN_INSTALL_DIRECTORY", "", 1); }

    TestDirectory dir;
};

}  // namespace

TEST_F(InstalledEffects, UnreadableChunksFallBackToPresetZeroAndForeignPresetsAreSaved) {
    EffectHandle handle;
    ASSERT_NE(handle.effect, nullptr);
    void* data = nullptr;
    const VstIntPtr size = handle.dispatch(effGetChunk, 0, 0, &data);
    std::vector<char> image(static_cast<char*>(data), static_cast<char*>(data) + size);
    const EffectState& state = handle.effect->state();

    // Slot B (preset 0) renamed as if it came from another machine: relinked by saving it.
    EffectState* written = reinterpret_cast<EffectState*>(image.data());
    std::strcpy(written->slot[1].info.presetName, "From Elsewhere");
    written->slotSelector = 1.0f;
    handle.dispatch(effSetChunk, 0, size, image.data());
    EXPECT_EQ(state.slot[1].info.presetNumber, 501);
    EXPECT_EQ(state.slot[1].info.factory, 0);
    EXPECT_EQ(handle.effect->presetStore().count(), 17);

    float three = 3.0f;
    std::memcpy(image.data(), &three, 4);
    handle.dispatch(effSetChunk, 0, size, image.data());
    EXPECT_STREQ(state.slot[0].info.presetName, "Vocal Clarity");
    EXPECT_STREQ(state.slot[1].info.presetName, "Vocal Clarity");
    EXPECT_GE(state.slotSelector, 0.5f);
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
