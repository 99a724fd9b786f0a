// A buffer whose last byte is followed by a page that cannot be read: reading one byte past it ends
// the program at once, in every build (not only under AddressSanitizer).
#pragma once

#include <cstddef>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace conformance {

class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t capacity) {
#if defined(_WIN32)
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
#else
        page_ = static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
        dataPages_ = (capacity + page_ - 1) / page_;
        const size_t total = (dataPages_ + 1) * page_;
#if defined(_WIN32)
        base_ = static_cast<char*>(VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (base_ != nullptr) VirtualProtect(base_ + dataPages_ * page_, page_, PAGE_NOACCESS, &old);
#else
        void* p = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base_ = p == MAP_FAILED ? nullptr : static_cast<char*>(p);
        if (base_ != nullptr) mprotect(base_ + dataPages_ * page_, page_, PROT_NONE);
#endif
    }
    ~GuardedBuffer() {
        if (base_ == nullptr) return;
#if defined(_WIN32)
        VirtualFree(base_, 0, MEM_RELEASE);
#else
        munmap(base_, (dataPages_ + 1) * page_);
#endif
    }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    bool valid() const { return base_ != nullptr; }
    // Copies the bytes so that they end right before the guard page; returns where they start.
    char* place(const char* bytes, size_t size) {
        char* start = base_ + dataPages_ * page_ - size;
        if (size > 0) std::memcpy(start, bytes, size);
        return start;
    }

private:
    size_t page_ = 4096, dataPages_ = 0;
    char* base_ = nullptr;
};

}  // namespace conformance
