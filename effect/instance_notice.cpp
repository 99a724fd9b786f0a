#include "effect/instance_notice.h"

#include <cstring>
#include <fstream>
#include <mutex>
#include <random>

#include "platform/platform.h"
#include "presets/record_format.h"

namespace {

void removeNotice(const std::string& path) {
    WriteRemovalMark(path);
    RemoveFile(path);
}

int randomDraw() {
    static std::mutex mutex;
    // Seeded from the system's entropy as well as the clock: two processes starting in the same
    // millisecond must not draw the same number.
    static std::minstd_rand generator([] {
        std::random_device device;
        return static_cast<unsigned>(device() ^ static_cast<unsigned>(platform::clockMilliseconds()));
    }());
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<int>(generator() % 32768u);
}

}  // namespace

int DrawInstanceNumber(const PresetDirectory& directory) {
    if (directory.valid) {
        const std::string path = directory.file(kNoticeFileName);
        if (FileExists(path)) removeNotice(path);
    }
    const int64_t first = platform::clockMilliseconds();
    for (int poll = 0; poll < 100000 && platform::clockMilliseconds() == first; ++poll) {}
    const int number = randomDraw() + static_cast<int>(first & 0xFFFF);
    return number < 0 ? 0 : number;
}

void InstanceNotice::post() const {
    if (!directory_.valid) return;
    std::string text;
    AppendRecord(text, "NUM_INSTANCE_MOD", FormatInteger(instanceNumber_, 6));
    WriteFileReplacing(directory_.file(kNoticeFileName), text);
}

bool InstanceNotice::check() const {
    if (!directory_.valid) return false;
    const std::string path = directory_.file(kNoticeFileName);
    std::string text;
    if (!ReadWholeFile(path, text)) return false;
    TokenReader reader(std::move(text));
    char token[kTokenSize];
    bool end = reader.readToken(token);
    if (std::strcmp(token, "removed") == 0) {
        RemoveFile(path);
        return false;
    }
    bool seenBefore = false;
    bool changedHere = false;
    for (;;) {
        if (std::strcmp(token, "NUM_INSTANCE") == 0 || std::strcmp(token, "NUM_INSTANCE_MOD") == 0) {
            const bool isSeen = token[12] == 0;
            if (end) break;
            end = reader.readToken(token);
            if (token[0] != 0 && ParseInteger(token) == instanceNumber_) (isSeen ? seenBefore : changedHere) = true;
            if (end) break;
            end = reader.readToken(token);
            continue;
        }
        if (end) break;
        end = reader.readToken(token);
    }
    if (seenBefore) {
        removeNotice(path);
        return false;
    }
    std::ofstream file(path, std::ios::binary | std::ios::app);
    std::string line;
    AppendRecord(line, "NUM_INSTANCE", FormatInteger(instanceNumber_));
    file.write(line.data(), static_cast<std::streamsize>(line.size()));
    return !changedHere;
}

bool InstanceNotice::periodicTick() {
    ++runs_;
    if (runs_ % 8 != 0) return false;
    return check();
}
