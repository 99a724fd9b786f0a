#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <cstring>
#include <set>

#include "presets/name_test.h"
#include "store_fixture.h"

namespace {

std::filesystem::path factoryDirectory() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "presets" / "factory";
}

// The factory bank copied into a fresh store directory (a scan may rewrite damaged files).
void installFactoryBank(const StoreFixture& f) {
    for (const auto& entry : std::filesystem::directory_iterator(factoryDirectory())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("preset", 0) == 0 || name == "InitSettings") {
            std::filesystem::copy_file(entry.path(), std::filesystem::path(f.dir.path()) / name);
        }
    }
}

// The physical frequency of a normalized value on the 23-point frequency table.
double frequencyOf(float value) {
    static const double table[] = {20,   30,   45,   60,   80,   100,  140,   200,   300,   500,   700,  1000,
                                   1500, 2000, 3000, 5000, 7000, 8500, 10000, 12000, 14000, 17000, 20000};
    const double x = value * 22.0;
    const int i = std::min(static_cast<int>(x), 21);
    return table[i] + (x - i) * (table[i + 1] - table[i]);
}

}  // namespace

TEST(FactoryBank, EveryPresetLoadsWithValidNamesAndValues) {
    StoreFixture f;
    installFactoryBank(f);
    f.store.scan();
    ASSERT_GE(f.store.count(), 16);
    EXPECT_EQ(f.store.groupCount(), 3);
    std::set<std::string> banks;
    int expected = 0;
    for (const auto& [number, info] : f.store.presets()) {
        EXPECT_EQ(number, expected++) << "factory presets are numbered from 0 without gaps";
        EXPECT_EQ(info.factory, 1);
        EXPECT_TRUE(IsValidName(info.presetName, 31)) << info.presetName;
        EXPECT_STREQ(info.authorName, "Corvane");
        banks.insert(info.bankName);

        ASSERT_EQ(f.store.loadPreset(number), 0) << number;
        const SettingsSlot& slot = f.effect.slot[0];
        EXPECT_EQ(slot.info.activeBandCount, ActiveBandCount(slot.settings)) << info.presetName;
        EXPECT_EQ(slot.settings.generalOn, 1.0f);
        for (int index = 0; index <= 33; ++index) {
            const float left = *SettingsField(slot.settings, index, 0);
            EXPECT_TRUE(left >= 0.0f && left <= 1.0f);
            EXPECT_EQ(left, *SettingsField(slot.settings, index, 1)) << "both channels alike";
        }
        for (const BandRecord& band : slot.settings.band) EXPECT_TRUE(IsValidName(band.name, kBandNameLimit));
    }
    EXPECT_EQ(banks, (std::set<std::string>{"Vocals & Speech", "Drums & Instruments", "Mix & Master"}));
}

TEST(FactoryBank, SpotChecksOfTheSound) {
    StoreFixture f;
    installFactoryBank(f);
    f.store.scan();
    auto find = [&](const std::string& name) {
        for (const auto& [number, info] : f.store.presets()) {
            if (name == info.presetName) return number;
        }
        return -1;
    };
    ASSERT_EQ(f.store.loadPreset(find("Telephone Voice")), 0);
    const SettingsRecord& phone = f.effect.slot[0].settings;
    EXPECT_EQ(phone.band[kBandHP].on, 1.0f);
    EXPECT_EQ(phone.band[kBandLP].on, 1.0f);
    EXPECT_NEAR(frequencyOf(phone.channel[0].band[kBandLP].frequency), 3000.0, 1.0);
    EXPECT_STREQ(phone.band[kBandLP].name, "Line High");

    ASSERT_EQ(f.store.loadPreset(find("Broadcast Cleanup")), 0);
    const SettingsRecord& broadcast = f.effect.slot[0].settings;
    EXPECT_LT(broadcast.channel[1].band[kBandB4].gain, 0.5f);  // the de-essing cut
    EXPECT_NEAR(frequencyOf(broadcast.channel[1].band[kBandB4].frequency), 7000.0, 1.0);

    ASSERT_EQ(f.store.loadPreset(find("Clean Start")), 0);
    EXPECT_EQ(ActiveBandCount(f.effect.slot[0].settings), 1);

    // The shipped initial settings are the built-in ones.
    InitialSettings initial;
    initial.read(PresetDirectory{f.dir.path(), true});
    EXPECT_EQ(std::memcmp(&initial.record(), &f.effect.initial, sizeof(SettingsRecord)), 0);
}
