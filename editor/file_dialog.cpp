#include "editor/file_dialog.h"

#include <mutex>

#include "platform/shared_library.h"

namespace file_dialog {

namespace {
constexpr const char* kLibrary = "Morvashel";
constexpr const char* kFunction = "DialogueFichier";
constexpr const char* kExtension = "tovin";
constexpr const char* kPattern = "*.tovin";
constexpr const char* kFilter = "Tovin Files (*.tovin)|*.tovin|All Files (*.*)|*.*||";

std::mutex dialogMutex;  // tests may set it from another thread than the editor's
Dialog testDialog;

int runLibrary(char* path, int mode) {
    void* library = platform::openLibrary(kLibrary);
    if (library == nullptr) return morvashel::kNotConfirmed;
    int result = morvashel::kNotConfirmed;
    if (auto function = reinterpret_cast<DialogueFichierFunction>(platform::librarySymbol(library, kFunction)))
        result = function(path, mode, kExtension, kPattern, kFilter);
    platform::closeLibrary(library);
    return result;
}
}  // namespace

void setDialogForTests(Dialog dialog) {
    std::lock_guard lock(dialogMutex);
    testDialog = std::move(dialog);
}

bool ask(int mode, PathBuffer& path) {
    path.back() = '\0';
    Dialog dialog;
    {
        std::lock_guard lock(dialogMutex);
        dialog = testDialog;
    }
    const int result = dialog ? dialog(path.data(), mode, kExtension, kPattern, kFilter) : runLibrary(path.data(), mode);
    // Whatever the library did, the path ends inside the buffer.
    path.back() = '\0';
    return result == morvashel::kConfirmed && path.front() != '\0';
}

}  // namespace file_dialog
