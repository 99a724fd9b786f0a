// The built Morvashel.so, loaded by name as the editor loads it, with stand-in zenity and kdialog
// scripts first on PATH: each records its arguments, its open file descriptors and answers what the
// test prepared.
#if !defined(_WIN32)
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "filedialog/morvashel.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kEditorFilter = "Tovin Files (*.tovin)|*.tovin|All Files (*.*)|*.*||";
constexpr const char* kExtension = "tovin";
constexpr const char* kPattern = "*.tovin";
// A descriptor the "host" leaves open without close-on-exec; the dialog must not inherit it.
constexpr int kHostDescriptor = 100;

// Records argv (its own name first, NUL-separated) and the descriptors it holds into files numbered
// by call, prints answer.N (or answer) and exits with the number in status (or 0). Only shell
// built-ins and absolute paths: PATH holds nothing else. The descriptors are listed by a separate
// program, so the listing's own directory handle is not among them.
constexpr const char* kFakeTool = R"sh(#!/bin/sh
d="${0%/*}"
n=0
while [ -e "$d/argv.$n" ]; do n=$((n+1)); done
printf '%s\0' "${0##*/}" "$@" > "$d/argv.$n"
/bin/ls /proc/$$/fd > "$d/fds.$n"
if [ -e "$d/answer.$n" ]; then /bin/cat "$d/answer.$n"; elif [ -e "$d/answer" ]; then /bin/cat "$d/answer"; fi
if [ -e "$d/status" ]; then exit "$(/bin/cat "$d/status")"; fi
exit 0
)sh";

using Dialog = DialogueFichierFunction;

class FileDialogLinux : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = dlopen(MORVASHEL_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module_, nullptr) << dlerror();
        dialog_ = reinterpret_cast<Dialog>(dlsym(module_, "DialogueFichier"));
        ASSERT_NE(dialog_, nullptr);
    }
    static void TearDownTestSuite() {
        if (module_ != nullptr) {
            dlclose(module_);
        }
    }

    void SetUp() override {
        ASSERT_NE(dialog_, nullptr);
        char pattern[] = "/tmp/morvashel-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        bin_ = root_ / "bin";
        files_ = root_ / "files";
        fs::create_directories(bin_);
        fs::create_directories(files_);
        saved_ = {saveVariable("PATH"), saveVariable("DISPLAY"), saveVariable("WAYLAND_DISPLAY"), saveVariable("HOME")};
        setenv("PATH", bin_.c_str(), 1);
        setenv("DISPLAY", ":99", 1);
        unsetenv("WAYLAND_DISPLAY");
        setenv("HOME", root_.c_str(), 1);
        std::memset(buffer_, 0, sizeof buffer_);
    }
    void TearDown() override {
        const char* names[] = {"PATH", "DISPLAY", "WAYLAND_DISPLAY", "HOME"};
        for (std::size_t i = 0; i < saved_.size(); ++i) {
            if (saved_[i]) {
                setenv(names[i], saved_[i]->c_str(), 1);
            } else {
                unsetenv(names[i]);
            }
        }
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    static std::optional<std::string> saveVariable(const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    }

    void installTool(const char* name) {
        const fs::path path = bin_ / name;
        writeFile(path, kFakeTool);
        fs::permissions(path, fs::perms::owner_all);
    }
    void answer(const std::string& text, int call = -1) {
        writeFile(bin_ / (call < 0 ? std::string("answer") : "answer." + std::to_string(call)), text);
    }
    void exitWith(int status) { writeFile(bin_ / "status", std::to_string(status)); }
    static void writeFile(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    // The arguments of call `call`, the tool's own name first; empty when it did not run.
    std::vector<std::string> arguments(int call = 0) const {
        std::ifstream in(bin_ / ("argv." + std::to_string(call)), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> words;
        std::size_t start = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\0') {
                words.push_back(text.substr(start, i - start));
                start = i + 1;
            }
        }
        return words;
    }
    int calls() const {
        int n = 0;
        while (fs::exists(bin_ / ("argv." + std::to_string(n)))) {
            ++n;
        }
        return n;
    }
    std::vector<int> descriptors(int call = 0) const {
        std::ifstream in(bin_ / ("fds." + std::to_string(call)));
        std::vector<int> numbers;
        for (int n = 0; in >> n;) {
            numbers.push_back(n);
        }
        return numbers;
    }
    std::string existingFile(const std::string& name) const {
        const fs::path path = files_ / name;
        writeFile(path, "x");
        return path.string();
    }
    void propose(const std::string& text) {
        ASSERT_LT(text.size(), sizeof buffer_);
        std::memcpy(buffer_, text.c_str(), text.size() + 1);
    }
    int run(int mode, const char* filter = kEditorFilter) {
        return dialog_(buffer_, mode, kExtension, kPattern, filter);
    }

    static inline void* module_ = nullptr;
    static inline Dialog dialog_ = nullptr;
    fs::path root_;
    fs::path bin_;
    fs::path files_;
    std::vector<std::optional<std::string>> saved_;
    char buffer_[morvashel::kPathBufferSize];
};

TEST_F(FileDialogLinux, ZenityExportAsksToSaveWithTheFiltersAndProposedName) {
    installTool("zenity");
    const std::string chosen = (files_ / "bank.tovin").string();
    answer(chosen + "\n");
    propose("/home/user/Old Bank.tovin");

    EXPECT_EQ(run(morvashel::kExport), morvashel::kConfirmed);
    EXPECT_STREQ(buffer_, chosen.c_str());
    EXPECT_EQ(arguments(), (std::vector<std::string>{"zenity", "--file-selection", "--save", "--confirm-overwrite",
                                                     "--filename=/home/user/Old Bank.tovin",
                                                     "--file-filter=Tovin Files (*.tovin) | *.tovin",
                                                     "--file-filter=All Files (*.*) | *"}));
}

TEST_F(FileDialogLinux, ZenityImportAsksToOpenAnExistingFile) {
    installTool("zenity");
    const std::string chosen = existingFile("in.tovin");
    answer(chosen + "\n");

    EXPECT_EQ(run(morvashel::kImport), morvashel::kConfirmed);
    EXPECT_STREQ(buffer_, chosen.c_str());
    // No proposal in an empty buffer, no save options.
    EXPECT_EQ(arguments(), (std::vector<std::string>{"zenity", "--file-selection",
                                                     "--file-filter=Tovin Files (*.tovin) | *.tovin",
                                                     "--file-filter=All Files (*.*) | *"}));

    // A name that does not exist (a tool that let it through) is not a file to read.
    propose("kept");
    answer((files_ / "missing.tovin").string() + "\n");
    EXPECT_EQ(run(morvashel::kImport), morvashel::kNotConfirmed);
    EXPECT_STREQ(buffer_, "kept");
}

TEST_F(FileDialogLinux, HostilePathsPassUntouchedAsOneArgument) {
    installTool("zenity");
    const std::string hostile = (files_ / "a b 'c' \"d\" $(touch PWNED) `touch PWNED2`; |&*?.tovin").string();
    answer(hostile + "\n");
    propose(hostile);

    EXPECT_EQ(run(morvashel::kExport), morvashel::kConfirmed);
    EXPECT_STREQ(buffer_, hostile.c_str());
    const std::vector<std::string> args = arguments();
    ASSERT_EQ(args.size(), 7u);
    EXPECT_EQ(args[4], "--filename=" + hostile);
    EXPECT_FALSE(fs::exists(bin_ / "PWNED"));
    EXPECT_FALSE(fs::exists(files_ / "PWNED"));
    EXPECT_FALSE(fs::exists("PWNED"));
    EXPECT_FALSE(fs::exists("PWNED2"));

    // A newline inside the answer is part of the name; only the final line end goes.
    const std::string twoLines = (files_ / "two\nlines.tovin").string();
    answer(twoLines + "\n");
    EXPECT_EQ(run(morvashel::kExport), morvashel::kConfirmed);
    EXPECT_STREQ(buffer_, twoLines.c_str());
}

TEST_F(FileDialogLinux, CancelFailureOrSilenceIsNotConfirmedAndLeavesTheBuffer) {
    installTool("zenity");
    propose("/keep/me.tovin");

    exitWith(1);  // cancelled
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed);
    EXPECT_STREQ(buffer_, "/keep/me.tovin");

    answer("/tmp/x.tovin\n");  // a path printed, but the tool failed
    exitWith(5);
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed);
    EXPECT_STREQ(buffer_, "/keep/me.tovin");

    answer("\n");  // success with nothing chosen
    exitWith(0);
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed);
    EXPECT_STREQ(buffer_, "/keep/me.tovin");
    EXPECT_EQ(calls(), 3);
}

TEST_F(FileDialogLinux, NoToolNoDisplayOrBadArgumentsShowNothing) {
    propose("/keep/me.tovin");
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed) << "neither tool on PATH";
    EXPECT_STREQ(buffer_, "/keep/me.tovin");

    installTool("zenity");
    answer("/tmp/x.tovin\n");
    unsetenv("DISPLAY");
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed) << "no display";
    setenv("DISPLAY", "", 1);
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed) << "empty display";
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    EXPECT_EQ(run(morvashel::kExport), morvashel::kConfirmed) << "a Wayland display serves";
    EXPECT_EQ(calls(), 1);

    propose("/keep/me.tovin");
    EXPECT_EQ(run(2), morvashel::kNotConfirmed);
    EXPECT_EQ(run(-1), morvashel::kNotConfirmed);
    EXPECT_EQ(dialog_(nullptr, morvashel::kExport, kExtension, kPattern, kEditorFilter), morvashel::kNotConfirmed);
    EXPECT_STREQ(buffer_, "/keep/me.tovin");
    EXPECT_EQ(calls(), 1);

    // A tool reached only through a relative or empty PATH entry (the host's current directory) is
    // never run.
    const fs::path before = fs::current_path();
    fs::current_path(bin_);
    setenv("PATH", ".::bin", 1);
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed);
    fs::current_path(before);
    EXPECT_EQ(calls(), 1);
}

TEST_F(FileDialogLinux, KdialogServesWhenZenityIsMissingAndZenityIsPreferred) {
    installTool("kdialog");
    const std::string chosen = (files_ / "k.tovin").string();
    answer(chosen + "\n");
    propose("/home/user/bank.tovin");
    EXPECT_EQ(run(morvashel::kExport), morvashel::kConfirmed);
    EXPECT_STREQ(buffer_, chosen.c_str());
    EXPECT_EQ(arguments(0), (std::vector<std::string>{"kdialog", "--getsavefilename", "/home/user/bank.tovin",
                                                      "*.tovin|Tovin Files (*.tovin)\n*|All Files (*.*)"}));

    // Open mode; no proposal starts in the home folder; a name that looks like an option stays a name.
    const std::string existing = existingFile("k2.tovin");
    answer(existing + "\n");
    buffer_[0] = '\0';
    EXPECT_EQ(run(morvashel::kImport), morvashel::kConfirmed);
    EXPECT_EQ(arguments(1), (std::vector<std::string>{"kdialog", "--getopenfilename", root_.string() + "/",
                                                      "*.tovin|Tovin Files (*.tovin)\n*|All Files (*.*)"}));
    propose("--help.tovin");
    EXPECT_EQ(run(morvashel::kImport), morvashel::kConfirmed);
    EXPECT_EQ(arguments(2)[2], "./--help.tovin");

    installTool("zenity");
    EXPECT_EQ(run(morvashel::kImport), morvashel::kConfirmed);
    EXPECT_EQ(arguments(3)[0], "zenity");
}

TEST_F(FileDialogLinux, AnAnswerLongerThanTheBufferIsRefusedWhole) {
    installTool("zenity");
    propose("/keep/me.tovin");
    const std::string longest = "/" + std::string(morvashel::kPathBufferSize - 2 - 6, 'a') + ".tovin";
    ASSERT_EQ(longest.size(), static_cast<std::size_t>(morvashel::kPathBufferSize - 1));

    answer(longest + "\n");
    EXPECT_EQ(run(morvashel::kExport), morvashel::kConfirmed) << "the longest path the buffer holds";
    EXPECT_EQ(std::string(buffer_), longest);

    propose("/keep/me.tovin");
    answer("a" + longest + "\n");
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed) << "one byte more: refused, not cut";
    EXPECT_STREQ(buffer_, "/keep/me.tovin");

    // Far more than the pipe holds: read to the end, so the tool exits and the call returns.
    answer(std::string(200000, 'b') + "\n");
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed);
    EXPECT_STREQ(buffer_, "/keep/me.tovin");

    // A name without extension, short enough, that the extension would push past the buffer.
    const std::string almost = "/" + std::string(morvashel::kPathBufferSize - 4, 'c');
    answer(almost + "\n");
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed);
    EXPECT_STREQ(buffer_, "/keep/me.tovin");

    // An unterminated buffer proposes nothing.
    std::memset(buffer_, 'x', sizeof buffer_);
    exitWith(1);
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed);
    EXPECT_EQ(arguments(4).size(), 6u);  // no --filename
    EXPECT_EQ(std::string(buffer_, sizeof buffer_), std::string(sizeof buffer_, 'x'));
}

TEST_F(FileDialogLinux, AnExportNameWithoutExtensionGetsTheDefaultOne) {
    installTool("zenity");
    answer((files_ / "bank").string() + "\n");
    EXPECT_EQ(run(morvashel::kExport), morvashel::kConfirmed);
    EXPECT_EQ(std::string(buffer_), (files_ / "bank.tovin").string());

    answer((files_ / "bank.txt").string() + "\n");  // an extension of the user's own stays
    EXPECT_EQ(run(morvashel::kExport), morvashel::kConfirmed);
    EXPECT_EQ(std::string(buffer_), (files_ / "bank.txt").string());

    answer((files_ / "dir.d" / "bank").string() + "\n");  // a dot in a folder is no extension
    EXPECT_EQ(run(morvashel::kExport), morvashel::kConfirmed);
    EXPECT_EQ(std::string(buffer_), (files_ / "dir.d" / "bank.tovin").string());

    const std::string existing = existingFile("in");  // an import takes the name as it is
    answer(existing + "\n");
    EXPECT_EQ(run(morvashel::kImport), morvashel::kConfirmed);
    EXPECT_EQ(std::string(buffer_), existing);

    buffer_[0] = '\0';
    answer((files_ / "plain").string() + "\n");  // no default extension given
    EXPECT_EQ(dialog_(buffer_, morvashel::kExport, nullptr, nullptr, nullptr), morvashel::kConfirmed);
    EXPECT_EQ(std::string(buffer_), (files_ / "plain").string());
    EXPECT_EQ(arguments(4), (std::vector<std::string>{"zenity", "--file-selection", "--save", "--confirm-overwrite"}));
}

TEST_F(FileDialogLinux, AnAddedExtensionNamingAnExistingFileAsksAgain) {
    installTool("zenity");
    const std::string existing = existingFile("bank.tovin");
    answer((files_ / "bank").string() + "\n", 0);
    answer(existing + "\n", 1);  // the user confirms the replacement in the second dialog
    EXPECT_EQ(run(morvashel::kExport), morvashel::kConfirmed);
    EXPECT_EQ(std::string(buffer_), existing);
    ASSERT_EQ(calls(), 2);
    EXPECT_EQ(arguments(1)[4], "--filename=" + existing);

    // A user who keeps answering the name without extension is let go, nothing confirmed.
    fs::remove(bin_ / "answer.0");
    fs::remove(bin_ / "answer.1");
    answer((files_ / "bank").string() + "\n");
    for (int call = 0; call < 2; ++call) {
        fs::remove(bin_ / ("argv." + std::to_string(call)));
    }
    propose("/keep/me.tovin");
    EXPECT_EQ(run(morvashel::kExport), morvashel::kNotConfirmed);
    EXPECT_EQ(calls(), 3);
    EXPECT_STREQ(buffer_, "/keep/me.tovin");
}

TEST_F(FileDialogLinux, TheToolInheritsNoHostDescriptorAndIsWaitedFor) {
    installTool("zenity");
    const int leaked = open("/dev/null", O_RDONLY);  // no close-on-exec, as a careless host opens files
    ASSERT_GE(leaked, 0);
    ASSERT_EQ(dup2(leaked, kHostDescriptor), kHostDescriptor);
    close(leaked);
    answer((files_ / "x.tovin").string() + "\n");

    EXPECT_EQ(run(morvashel::kExport), morvashel::kConfirmed);
    close(kHostDescriptor);
    const std::vector<int> held = descriptors();
    ASSERT_FALSE(held.empty());
    for (int expected : {0, 1, 2}) {
        EXPECT_NE(std::find(held.begin(), held.end(), expected), held.end()) << expected;
    }
    for (int descriptor : held) {
        // The shell keeps its own script and saved descriptors from 10 up; nothing of ours below that.
        EXPECT_FALSE(descriptor > 2 && descriptor < 10) << descriptor;
        EXPECT_NE(descriptor, kHostDescriptor);
    }
    // No child left behind, not even a zombie.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(FileDialogLinux, AHostThatIgnoresChildSignalsStillGetsTheAnswer) {
    // The system then reaps the tool itself and its exit status is lost: the printed line decides.
    struct sigaction ignore {};
    struct sigaction before {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ASSERT_EQ(sigaction(SIGCHLD, &ignore, &before), 0);
    installTool("zenity");
    propose("/keep/me.tovin");

    answer((files_ / "x.tovin").string() + "\n");
    const int chosen = run(morvashel::kExport);
    const std::string afterChoice = buffer_;
    propose("/keep/me.tovin");
    answer("");
    exitWith(1);
    const int cancelled = run(morvashel::kExport);
    answer((files_ / "partial").string());  // no line end: not what a confirming tool prints
    const int partial = run(morvashel::kExport);
    sigaction(SIGCHLD, &before, nullptr);

    EXPECT_EQ(chosen, morvashel::kConfirmed);
    EXPECT_EQ(afterChoice, (files_ / "x.tovin").string());
    EXPECT_EQ(cancelled, morvashel::kNotConfirmed);
    EXPECT_EQ(partial, morvashel::kNotConfirmed);
    EXPECT_STREQ(buffer_, "/keep/me.tovin");
}

}  // namespace
#endif
