#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "presets/initial_settings.h"
#include "presets/name_test.h"
#include "presets/preset_info.h"
#include "presets/record_format.h"
#include "presets/settings_record.h"
#include "test_directory.h"

namespace {

std::vector<std::string> tokens(std::string text) {
    TokenReader reader(std::move(text));
    std::vector<std::string> out;
    char token[kTokenSize];
    for (;;) {
        const bool end = reader.readToken(token);
        if (token[0] != 0) out.emplace_back(token);
        if (end) return out;
    }
}

SettingsRecord readRecord(std::string text, SettingsRecord start = BuiltInInitialSettings()) {
    TokenReader reader(std::move(text));
    ReadSettingsRecord(reader, start);
    return start;
}

}  // namespace

TEST(TokenReader, SplitsRecordsSkipsMarksAndKeepsLeadingSpaces) {
    EXPECT_EQ(tokens("!NOM#My preset#\r\n!DATE# 07/12/2026#\n"),
                     (std::vector<std::string>{"NOM", "My preset", "DATE", " 07/12/2026"}));
    EXPECT_EQ(tokens("!A#b!c#\n"), (std::vector<std::string>{"A", "bc"}));
    // An empty value yields no token: the next key is read as the value.
    EXPECT_EQ(tokens("!A##\n!B#1#\n"), (std::vector<std::string>{"A", "B", "1"}));
    // A file without a final line end is read completely.
    EXPECT_EQ(tokens("!A#1#\n!B#2"), (std::vector<std::string>{"A", "1", "B", "2"}));
    EXPECT_TRUE(tokens("").empty());
}

TEST(TokenReader, LongTokensSplitAt32Characters) {
    const std::string forty(40, 'x');
    const auto parts = tokens("!" + forty + "#\n");
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0], std::string(32, 'x'));
    EXPECT_EQ(parts[1], std::string(8, 'x'));
}

TEST(NumberText, ParsesLeadingNumberLikeTheCLibraryWithoutLocale) {
    EXPECT_DOUBLE_EQ(ParseNumber("5.000000e-01"), 0.5);
    EXPECT_DOUBLE_EQ(ParseNumber("5.000000e-001"), 0.5);  // three exponent digits
    EXPECT_DOUBLE_EQ(ParseNumber("  +1.25xyz"), 1.25);
    EXPECT_DOUBLE_EQ(ParseNumber("-2"), -2.0);
    EXPECT_DOUBLE_EQ(ParseNumber("0,5"), 0.0);
    EXPECT_DOUBLE_EQ(ParseNumber("1,5"), 1.0);
    EXPECT_DOUBLE_EQ(ParseNumber("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ParseNumber("+-1"), 0.0);
    EXPECT_DOUBLE_EQ(ParseNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseNumber("1e"), 1.0);
    EXPECT_DOUBLE_EQ(ParseNumber("0x1p3"), 8.0);
    EXPECT_DOUBLE_EQ(ParseNumber("0xz"), 0.0);
    EXPECT_TRUE(std::isinf(ParseNumber("1e999")));
    EXPECT_DOUBLE_EQ(ParseNumber("1e-999"), 0.0);
    EXPECT_TRUE(std::isnan(ParseNumber("nan")));
    EXPECT_EQ(ParseInteger(" 0503"), 503);
    EXPECT_EQ(ParseInteger("-7x"), -7);
    EXPECT_EQ(ParseInteger("x7"), 0);
    EXPECT_EQ(ParseInteger("99999999999999"), 2147483647);
}

// Hexadecimal numbers take their sign like decimal ones, alone and in a record read back.
TEST(NumberText, SignedHexadecimalNumbersKeepTheirSign) {
    EXPECT_DOUBLE_EQ(ParseNumber("-0x1p3"), -8.0);
    EXPECT_DOUBLE_EQ(ParseNumber(" -0x1.8p-1"), -0.75);
    EXPECT_DOUBLE_EQ(ParseNumber("-0X.8"), -0.5);
    EXPECT_DOUBLE_EQ(ParseNumber("+0x1p1"), 2.0);
    EXPECT_TRUE(std::isinf(ParseNumber("-0x1p99999")) && ParseNumber("-0x1p99999") < 0.0);

    TokenReader reader("!VOL#-0x1.4p-2#\n!GAIN#0x1p-1#\n");
    char key[kTokenSize];
    float volume = 0.0f, gain = 0.0f;
    reader.readToken(key);
    reader.readNumberToken(volume);
    reader.readToken(key);
    reader.readNumberToken(gain);
    EXPECT_EQ(volume, -0.3125f);
    EXPECT_EQ(gain, 0.5f);
}

TEST(NumberText, FormatsLikePrintfWithTwoDigitExponents) {
    EXPECT_EQ(FormatFloat(0.5), "5.000000e-01");
    EXPECT_EQ(FormatFloat(0.0), "0.000000e+00");
    EXPECT_EQ(FormatFloat(1.0), "1.000000e+00");
    EXPECT_EQ(FormatFloat(static_cast<double>(0.501f)), "5.010000e-01");
    EXPECT_EQ(FormatFloat(1e-300), "1.000000e-300");
    EXPECT_EQ(FormatInteger(3, 2), "03");
    EXPECT_EQ(FormatInteger(503, 4), "0503");
    EXPECT_EQ(FormatInteger(12345, 4), "12345");
    EXPECT_EQ(FormatInteger(-1, 4), "-0001");
    EXPECT_EQ(FormatFixed2(1.34), "1.34");
    // A comma locale in the process must not change the bytes.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
        EXPECT_EQ(FormatFloat(0.5), "5.000000e-01");
        EXPECT_DOUBLE_EQ(ParseNumber("0.5"), 0.5);
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NameTest, AcceptsTheNameAlphabetWithinTheLimit) {
    EXPECT_TRUE(IsValidName("Band Air", kBandNameLimit));
    EXPECT_TRUE(IsValidName("A_(b)+c-d.e/f&g 1", kBandNameLimit));
    EXPECT_FALSE(IsValidName("", kBandNameLimit));
    EXPECT_FALSE(IsValidName("caf\xc3\xa9", kBandNameLimit));
    EXPECT_FALSE(IsValidName("a#b", kBandNameLimit));
    EXPECT_TRUE(IsValidName(std::string(23, 'a'), kBandNameLimit));
    EXPECT_FALSE(IsValidName(std::string(24, 'a'), kBandNameLimit));
    EXPECT_TRUE(IsValidName(std::string(32, 'a'), kTextLimit));
}

TEST(SettingsRecordFormat, WritesSixtyThreeLinesRightChannelFirst) {
    SettingsRecord record = BuiltInInitialSettings();
    CopyText(record.band[kBandB2].name, kBandNameSize, "Presence");
    std::string text;
    WriteSettingsRecord(text, record);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 63);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.substr(0, 66), "!@RIGH@BANDE1_FREQ#1.000000e-01#\n!@LEFT@BANDE1_FREQ#1.000000e-01#\n");
    EXPECT_NE(text.find("!@RIGH@VOLUME_GENERAL#5.000000e-01#\n!@LEFT@VOLUME_GENERAL#5.000000e-01#\n"
                        "!BANDE1_ON#0.000000e+00#\n"),
              std::string::npos);
    EXPECT_NE(text.find("!ACTIF_GENERAL#0.000000e+00#\n!BANDE1_NAME##\n"), std::string::npos);
    EXPECT_NE(text.find("!BANDE3_NAME#Presence#\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 16), "!AIR_35K_NAME##\n");
}

TEST(SettingsRecordFormat, RoundTripKeepsEveryValue) {
    SettingsRecord record = BuiltInInitialSettings();
    for (int channel = 0; channel < 2; ++channel) {
        for (int index = 0; index < kChannelKeyCount; ++index) {
            *SettingsField(record, index, channel) = 0.01f * static_cast<float>(index * 2 + channel + 1);
        }
    }
    for (int index = 21; index <= 33; ++index) *SettingsField(record, index, 0) = (index % 2) ? 1.0f : 0.0f;
    CopyText(record.band[kBandAir].name, kBandNameSize, "Sparkle");
    std::string text;
    WriteSettingsRecord(text, record);
    const SettingsRecord back = readRecord(text, SettingsRecord{});
    for (int channel = 0; channel < 2; ++channel) {
        for (int index = 0; index <= 33; ++index) {
            EXPECT_NEAR(*SettingsField(back, index, channel), *SettingsField(record, index, channel), 1e-6)
                << index;
        }
    }
    EXPECT_STREQ(back.band[kBandAir].name, "Sparkle");
}

TEST(SettingsRecordFormat, PrefixesAddressChannelsAndGlobalsIgnoreThem) {
    const SettingsRecord base = BuiltInInitialSettings();
    SettingsRecord both = readRecord("!BANDE3_GAIN#1.0#\n");
    EXPECT_EQ(both.channel[0].band[kBandB2].gain, 1.0f);
    EXPECT_EQ(both.channel[1].band[kBandB2].gain, 1.0f);
    both.channel[0].band[kBandB2].gain = both.channel[1].band[kBandB2].gain = 0.5f;
    EXPECT_EQ(std::memcmp(&both, &base, sizeof base), 0);

    const SettingsRecord left = readRecord("!@LEFT@BANDE3_GAIN#1.0#\n");
    EXPECT_EQ(left.channel[0].band[kBandB2].gain, 1.0f);
    EXPECT_EQ(left.channel[1].band[kBandB2].gain, 0.5f);

    const SettingsRecord prefixed = readRecord("!@RIGH@BANDE1_ON#1#\n!@LEFT@BANDE3_NAME#Mid#\n");
    EXPECT_EQ(prefixed.band[kBandHP].on, 1.0f);
    EXPECT_STREQ(prefixed.band[kBandB2].name, "Mid");
}

TEST(SettingsRecordFormat, QuirksOfBadInput) {
    // Decimal comma: read up to the comma.
    EXPECT_EQ(readRecord("!BANDE3_GAIN#0,5#\n").channel[0].band[kBandB2].gain, 0.0f);
    EXPECT_EQ(readRecord("!BANDE3_GAIN#1,5#\n").channel[0].band[kBandB2].gain, 1.0f);
    // Empty value: the next key becomes the value, its value an unknown key.
    const SettingsRecord shifted = readRecord("!BANDE1_ON##\n!BANDE2_ON#1#\n", [] {
        SettingsRecord r = BuiltInInitialSettings();
        r.band[kBandHP].on = 1.0f;
        return r;
    }());
    EXPECT_EQ(shifted.band[kBandHP].on, 0.0f);
    EXPECT_EQ(shifted.band[kBandB1].on, 0.0f);
    // Values are clamped, names cut to the field, keys are case-sensitive.
    const SettingsRecord clamped =
        readRecord("!BANDE4_GAIN#7#\n!BANDE5_GAIN#-3#\n!BANDE6_GAIN#nan#\n!bande2_freq#1#\n!BANDE2_NAME#" +
                   std::string(30, 'n') + "#\n!@XXXX@BANDE2_FREQ#1#\n");
    EXPECT_EQ(clamped.channel[0].band[kBandB3].gain, 1.0f);
    EXPECT_EQ(clamped.channel[1].band[kBandB4].gain, 0.0f);
    EXPECT_EQ(clamped.channel[0].band[kBandB5].gain, 0.0f);
    EXPECT_EQ(clamped.channel[0].band[kBandB1].frequency, 0.2f);
    EXPECT_STREQ(clamped.band[kBandB1].name, "");  // too long for the field: not taken
    // Last value wins; a final record without line end counts.
    EXPECT_EQ(readRecord("!VOLUME_GENERAL#0.1#\n!VOLUME_GENERAL#0.9").channel[1].volume, 0.9f);
}

TEST(SettingsRecordFormat, KeyTable) {
    SettingsRecord record = BuiltInInitialSettings();
    std::string key, text;
    float value = 0;
    EXPECT_EQ(GetRecordKey(record, 34, -1, key, value, text), 0);
    EXPECT_EQ(GetRecordKey(record, 16, 1, key, value, text), 1);
    EXPECT_EQ(key, "BANDE6_GAIN");
    EXPECT_EQ(GetRecordKey(record, 42, -1, key, value, text), 2);
    EXPECT_EQ(key, "AIR_35K_NAME");
    EXPECT_TRUE(SetRecordKey(record, 1, "AIR_35K_GAIN", 0.25f));
    EXPECT_EQ(record.channel[1].band[kBandAir].gain, 0.25f);
    EXPECT_TRUE(SetRecordKey(record, 0, "BANDE7_TYPE", 1.0f));
    EXPECT_EQ(record.band[kBandLP].type, 1.0f);
    EXPECT_FALSE(SetRecordKey(record, 0, "BANDE1_NAME", 1.0f));
    EXPECT_FALSE(SetRecordKey(record, 0, "BANDE1_GAIN", 1.0f));
}

TEST(PresetInfoFormat, WritesTenLinesAndParsesThemBack) {
    PresetInfo info = DefaultPresetInfo(503);
    CopyText(info.presetName, kInfoTextSize, "Warm Vocal");
    CopyText(info.creationDate, kInfoDateSize, " 01/02/2003");
    info.activeBandCount = 4;
    info.channelMode = 2;
    std::string text;
    WritePresetInfo(text, info);
    EXPECT_EQ(text, "!NOM_PRESET#Warm Vocal#\n!NOM_BANQUE#BankDefault#\n!NOM_AUTEUR#Corvane#\n"
                    "!NOM_PROJET#Test#\n!DATE_CREATION# 01/02/2003#\n!DATE_MODIFICATION#" +
                        TodayText() + "#\n!NBR_BANDES#04#\n!USINE#00#\n!LEFT-RIGHT#02#\n!NUMERO_PRESET#0503#\n");
    EXPECT_EQ(TodayText().size(), 11u);

    PresetInfo back = DefaultPresetInfo(503);
    TokenReader reader(text);
    int result = 0;
    while ((result = ParseInfoLine(reader, back)) == kInfoLineOther) {}
    EXPECT_EQ(result, kInfoLineEnd);
    EXPECT_EQ(std::memcmp(&back, &info, sizeof info), 0);

    PresetInfo other = DefaultPresetInfo(7);
    TokenReader mismatch("!DEBUT_INFORMATION#\n!NUMERO_PRESET#0008#\n!FIN_INFORMATION#\n!X");
    EXPECT_EQ(ParseInfoLine(mismatch, other), kInfoLineBegin);
    EXPECT_EQ(ParseInfoLine(mismatch, other), kInfoLineNumberMismatch);
    EXPECT_EQ(ParseInfoLine(mismatch, other), kInfoLineFinish);
    EXPECT_EQ(ParseInfoLine(mismatch, other), kInfoLineEnd);
}

TEST(PresetInfoFormat, LongTextsAreCutAndCountsClamped) {
    PresetInfo info = DefaultPresetInfo(1);
    TokenReader reader("!NOM_PRESET#" + std::string(32, 'p') + "#\n!DATE_CREATION#" + std::string(20, 'd') +
                       "#\n!USINE#7#\n!NBR_BANDES#-3#\n!UNKNOWN#USINE#\n");
    while (ParseInfoLine(reader, info) != kInfoLineEnd) {}
    EXPECT_EQ(std::string(info.presetName), std::string(31, 'p'));
    EXPECT_EQ(std::string(info.creationDate), std::string(15, 'd'));
    EXPECT_EQ(info.factory, 1);
    EXPECT_EQ(info.activeBandCount, 0);
}

TEST(FileWriting, ReplacesAtomicallyAndKeepsTheOldFileOnFailure) {
    TestDirectory dir;
    const std::string path = dir.path() + "preset0501.prt";
    ASSERT_TRUE(WriteFileReplacing(path, "old"));
    ASSERT_TRUE(WriteFileReplacing(path, "new"));
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "new");
    EXPECT_FALSE(WriteFileReplacing(dir.path() + "missing/x", "y"));
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);
}

// A directory where a file is expected (a preset's name in use by a folder) reads as no file,
// instead of throwing from inside the stream.
TEST(FileWriting, ADirectoryReadsAsNoFile) {
    TestDirectory dir;
    const std::string path = dir.path() + "preset0501.inf";
    std::filesystem::create_directory(path);
    std::string text = "left over";
    EXPECT_FALSE(ReadWholeFile(path, text));
    EXPECT_FALSE(WriteFileReplacing(path, "x"));
}
