// Mapping tables, snapping grids and the texts shown for values.
#include <gtest/gtest.h>

#include <string>

#include "effect/display_texts.h"
#include "effect/parameter_mapping.h"
#include "effect/snapping.h"

using namespace param;

namespace {

std::string frequencyText(float hz, bool notes = false) {
    char text[32];
    formatFrequency(hz, notes, text, sizeof(text));
    return text;
}

}  // namespace

TEST(ValueMapping, ForwardAndInverseFollowTheTables) {
    EXPECT_FLOAT_EQ(toPhysical(kHPFreq, 0, 0.0f), 20.0f);
    EXPECT_FLOAT_EQ(toPhysical(kHPFreq, 0, 1.0f), 10000.0f);
    EXPECT_FLOAT_EQ(toPhysical(kB1Freq, 0, 1.0f), 20000.0f);
    EXPECT_FLOAT_EQ(toPhysical(kB2Gain, 0, 0.5f), 0.0f);
    EXPECT_FLOAT_EQ(toPhysical(kAirGain, 0, 0.5f), 0.0f);
    // Half-way between two points of a 23-point table.
    EXPECT_NEAR(toPhysical(kB2Freq, 0, 0.5f / 22.0f), 25.0f, 1e-3f);
    // B1 and B5 quality use the shelf table when their type is shelf.
    EXPECT_FLOAT_EQ(toPhysical(kB1Qual, 1.0f, 1.0f), 2.0f);
    EXPECT_FLOAT_EQ(toPhysical(kB1Qual, 0.0f, 1.0f), 7.0f);
    EXPECT_FLOAT_EQ(toPhysical(kHPQual, 0, 0.5f), 0.7f);

    // Inverse clamps outside the table and round-trips inside it.
    EXPECT_EQ(toNormalized(kB2Freq, 0, 5.0f), 0.0f);
    EXPECT_EQ(toNormalized(kB2Freq, 0, 50000.0f), 1.0f);
    for (float v = 0.0f; v <= 1.0f; v += 0.0625f)
        for (int index : {kHPFreq, kB3Freq, kB3Qual, kB3Gain, kAirGain, kLPQual})
            EXPECT_NEAR(toNormalized(index, 0, toPhysical(index, 0, v)), v, 2e-6f) << index << " " << v;
}

TEST(ValueMapping, HostValuesThatAreNotNumbersNeverIndexATable) {
    EXPECT_EQ(sanitize(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(sanitize(std::numeric_limits<float>::infinity()), 1.0f);
    EXPECT_EQ(sanitize(-std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(toPhysical(kB2Freq, 0, std::numeric_limits<float>::quiet_NaN()), 20.0f);
    EXPECT_EQ(toNormalized(kB2Freq, 0, std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

TEST(Snapping, GridsAndTolerance) {
    const auto fine = snapGrid(kB2Freq, 0, 2.0f);
    ASSERT_EQ(fine.size(), 41u);
    EXPECT_EQ(snapToGrid(fine, 1234.0f), 1150.0f);
    EXPECT_EQ(snapToGrid(fine, 1149.995f), 1150.0f);
    EXPECT_EQ(snapToGrid(fine, 5.0f), 20.0f);
    EXPECT_EQ(snapToGrid(fine, 30000.0f), 20000.0f);
    EXPECT_EQ(snapGrid(kHPFreq, 0, 2.0f).size(), 36u);
    EXPECT_EQ(snapGrid(kHPFreq, 0, 1.0f).size(), 19u);
    EXPECT_EQ(snapGrid(kB2Freq, 0, 1.0f).size(), 23u);
    EXPECT_EQ(snapGrid(kB2Freq, 0, 3.0f).size(), 144u);
    EXPECT_TRUE(snapGrid(kB2Freq, 0, 0.0f).empty());
    EXPECT_TRUE(snapGrid(kB2Freq, 0, 4.0f).empty());  // above the listed codes
    EXPECT_TRUE(snapGrid(kB2Qual, 0, 3.0f).empty());

    const auto gainCoarse = snapGrid(kB2Gain, 0, 1.0f);
    EXPECT_EQ(snapToGrid(gainCoarse, 7.9f), 6.0f);
    EXPECT_EQ(snapGrid(kGenVol, 0, 2.0f).size(), 43u);
    EXPECT_EQ(snapToGrid(snapGrid(kAirGain, 0, 2.0f), 3.74f), 3.5f);

    EXPECT_EQ(snapGrid(kB1Qual, 1.0f, 2.0f).front(), 0.3f);  // shelf Q
    EXPECT_EQ(snapGrid(kB1Qual, 0.0f, 2.0f).front(), 0.1f);  // bell Q
    EXPECT_EQ(snapGrid(kLPQual, 0.0f, 2.0f).size(), 15u);
    EXPECT_EQ(snapToGrid(snapGrid(kHPQual, 0, 1.0f), 1.5f), 0.7f);
}

TEST(ValueTexts, Frequencies) {
    EXPECT_EQ(frequencyText(20.0f), "20.00");
    EXPECT_EQ(frequencyText(99.994f), "99.99");
    EXPECT_EQ(frequencyText(440.0f), "440.0");
    EXPECT_EQ(frequencyText(1234.9f), "1234");
    EXPECT_EQ(frequencyText(10000.0f), "10.00k");
    EXPECT_EQ(frequencyText(20000.0f), "20.00k");
}

TEST(ValueTexts, NoteNames) {
    EXPECT_EQ(frequencyText(440.0f, true), "A3  ");
    EXPECT_EQ(frequencyText(441.0f, true), "A3  ");
    EXPECT_EQ(frequencyText(445.0f, true), "A3  +");
    EXPECT_EQ(frequencyText(455.0f, true), "Bb3 -");
    EXPECT_EQ(frequencyText(16.35f, true), "C-1 ");
    EXPECT_EQ(frequencyText(20000.0f, true), "Eb9 ");
    EXPECT_EQ(frequencyText(20500.0f, true), "E9  -");
}

TEST(ValueTexts, QualityGainAndNumbers) {
    char text[32];
    formatQuality(0.7f, true, text, sizeof(text));
    EXPECT_STREQ(text, "0.71");
    formatQuality(7.0f, false, text, sizeof(text));
    EXPECT_STREQ(text, "7.00");
    formatGain(-15.0f, text, sizeof(text));
    EXPECT_STREQ(text, "-15.0");
    formatGain(0.0f, text, sizeof(text));
    EXPECT_STREQ(text, "0.0");

}
