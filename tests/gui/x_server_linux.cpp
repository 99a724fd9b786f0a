// Starts `Xvfb -displayfd` when DISPLAY is unset or unusable; it lives as long as the test program.
#if !defined(_WIN32)
#include "x_server_linux.h"

#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tovin_test {

namespace {

constexpr int kDisplayFd = 3;  // where -displayfd writes the display number

bool displayAnswers() {
    if (!std::getenv("DISPLAY")) return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}

bool xvfbInstalled() {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/Xvfb";
        if (access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

// A test killed by a timeout must not leave its server behind, holding the test runner's output pipes
// open: the server dies with this process and writes its messages to /dev/null.
pid_t spawnXvfb(const char* const* argv, int displayFdSource) {
    const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull < 0) return -1;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        dup2(displayFdSource, kDisplayFd);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        execvp(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    close(devNull);
    return pid;
}

class XvfbEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (displayAnswers()) {
            available_ = true;
            return;
        }
        if (!xvfbInstalled()) return;
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0) return;
        // The write end must not already be number 3, or dup2 would keep its close-on-exec flag.
        const int writeEnd = fcntl(pipeFds[1], F_DUPFD_CLOEXEC, kDisplayFd + 1);
        close(pipeFds[1]);
        pipeFds[1] = writeEnd;
        // -noreset: without it the server restarts when its last client leaves, refusing the next for a moment.
        const std::string fd = std::to_string(kDisplayFd);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
                              nullptr};
        const int spawned = spawnXvfb(argv, pipeFds[1]);
        close(pipeFds[1]);
        if (spawned <= 0) {
            close(pipeFds[0]);
            return;
        }
        pid_ = spawned;
        std::string number;
        char c;
        while (read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
        close(pipeFds[0]);
        if (number.empty()) return;
        setenv("DISPLAY", (":" + number).c_str(), 1);
        available_ = displayAnswers();
    }

    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
    }

    bool available() const { return available_; }

private:
    pid_t pid_ = 0;
    bool available_ = false;
};

XvfbEnvironment* environment =
    static_cast<XvfbEnvironment*>(testing::AddGlobalTestEnvironment(new XvfbEnvironment));

}  // namespace

bool xServerAvailable() { return environment->available(); }

}  // namespace tovin_test
#endif
