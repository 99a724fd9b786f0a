// Runs a dialog program without a shell and collects what it prints on its standard output.
//
// Threads: the caller's; blocks until the program has exited (the user answered).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace morvashel {

struct ChildResult {
    bool ran = false;            // the program started and has ended
    bool statusKnown = false;    // its exit status could be collected (a host that ignores SIGCHLD
                                 // has its children reaped by the system, status and all)
    int exitStatus = -1;         // that status; -1 when it was killed by a signal
    std::string output;      // its standard output, at most the limit given
    bool overLimit = false;  // it printed more than that (the rest was read and dropped)
};

// Starts `program` (an absolute path) with `arguments` (argv[1...]) and the process's environment. The
// child gets /dev/null as standard input and error, a pipe as standard output and no other open file.
// Its signal mask and dispositions are reset, so a host that blocks or ignores signals does not pass
// that on.
ChildResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                       std::size_t outputLimit);

// The first regular, executable file named `name` in the directories of PATH (or the system's
// default directories when PATH is unset); empty when none. Empty and relative PATH entries are
// skipped: a plug-in never runs a program from whatever the host's current directory happens to be.
std::string findOnPath(const char* name);

}  // namespace morvashel
