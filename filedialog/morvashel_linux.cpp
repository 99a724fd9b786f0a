// Linux: the dialog is the desktop's own, shown by zenity (GTK) or, without it, kdialog (KDE), run as
// a separate program. Neither is needed to build; without either, or without a display, nothing is
// shown and the answer is "not confirmed".
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "filedialog/answer.h"
#include "filedialog/child_process_linux.h"
#include "filedialog/filter.h"
#include "filedialog/morvashel.h"

namespace morvashel {

namespace {

constexpr const char* kZenity = "zenity";
constexpr const char* kKdialog = "kdialog";
// A Windows "all files" pattern; on Linux a file needs no dot, so it becomes "*".
constexpr const char* kWindowsAllFiles = "*.*";
constexpr const char* kAllFiles = "*";
// An export name without extension gets the default one; when that file already exists the dialog
// comes back proposing it, so that replacing it is asked for. A user who keeps answering a name
// without extension is let go after this many dialogs.
constexpr int kMaxDialogRounds = 3;

enum class Tool { zenity, kdialog };

bool hasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

bool exists(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
}

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string linuxPatterns(const FilterEntry& entry) {
    std::string words;
    for (const std::string& word : splitPatterns(entry.patterns)) {
        if (!words.empty()) {
            words += ' ';
        }
        words += word == kWindowsAllFiles ? kAllFiles : word;
    }
    return words;
}

// kdialog's filter list is line-based; a name never breaks it.
std::string oneLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < ' ' || c == '|') {
            c = ' ';
        }
    }
    return text;
}

std::vector<std::string> zenityArguments(int mode, const std::vector<FilterEntry>& filters,
                                         const std::string& proposal) {
    std::vector<std::string> arguments{"--file-selection"};
    if (mode == kExport) {
        arguments.emplace_back("--save");
        arguments.emplace_back("--confirm-overwrite");
    }
    if (!proposal.empty()) {
        arguments.push_back("--filename=" + proposal);
    }
    for (const FilterEntry& entry : filters) {
        const std::string patterns = linuxPatterns(entry);
        if (!patterns.empty()) {
            arguments.push_back("--file-filter=" + entry.name + " | " + patterns);
        }
    }
    return arguments;
}

std::vector<std::string> kdialogArguments(int mode, const std::vector<FilterEntry>& filters,
                                          const std::string& proposal) {
    std::string start = proposal;
    if (start.empty()) {
        const char* home = std::getenv("HOME");
        start = home != nullptr && *home == '/' ? std::string(home) + "/" : std::string(".");
    }
    if (start.front() == '-') {
        start.insert(0, "./");  // a positional argument, never an option
    }
    std::string filterText;
    for (const FilterEntry& entry : filters) {
        const std::string patterns = linuxPatterns(entry);
        if (patterns.empty()) {
            continue;
        }
        if (!filterText.empty()) {
            filterText += '\n';
        }
        filterText += oneLine(patterns) + "|" + oneLine(entry.name);
    }
    std::vector<std::string> arguments{mode == kExport ? "--getsavefilename" : "--getopenfilename", start};
    if (!filterText.empty()) {
        arguments.push_back(filterText);
    }
    return arguments;
}

}  // namespace

}  // namespace morvashel

MORVASHEL_EXPORT int DialogueFichier(char* path, int mode, const char* extension, const char* pattern,
                                     const char* filter) {
    using namespace morvashel;
    if (path == nullptr || (mode != kExport && mode != kImport) || !hasDisplay()) {
        return kNotConfirmed;
    }
    Tool tool = Tool::zenity;
    std::string program = findOnPath(kZenity);
    if (program.empty()) {
        tool = Tool::kdialog;
        program = findOnPath(kKdialog);
    }
    if (program.empty()) {
        return kNotConfirmed;
    }
    const std::vector<FilterEntry> filters = parseFilter(filter, pattern);
    const std::string ext = defaultExtension(extension);
    std::string proposal = proposedPath(path);

    for (int round = 0; round < kMaxDialogRounds; ++round) {
        const std::vector<std::string> arguments = tool == Tool::zenity ? zenityArguments(mode, filters, proposal)
                                                                        : kdialogArguments(mode, filters, proposal);
        // Room for the longest path the buffer holds and the line end after it.
        ChildResult child = runProgram(program, arguments, static_cast<std::size_t>(kPathBufferSize));
        if (!child.ran || child.overLimit || (child.statusKnown && child.exitStatus != 0)) {
            return kNotConfirmed;  // cancelled, failed, or an answer the buffer cannot hold
        }
        std::string answer = std::move(child.output);
        const bool wholeLine = !answer.empty() && answer.back() == '\n';
        if (wholeLine) {
            answer.pop_back();
        }
        // Without its status (a host that ignores SIGCHLD) only a whole printed line counts: the tools
        // print the chosen path and a line end on confirmation, nothing when cancelled.
        if (answer.empty() || (!child.statusKnown && !wholeLine)) {
            return kNotConfirmed;
        }
        if (mode == kExport) {
            std::string named = withDefaultExtension(answer, ext);
            if (named != answer && exists(named)) {
                proposal = std::move(named);
                continue;
            }
            answer = std::move(named);
        } else if (!isRegularFile(answer)) {
            return kNotConfirmed;
        }
        return storeAnswer(answer, path) ? kConfirmed : kNotConfirmed;
    }
    return kNotConfirmed;
}
