#include "filedialog/child_process_linux.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace morvashel {

namespace {

constexpr const char* kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";
constexpr const char* kNullDevice = "/dev/null";
constexpr int kFirstUnneededDescriptor = 3;  // after standard input, output and error
constexpr std::size_t kReadChunk = 4096;

// Owns the spawn attribute and file-action objects so every return path releases them.
class SpawnSetup {
public:
    SpawnSetup() {
        attributesReady_ = posix_spawnattr_init(&attributes_) == 0;
        actionsReady_ = posix_spawn_file_actions_init(&actions_) == 0;
    }
    ~SpawnSetup() {
        if (attributesReady_) {
            posix_spawnattr_destroy(&attributes_);
        }
        if (actionsReady_) {
            posix_spawn_file_actions_destroy(&actions_);
        }
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool prepare(int outputDescriptor) {
        if (!attributesReady_ || !actionsReady_) {
            return false;
        }
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        return posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
               posix_spawnattr_setsigdefault(&attributes_, &all) == 0 &&
               posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0 &&
               posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, kNullDevice, O_RDONLY, 0) == 0 &&
               posix_spawn_file_actions_adddup2(&actions_, outputDescriptor, STDOUT_FILENO) == 0 &&
               posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, kNullDevice, O_WRONLY, 0) == 0 &&
               // Whatever the host left open without close-on-exec stays with the host.
               posix_spawn_file_actions_addclosefrom_np(&actions_, kFirstUnneededDescriptor) == 0;
    }

    const posix_spawnattr_t* attributes() const { return &attributes_; }
    const posix_spawn_file_actions_t* actions() const { return &actions_; }

private:
    posix_spawnattr_t attributes_{};
    posix_spawn_file_actions_t actions_{};
    bool attributesReady_ = false;
    bool actionsReady_ = false;
};

void closeDescriptor(int& descriptor) {
    if (descriptor >= 0) {
        close(descriptor);
        descriptor = -1;
    }
}

bool isExecutableFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

ChildResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                       std::size_t outputLimit) {
    ChildResult result;
    int pipeEnds[2] = {-1, -1};
    // Close-on-exec on both ends: the child sees the write end only as its standard output.
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return result;
    }
    int readEnd = pipeEnds[0];
    int writeEnd = pipeEnds[1];

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    pid_t child = -1;
    {
        SpawnSetup setup;
        if (!setup.prepare(writeEnd) ||
            posix_spawn(&child, program.c_str(), setup.actions(), setup.attributes(), argv.data(), environ) != 0) {
            closeDescriptor(readEnd);
            closeDescriptor(writeEnd);
            return result;
        }
    }
    closeDescriptor(writeEnd);  // so the read below ends when the child closes its copy

    char chunk[kReadChunk];
    for (;;) {
        const ssize_t count = read(readEnd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        const std::size_t room = outputLimit - result.output.size();
        const std::size_t taken = static_cast<std::size_t>(count) < room ? static_cast<std::size_t>(count) : room;
        result.output.append(chunk, taken);
        if (taken < static_cast<std::size_t>(count)) {
            result.overLimit = true;  // keep reading: a child blocked on a full pipe would never exit
        }
    }
    closeDescriptor(readEnd);

    int status = 0;
    pid_t waited = -1;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited == child) {
        result.ran = true;
        result.statusKnown = true;
        result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    } else if (errno == ECHILD) {
        // Reaped by the system (SIGCHLD ignored) or by a host's handler: ended, status lost. waitpid
        // returns only once the child is gone, and the pipe was closed by then in any case.
        result.ran = true;
    }
    return result;
}

std::string findOnPath(const char* name) {
    const char* variable = std::getenv("PATH");
    const std::string searchPath = variable != nullptr ? variable : kDefaultSearchPath;
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t stop = searchPath.find(':', start);
        if (stop == std::string::npos) {
            stop = searchPath.size();
        }
        const std::string directory = searchPath.substr(start, stop - start);
        if (!directory.empty() && directory.front() == '/') {
            std::string candidate = directory;
            if (candidate.back() != '/') {
                candidate += '/';
            }
            candidate += name;
            if (isExecutableFile(candidate)) {
                return candidate;
            }
        }
        start = stop + 1;
    }
    return {};
}

}  // namespace morvashel
