#include "presets/preset_info.h"

#include <cstring>
#include <ctime>
#include <mutex>

PresetInfo DefaultPresetInfo(int number) {
    PresetInfo info{};
    CopyText(info.presetName, kInfoTextSize, "PresetDefault");
    CopyText(info.bankName, kInfoTextSize, "BankDefault");
    CopyText(info.authorName, kInfoTextSize, "Corvane");
    CopyText(info.projectName, kInfoTextSize, "Test");
    CopyText(info.creationDate, kInfoDateSize, "-");
    CopyText(info.modificationDate, kInfoDateSize, "-");
    info.presetNumber = number;
    return info;
}

std::string TodayText() {
    static std::mutex mutex;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (const std::tm* converted = std::localtime(&now)) local = *converted;
    }
    return " " + FormatInteger(local.tm_mday, 2) + "/" + FormatInteger(local.tm_mon + 1, 2) + "/" +
           FormatInteger(local.tm_year + 1900, 4);
}

void WritePresetInfo(std::string& out, PresetInfo& info) {
    CopyText(info.modificationDate, kInfoDateSize, TodayText());
    AppendRecord(out, "NOM_PRESET", FieldText(info.presetName, kInfoTextSize));
    AppendRecord(out, "NOM_BANQUE", FieldText(info.bankName, kInfoTextSize));
    AppendRecord(out, "NOM_AUTEUR", FieldText(info.authorName, kInfoTextSize));
    AppendRecord(out, "NOM_PROJET", FieldText(info.projectName, kInfoTextSize));
    AppendRecord(out, "DATE_CREATION", FieldText(info.creationDate, kInfoDateSize));
    AppendRecord(out, "DATE_MODIFICATION", FieldText(info.modificationDate, kInfoDateSize));
    AppendRecord(out, "NBR_BANDES", FormatInteger(info.activeBandCount, 2));
    AppendRecord(out, "USINE", FormatInteger(info.factory, 2));
    AppendRecord(out, "LEFT-RIGHT", FormatInteger(info.channelMode, 2));
    AppendRecord(out, "NUMERO_PRESET", FormatInteger(info.presetNumber, 4));
}

int ParseInfoLine(TokenReader& reader, PresetInfo& info) {
    char key[kTokenSize];
    char value[kTokenSize];
    bool end = reader.readToken(key);
    if (std::strcmp(key, "DEBUT_INFORMATION") == 0) return end ? kInfoLineEnd : kInfoLineBegin;
    if (std::strcmp(key, "FIN_INFORMATION") == 0) return end ? kInfoLineEnd : kInfoLineFinish;

    struct TextKey {
        const char* name;
        char* field;
        std::size_t size;
    };
    const TextKey texts[] = {
        {"NOM_PRESET", info.presetName, kInfoTextSize},
        {"NOM_BANQUE", info.bankName, kInfoTextSize},
        {"NOM_AUTEUR", info.authorName, kInfoTextSize},
        {"NOM_PROJET", info.projectName, kInfoTextSize},
        {"DATE_CREATION", info.creationDate, kInfoDateSize},
        {"DATE_MODIFICATION", info.modificationDate, kInfoDateSize},
    };
    for (const TextKey& text : texts) {
        if (std::strcmp(key, text.name) != 0) continue;
        if (end) return kInfoLineEnd;
        end = reader.readToken(value);
        if (value[0] != 0) CopyText(text.field, text.size, value);
        return end ? kInfoLineEnd : kInfoLineOther;
    }
    struct IntegerKey {
        const char* name;
        int32_t* field;
        int low;
        int high;
    };
    const IntegerKey integers[] = {
        {"NBR_BANDES", &info.activeBandCount, 0, 8},
        {"USINE", &info.factory, 0, 1},
        {"LEFT-RIGHT", &info.channelMode, 0, 2},
    };
    for (const IntegerKey& integer : integers) {
        if (std::strcmp(key, integer.name) != 0) continue;
        if (end) return kInfoLineEnd;
        end = reader.readToken(value);
        if (value[0] == 0) return kInfoLineEnd;  // only at the end of the text
        int number = ParseInteger(value);
        if (number < integer.low) number = integer.low;
        if (number > integer.high) number = integer.high;
        *integer.field = number;
        return end ? kInfoLineEnd : kInfoLineOther;
    }
    if (std::strcmp(key, "NUMERO_PRESET") == 0) {
        if (end) return kInfoLineEnd;
        end = reader.readToken(value);
        if (end) return kInfoLineEnd;
        return ParseInteger(value) != info.presetNumber ? kInfoLineNumberMismatch : kInfoLineOther;
    }
    return end ? kInfoLineEnd : kInfoLineOther;
}

int ActiveBandCount(const SettingsRecord& record) {
    int count = 0;
    for (const BandRecord& band : record.band) {
        if (band.on >= 0.5f) ++count;
    }
    return count;
}
