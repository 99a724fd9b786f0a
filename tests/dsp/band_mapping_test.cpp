#include "dsp/band_mapping.h"

#include <gtest/gtest.h>

TEST(PassBandQ, HighPassBlendsByCutOff) {
    EXPECT_FLOAT_EQ(passBandQHighPass(1.0f, 20.0f), 12.0f);
    EXPECT_FLOAT_EQ(passBandQHighPass(1.0f, 10000.0f), 2.0f);
    EXPECT_FLOAT_EQ(passBandQHighPass(0.5f, 15.0f), 0.7f);
    // Halfway between 20 Hz and 1 kHz: the mean of the low and mid tables.
    EXPECT_NEAR(passBandQHighPass(1.0f, 510.0f), 8.0f, 1e-4f);
    // Above 10 kHz the blend stays at the high table instead of running past it.
    EXPECT_FLOAT_EQ(passBandQHighPass(0.0f, 20000.0f), 0.5f);
    EXPECT_FLOAT_EQ(passBandQHighPass(1.0f, 20000.0f), 2.0f);
}

TEST(PassBandQ, LowPassFollowsItsBreakpoints) {
    EXPECT_FLOAT_EQ(passBandQLowPass(1.0f, 10.0f), 12.0f);
    EXPECT_FLOAT_EQ(passBandQLowPass(1.0f, 20.0f), 12.0f);
    EXPECT_FLOAT_EQ(passBandQLowPass(1.0f, 100.0f), 4.0f);
    EXPECT_NEAR(passBandQLowPass(0.0f, 60.0f), 0.3f, 1e-6f);
    EXPECT_FLOAT_EQ(passBandQLowPass(1.0f, 10000.0f), 3.0f);
    EXPECT_NEAR(passBandQLowPass(1.0f, 15000.0f), 2.5f, 1e-5f);
    EXPECT_FLOAT_EQ(passBandQLowPass(0.5f, 18000.0f), 0.7f);
}

TEST(BellGainForQ, ReadsTheCompensationTable) {
    EXPECT_FLOAT_EQ(bellGainForQ(-15.0f, 7.0f), -28.7f);
    EXPECT_FLOAT_EQ(bellGainForQ(15.0f, 1.0f), 15.0f);
    EXPECT_FLOAT_EQ(bellGainForQ(0.0f, 3.0f), 0.0f);
    // The top corner of both axes reads the last entry, not one past the table.
    EXPECT_FLOAT_EQ(bellGainForQ(15.0f, 7.0f), 22.64f);
    EXPECT_FLOAT_EQ(bellGainForQ(20.0f, 9.0f), 22.64f);
    EXPECT_FLOAT_EQ(bellGainForQ(-20.0f, 0.01f), -9.0f);
    // Bilinear between (10, 1) 11.3, (10, 2) 13.705, (15, 1) 15, (15, 2) 17.54.
    const float mid = 0.25f * (11.3f + 13.705f + 15.0f + 17.54f);
    EXPECT_NEAR(bellGainForQ(12.5f, 1.5f), mid, 1e-4f);
}

TEST(PiecewiseMap, ForwardAndInverseAgree) {
    const float table[] = {20.0f, 100.0f, 1000.0f, 20000.0f};
    EXPECT_FLOAT_EQ(mapForward(table, 4, -1.0f), 20.0f);
    EXPECT_FLOAT_EQ(mapForward(table, 4, 2.0f), 20000.0f);
    EXPECT_FLOAT_EQ(mapForward(table, 4, 0.5f), 550.0f);
    EXPECT_FLOAT_EQ(mapInverse(table, 4, 10.0f), 0.0f);
    EXPECT_FLOAT_EQ(mapInverse(table, 4, 30000.0f), 1.0f);
    for (float v = 0.0f; v <= 1.0f; v += 0.05f) EXPECT_NEAR(mapInverse(table, 4, mapForward(table, 4, v)), v, 1e-5f);
}
