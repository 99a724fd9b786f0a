// Two instances working in one preset directory at the same time: in two processes where the
// platform can fork, in two threads otherwise.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>

#include "effect/instance_notice.h"
#include "store_fixture.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

constexpr int kPresetsPerInstance = 24;

class NoticingEffect : public FakeEffect {
public:
    explicit NoticingEffect(InstanceNotice notice) : notice_(std::move(notice)) {}
    void presetFilesChanged() override {
        FakeEffect::presetFilesChanged();
        notice_.post();
    }
    InstanceNotice& notice() { return notice_; }

private:
    InstanceNotice notice_;
};

std::string presetName(int instance, int k) { return "W" + std::to_string(instance) + " " + std::to_string(k); }

// Creates presets, renames each, and deletes every fourth one. Returns false on any failed step.
bool work(const std::string& directory, int instance) {
    const PresetDirectory dir{directory, true};
    NoticingEffect effect(InstanceNotice(dir, instance));
    effect.slot[0].info = DefaultPresetInfo(-1);
    CopyText(effect.slot[0].info.bankName, kInfoTextSize, "Shared");
    PresetStore store(effect, dir);
    store.scan();
    bool ok = true;
    for (int k = 0; k < kPresetsPerInstance; ++k) {
        effect.slot[0].settings.channel[0].band[kBandB2].gain = 0.01f * static_cast<float>(k + 30 * instance);
        ok = ok && store.newPreset(false);
        ok = ok && store.renamePreset(presetName(instance, k));
        if (k % 4 == 0) {
            store.selectPreset(effect.slot[0].info.presetNumber);
            store.deletePreset(store.currentGroup(), store.currentIndex());
        }
        if (effect.notice().check()) store.reload();
    }
    return ok;
}

void checkDirectory(const std::string& directory) {
    StoreFixture f;
    PresetStore store(f.effect, PresetDirectory{directory, true});
    store.scan();
    std::set<std::string> expected;
    for (int instance = 1; instance <= 2; ++instance) {
        for (int k = 0; k < kPresetsPerInstance; ++k) {
            if (k % 4 != 0) expected.insert(presetName(instance, k));
        }
    }
    std::set<std::string> found;
    for (const auto& [number, info] : store.presets()) {
        EXPECT_TRUE(found.insert(info.presetName).second) << "duplicate " << info.presetName;
        ASSERT_EQ(store.loadPreset(number), 0);
        // Each preset holds the settings its instance saved with it.
        const std::string name = info.presetName;
        ASSERT_TRUE(name.size() > 3 && name[0] == 'W') << name << " (" << number << ")";
        const int instance = name[1] - '0';
        const int k = std::stoi(name.substr(3));
        EXPECT_NEAR(f.effect.slot[0].settings.channel[0].band[kBandB2].gain, 0.01f * static_cast<float>(k + 30 * instance),
                    1e-6)
            << name;
    }
    EXPECT_EQ(found, expected);
}

}  // namespace

TEST(ConcurrentStore, TwoInstancesSaveRenameAndDeleteWithoutLosingPresets) {
    TestDirectory dir;
#ifndef _WIN32
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(work(dir.path(), 2) ? 0 : 1);
    const bool mine = work(dir.path(), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(mine);
#else
    bool results[2] = {false, false};
    std::thread other([&] { results[1] = work(dir.path(), 2); });
    results[0] = work(dir.path(), 1);
    other.join();
    EXPECT_TRUE(results[0] && results[1]);
#endif
    checkDirectory(dir.path());
}

TEST(ConcurrentStore, EachInstanceSeesTheOthersPresetsAfterTheNotice) {
    TestDirectory dir;
    const PresetDirectory directory{dir.path(), true};
    NoticingEffect first(InstanceNotice(directory, 11));
    NoticingEffect second(InstanceNotice(directory, 22));
    for (NoticingEffect* e : {&first, &second}) e->slot[0].info = DefaultPresetInfo(-1);
    PresetStore a(first, directory), b(second, directory);
    a.scan();
    b.scan();
    ASSERT_TRUE(a.newPreset(false));
    EXPECT_EQ(b.count(), 0);
    int reloads = 0;
    for (int run = 0; run < 8; ++run) {
        if (second.notice().periodicTick()) {
            b.reload();
            ++reloads;
        }
        EXPECT_FALSE(first.notice().periodicTick() && run < 7);
    }
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(b.count(), 1);
    // The second instance's next preset takes a new number.
    ASSERT_TRUE(b.newPreset(false));
    EXPECT_EQ(second.slot[0].info.presetNumber, 502);
}
