// Texts stay within the fields hosts give for them (bytes including the terminator): parameter name,
// label and display 8, program name 24, effect name 32, vendor and product 64, the properties' label
// 64 and short label 8, pin labels 64; records are not written beyond their size.
#include <cstring>

#include "probe.h"

namespace conformance {
namespace {

constexpr char kMarker = '\x5a';
constexpr size_t kRoom = 512;

struct Written {
    size_t bytes = 0;       // how far the effect wrote (the last changed byte + 1)
    size_t terminator = 0;  // where the first zero lies, kRoom when none
    std::string text;
};

Written ask(vsthost::Host& host, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0) {
    char buffer[kRoom];
    std::memset(buffer, kMarker, sizeof buffer);
    host.dispatch(opcode, index, value, buffer);
    Written w;
    for (size_t i = 0; i < kRoom; ++i)
        if (buffer[i] != kMarker) w.bytes = i + 1;
    w.terminator = static_cast<size_t>(std::find(buffer, buffer + kRoom, 0) - buffer);
    w.text.assign(buffer, std::min(w.terminator, w.bytes));
    return w;
}

::testing::AssertionResult fits(const Written& w, size_t field, bool mayBeEmpty = true) {
    if (w.bytes > field)
        return ::testing::AssertionFailure() << "\"" << w.text << "\" writes " << w.bytes << " bytes into a field of " << field;
    if (w.terminator >= field) return ::testing::AssertionFailure() << "no terminator within " << field << " bytes";
    if (!mayBeEmpty && w.text.empty()) return ::testing::AssertionFailure() << "empty";
    for (char c : w.text)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
            return ::testing::AssertionFailure() << "\"" << w.text << "\" holds a character that is not printable";
    return ::testing::AssertionSuccess();
}

TEST(Texts, ParameterNameLabelAndDisplayFitEightBytes) {
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    size_t longest = 0;
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        for (float v : {0.0f, 0.37f, 1.0f}) {
            host->setParameter(i, v);
            const Written name = ask(*host, effGetParamName, i);
            EXPECT_TRUE(fits(name, 8, false)) << "name of parameter " << i;
            EXPECT_TRUE(fits(ask(*host, effGetParamLabel, i), 8)) << "label of parameter " << i;
            EXPECT_TRUE(fits(ask(*host, effGetParamDisplay, i), 8)) << "display of parameter " << i << " at " << v;
            longest = std::max(longest, name.bytes);
        }
    }
    figure(format("names write at most %zu of 8 bytes", longest));
}

TEST(Texts, ProgramEffectVendorAndProductNames) {
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(fits(ask(*host, effGetProgramName), 24, false));
    EXPECT_TRUE(fits(ask(*host, effGetProgramNameIndexed, 0, 0), 24, false));
    EXPECT_TRUE(fits(ask(*host, effGetEffectName), 32, false));
    EXPECT_TRUE(fits(ask(*host, effGetVendorString), 64, false));
    EXPECT_TRUE(fits(ask(*host, effGetProductString), 64, false));
    // A program name as long as the field allows, set by the host, changes nothing beyond it.
    char name[24];
    std::memset(name, 'x', sizeof name);
    name[23] = 0;
    host->dispatch(effSetProgramName, 0, 0, name);
    EXPECT_TRUE(fits(ask(*host, effGetProgramName), 24, false));
}

TEST(Texts, ParameterPropertiesWithinTheirFields) {
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    std::vector<std::string> labels;
    for (VstInt32 i = 0; i < kNumParams + 2; ++i) {
        unsigned char room[kRoom];
        std::memset(room, kMarker, sizeof room);
        auto* p = reinterpret_cast<VstParameterProperties*>(room);
        const VstIntPtr answer = host->dispatch(effGetParameterProperties, i, 0, p);
        size_t last = 0;
        for (size_t b = 0; b < kRoom; ++b)
            if (room[b] != static_cast<unsigned char>(kMarker)) last = b + 1;
        EXPECT_LE(last, sizeof(VstParameterProperties)) << "parameter " << i << ": written beyond the record";
        if (i >= kNumParams) {
            EXPECT_EQ(answer, 0) << "properties of parameter " << i << " which does not exist";
            continue;
        }
        ASSERT_NE(answer, 0) << "parameter " << i;
        const size_t labelEnd = static_cast<size_t>(std::find(p->label, p->label + 64, 0) - p->label);
        EXPECT_LT(labelEnd, 64u) << "parameter " << i << ": label without a terminator";
        labels.emplace_back(p->label, std::min<size_t>(labelEnd, 64));
        EXPECT_FALSE(labels.back().empty()) << "parameter " << i;
        // The short label holds at most 8 characters; a shorter one is terminated.
        const std::string shortLabel(p->shortLabel, std::find(p->shortLabel, p->shortLabel + 8, 0));
        EXPECT_FALSE(shortLabel.empty()) << "parameter " << i;
        if (p->flags & kVstParameterSupportsDisplayCategory) {
            EXPECT_NE(std::find(p->categoryLabel, p->categoryLabel + 24, 0), p->categoryLabel + 24);
        }
    }
    std::vector<std::string> sorted = labels;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end()) << "two parameters share a long name";
    figure(format("%zu long names, all distinct", labels.size()));
}

TEST(Texts, PinPropertiesWithinTheirFields) {
    auto host = newInstance();
    ASSERT_NE(host, nullptr);
    for (VstInt32 opcode : {effGetInputProperties, effGetOutputProperties}) {
        for (VstInt32 i = 0; i < 4; ++i) {
            unsigned char room[kRoom];
            std::memset(room, kMarker, sizeof room);
            auto* p = reinterpret_cast<VstPinProperties*>(room);
            const VstIntPtr answer = host->dispatch(opcode, i, 0, p);
            size_t last = 0;
            for (size_t b = 0; b < kRoom; ++b)
                if (room[b] != static_cast<unsigned char>(kMarker)) last = b + 1;
            EXPECT_LE(last, sizeof(VstPinProperties)) << "opcode " << opcode << " pin " << i;
            if (answer != 0) {
                EXPECT_NE(std::find(p->label, p->label + 64, 0), p->label + 64) << "pin " << i;
            }
        }
    }
}

}  // namespace
}  // namespace conformance
