// The built Morvashel.dll, loaded by name as the editor loads it, with its real common dialog under
// Wine's null driver: a helper thread finds the dialog among the test thread's windows, reads what it
// shows, types a name and presses a button, or answers the dialog's own questions. A step that finds
// nothing in time cancels every dialog, so a test fails instead of blocking.
#if defined(_WIN32)
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "filedialog/morvashel.h"

namespace {

constexpr const char* kEditorFilter = "Tovin Files (*.tovin)|*.tovin|All Files (*.*)|*.*||";
constexpr auto kStepTimeout = std::chrono::seconds(15);
constexpr auto kPoll = std::chrono::milliseconds(20);
constexpr const char* kDialogClass = "#32770";

std::string windowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        return path;
    }
    std::string converted = "Z:" + path;
    for (char& c : converted) {
        if (c == '/') {
            c = '\\';
        }
    }
    return converted;
}

std::string windowText(HWND window) {
    char text[MAX_PATH * 4] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

bool isDialog(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, kDialogClass) == 0 && IsWindowVisible(window);
}

std::vector<HWND> dialogsOf(DWORD thread) {
    std::vector<HWND> found;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM list) -> BOOL {
            if (isDialog(window)) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The file-name field: an edit (edt1), or the edit somewhere inside the name combo box (cmb13), by
// dialog style.
HWND nameField(HWND dialog) {
    if (HWND edit = GetDlgItem(dialog, edt1)) {
        return edit;
    }
    HWND edit = nullptr;
    if (HWND combo = GetDlgItem(dialog, cmb13)) {
        EnumChildWindows(
            combo,
            [](HWND child, LPARAM found) -> BOOL {
                char name[16] = {};
                GetClassNameA(child, name, sizeof name);
                if (std::strcmp(name, "Edit") == 0) {
                    *reinterpret_cast<HWND*>(found) = child;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&edit));
    }
    return edit;
}

struct Step {
    enum Kind { typeAndConfirm, cancel, answerQuestion } kind;
    std::string text;  // the name typed
    int button = 0;    // the question's answer: IDYES, IDNO, IDOK
};

class DialogDriver {
public:
    explicit DialogDriver(std::vector<Step> steps)
        : steps_(std::move(steps)), target_(GetCurrentThreadId()), thread_([this] { run(); }) {}
    ~DialogDriver() {
        finished_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // Valid once the dialog call returned.
    std::string failure() {
        finished_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        return failure_;
    }
    const std::string& shownName() const { return shownName_; }
    const std::vector<std::string>& filterItems() const { return filterItems_; }

private:
    template <typename Found>
    HWND waitFor(Found found) {
        const auto deadline = std::chrono::steady_clock::now() + kStepTimeout;
        while (std::chrono::steady_clock::now() < deadline) {
            for (HWND window : dialogsOf(target_)) {
                if (found(window)) {
                    return window;
                }
            }
            std::this_thread::sleep_for(kPoll);
        }
        return nullptr;
    }

    HWND fileDialog() {
        return waitFor([](HWND window) { return nameField(window) != nullptr; });
    }

    void run() {
        for (const Step& step : steps_) {
            if (!perform(step)) {
                failure_ = "step " + std::to_string(&step - steps_.data()) + " found no window among:" + describeWindows();
                unblock();
                return;
            }
        }
    }

    bool perform(const Step& step) {
        if (step.kind == Step::answerQuestion) {
            HWND question = waitFor([this](HWND window) { return window != dialog_ && nameField(window) == nullptr; });
            if (question == nullptr) {
                return false;
            }
            PostMessageA(question, WM_COMMAND, MAKEWPARAM(step.button, BN_CLICKED), 0);
            const auto deadline = std::chrono::steady_clock::now() + kStepTimeout;
            while (IsWindow(question) && IsWindowVisible(question) && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(kPoll);
            }
            return !IsWindow(question) || !IsWindowVisible(question);
        }
        dialog_ = fileDialog();
        if (dialog_ == nullptr) {
            return false;
        }
        if (!seen_) {
            seen_ = true;
            shownName_ = windowText(nameField(dialog_));
            if (HWND types = GetDlgItem(dialog_, cmb1)) {
                const LRESULT count = SendMessageA(types, CB_GETCOUNT, 0, 0);
                for (LRESULT i = 0; i < count; ++i) {
                    char item[256] = {};
                    if (SendMessageA(types, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof item)) {
                        SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                    }
                    filterItems_.push_back(item);
                }
            }
        }
        if (step.kind == Step::cancel) {
            PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return true;
        }
        SendMessageA(nameField(dialog_), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.text.c_str()));
        PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDOK)));
        return true;
    }

    // The test thread's windows and their controls, for a failure message.
    std::string describeWindows() const {
        std::string text;
        EnumThreadWindows(
            target_,
            [](HWND window, LPARAM out) -> BOOL {
                std::string& text = *reinterpret_cast<std::string*>(out);
                char name[64] = {};
                GetClassNameA(window, name, sizeof name);
                text += std::string(" [") + name + (IsWindowVisible(window) ? " visible" : " hidden") + " '" +
                        windowText(window) + "':";
                EnumChildWindows(
                    window,
                    [](HWND child, LPARAM out) -> BOOL {
                        char name[64] = {};
                        GetClassNameA(child, name, sizeof name);
                        *reinterpret_cast<std::string*>(out) +=
                            std::string(" ") + name + "#" + std::to_string(GetDlgCtrlID(child));
                        return TRUE;
                    },
                    out);
                text += "]";
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&text));
        return text;
    }

    // Something went wrong: close whatever this thread shows until the call returns.
    void unblock() {
        while (!finished_) {
            for (HWND window : dialogsOf(target_)) {
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    std::vector<Step> steps_;
    DWORD target_;
    std::atomic<bool> finished_{false};
    HWND dialog_ = nullptr;
    bool seen_ = false;
    std::string shownName_;
    std::vector<std::string> filterItems_;
    std::string failure_;
    std::thread thread_;
};

class FileDialogWin32 : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryA(windowsPath(MORVASHEL_MODULE_PATH).c_str());
        ASSERT_NE(module_, nullptr) << GetLastError();
        dialog_ = reinterpret_cast<DialogueFichierFunction>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DialogueFichier")));
        ASSERT_NE(dialog_, nullptr);
    }
    static void TearDownTestSuite() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }

    void SetUp() override {
        ASSERT_NE(dialog_, nullptr);
        char temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        folder_ = std::string(temp) + "morvashel-" + std::to_string(GetCurrentProcessId()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(folder_.c_str(), nullptr);
        std::memset(buffer_, 0, sizeof buffer_);
    }
    void TearDown() override {
        for (const std::string& file : created_) {
            DeleteFileA(file.c_str());
        }
        RemoveDirectoryA(folder_.c_str());
    }

    std::string inFolder(const std::string& name) {
        const std::string path = folder_ + "\\" + name;
        created_.push_back(path);
        return path;
    }
    std::string existingFile(const std::string& name) {
        const std::string path = inFolder(name);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        return path;
    }
    void propose(const std::string& text) { std::memcpy(buffer_, text.c_str(), text.size() + 1); }
    int run(int mode) { return dialog_(buffer_, mode, "tovin", "*.tovin", kEditorFilter); }

    static inline HMODULE module_ = nullptr;
    static inline DialogueFichierFunction dialog_ = nullptr;
    std::string folder_;
    std::vector<std::string> created_;
    char buffer_[morvashel::kPathBufferSize];
};

TEST_F(FileDialogWin32, ExportShowsTheFiltersAndProposalAndAddsTheExtension) {
    propose(inFolder("proposed.tovin"));
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof before, before);

    DialogDriver driver({{Step::typeAndConfirm, inFolder("bank"), 0}});
    const int result = run(morvashel::kExport);
    ASSERT_EQ(driver.failure(), "");
    EXPECT_EQ(result, morvashel::kConfirmed);
    EXPECT_STRCASEEQ(buffer_, inFolder("bank.tovin").c_str());
    EXPECT_NE(driver.shownName().find("proposed.tovin"), std::string::npos) << driver.shownName();
    EXPECT_EQ(driver.filterItems(), (std::vector<std::string>{"Tovin Files (*.tovin)", "All Files (*.*)"}));
    // The host's current directory is not moved to the chosen folder.
    char after[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof after, after);
    EXPECT_STREQ(after, before);
}

TEST_F(FileDialogWin32, ExportAsksBeforeReplacingAFile) {
    const std::string existing = existingFile("old.tovin");
    propose("kept");
    {
        DialogDriver driver({{Step::typeAndConfirm, existing, 0}, {Step::answerQuestion, "", IDNO}, {Step::cancel, "", 0}});
        const int result = run(morvashel::kExport);
        ASSERT_EQ(driver.failure(), "");
        EXPECT_EQ(result, morvashel::kNotConfirmed);
        EXPECT_STREQ(buffer_, "kept");
    }
    DialogDriver driver({{Step::typeAndConfirm, existing, 0}, {Step::answerQuestion, "", IDYES}});
    const int result = run(morvashel::kExport);
    ASSERT_EQ(driver.failure(), "");
    EXPECT_EQ(result, morvashel::kConfirmed);
    EXPECT_STRCASEEQ(buffer_, existing.c_str());
}

TEST_F(FileDialogWin32, ImportTakesOnlyAnExistingFile) {
    propose("kept");
    {
        DialogDriver driver({{Step::typeAndConfirm, inFolder("missing.tovin"), 0},
                             {Step::answerQuestion, "", IDOK},
                             {Step::cancel, "", 0}});
        const int result = run(morvashel::kImport);
        ASSERT_EQ(driver.failure(), "");
        EXPECT_EQ(result, morvashel::kNotConfirmed);
        EXPECT_STREQ(buffer_, "kept");
    }
    const std::string existing = existingFile("in.tovin");
    DialogDriver driver({{Step::typeAndConfirm, existing, 0}});
    const int result = run(morvashel::kImport);
    ASSERT_EQ(driver.failure(), "");
    EXPECT_EQ(result, morvashel::kConfirmed);
    EXPECT_STRCASEEQ(buffer_, existing.c_str());
}

TEST_F(FileDialogWin32, CancelOrBadArgumentsLeaveTheBuffer) {
    propose("kept");
    {
        DialogDriver driver({{Step::cancel, "", 0}});
        const int result = run(morvashel::kImport);
        ASSERT_EQ(driver.failure(), "");
        EXPECT_EQ(result, morvashel::kNotConfirmed);
        EXPECT_STREQ(buffer_, "kept");
    }
    // No dialog at all for these (a driver would find nothing to cancel).
    EXPECT_EQ(dialog_(buffer_, 2, "tovin", "*.tovin", kEditorFilter), morvashel::kNotConfirmed);
    EXPECT_EQ(dialog_(nullptr, morvashel::kExport, "tovin", "*.tovin", kEditorFilter), morvashel::kNotConfirmed);
    EXPECT_STREQ(buffer_, "kept");

    // A malformed filter and an unterminated buffer still give a usable dialog.
    std::memset(buffer_, 'x', sizeof buffer_);
    DialogDriver driver({{Step::cancel, "", 0}});
    const int result = dialog_(buffer_, morvashel::kExport, "tovin", "*.tovin", "Odd|*.odd|Dangling");
    ASSERT_EQ(driver.failure(), "");
    EXPECT_EQ(result, morvashel::kNotConfirmed);
    EXPECT_EQ(driver.filterItems(), (std::vector<std::string>{"Odd"}));
    EXPECT_EQ(driver.shownName(), "");
    EXPECT_EQ(std::string(buffer_, sizeof buffer_), std::string(sizeof buffer_, 'x'));
}

}  // namespace
#endif
