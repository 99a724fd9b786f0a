// Windows: the system's common Save As and Open dialogs (comdlg32).
#include <windows.h>
#include <commdlg.h>

#include <cassert>
#include <cstring>
#include <string>

#include "filedialog/answer.h"
#include "filedialog/filter.h"
#include "filedialog/morvashel.h"

namespace morvashel {

namespace {

// The dialog adds the default extension itself and asks before replacing; the extension added here
// afterwards only covers a dialog that did not. When that name already exists the dialog comes back
// proposing it, so that replacing it is asked for; after this many dialogs the answer is no.
constexpr int kMaxDialogRounds = 3;
// The host's current directory stays what it was, whatever folder the user visits.
constexpr DWORD kCommonFlags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
constexpr DWORD kExportFlags = kCommonFlags | OFN_OVERWRITEPROMPT;
constexpr DWORD kImportFlags = kCommonFlags | OFN_FILEMUSTEXIST;

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// One dialog. True with `answer` set when the user confirmed a name.
bool showDialog(int mode, const std::string& filterForm, const std::string& extension, const std::string& proposal,
                std::string& answer) {
    char file[kPathBufferSize] = {};
    // proposedPath() never returns more than the buffer holds; bounded all the same.
    const std::size_t length = proposal.size() < sizeof file ? proposal.size() : sizeof file - 1;
    std::memcpy(file, proposal.data(), length);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();  // the host's window of this thread, kept modal
    dialog.lpstrFilter = filterForm.empty() ? nullptr : filterForm.data();
    dialog.nFilterIndex = filterForm.empty() ? 0 : 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = mode == kExport ? kExportFlags : kImportFlags;
    const BOOL confirmed = mode == kExport ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!confirmed) {
        return false;
    }
    const void* end = std::memchr(file, '\0', sizeof file);
    assert(end != nullptr && "the dialog terminates what it writes");
    if (end == nullptr) {
        return false;
    }
    answer.assign(file, static_cast<std::size_t>(static_cast<const char*>(end) - file));
    return true;
}

}  // namespace

}  // namespace morvashel

MORVASHEL_EXPORT int DialogueFichier(char* path, int mode, const char* extension, const char* pattern,
                                     const char* filter) {
    using namespace morvashel;
    if (path == nullptr || (mode != kExport && mode != kImport)) {
        return kNotConfirmed;
    }
    const std::string filterForm = win32Filter(parseFilter(filter, pattern));
    const std::string ext = defaultExtension(extension);
    std::string proposal = proposedPath(path);

    for (int round = 0; round < kMaxDialogRounds; ++round) {
        std::string answer;
        if (!showDialog(mode, filterForm, ext, proposal, answer)) {
            // A proposal the dialog refuses to show (an invalid name) must not stop the user from choosing.
            if (CommDlgExtendedError() == FNERR_INVALIDFILENAME && !proposal.empty()) {
                proposal.clear();
                continue;
            }
            return kNotConfirmed;
        }
        if (mode == kExport) {
            std::string named = withDefaultExtension(answer, ext);
            if (named != answer && exists(named)) {
                proposal = std::move(named);
                continue;
            }
            answer = std::move(named);
        }
        return storeAnswer(answer, path) ? kConfirmed : kNotConfirmed;
    }
    return kNotConfirmed;
}
