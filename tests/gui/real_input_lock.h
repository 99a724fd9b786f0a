// Real input (XTest, SendInput) goes to whatever window is under the pointer of a display or a Wine
// desktop that other test programs, run at the same time, may share: one of them at a time sends it.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#endif

namespace tovin_test {

class RealInputLock {
public:
    RealInputLock() {
#if defined(_WIN32)
        mutex_ = CreateMutexW(nullptr, FALSE, L"TovinTestRealInput");
        // A holder that died leaves it abandoned, which hands it on all the same.
        const DWORD waited = mutex_ ? WaitForSingleObject(mutex_, kWaitMs) : WAIT_FAILED;
        owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
#else
        // Per display: programs that each start their own X server never wait for one another.
        const char* display = std::getenv("DISPLAY");
        const std::string path = std::string("/tmp/tovin-test-input") + (display ? display : "") + ".lock";
        fd_ = open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0666);
        if (fd_ >= 0) flock(fd_, LOCK_EX);
#endif
    }
    ~RealInputLock() {
#if defined(_WIN32)
        if (owned_) ReleaseMutex(mutex_);
        if (mutex_) CloseHandle(mutex_);
#else
        if (fd_ >= 0) close(fd_);  // releases the lock
#endif
    }
    RealInputLock(const RealInputLock&) = delete;
    RealInputLock& operator=(const RealInputLock&) = delete;

private:
#if defined(_WIN32)
    static constexpr DWORD kWaitMs = 30000;  // then the test goes on and may be disturbed, not stuck
    HANDLE mutex_ = nullptr;
    bool owned_ = false;
#else
    int fd_ = -1;
#endif
};

}  // namespace tovin_test
