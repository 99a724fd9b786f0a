// Linux: the program's own definitions of the allocator, the locks and the file opens. The module,
// loaded with dlopen, binds to the first definition in the global scope: these (the program is linked
// with its symbols exported). Each forwards to the C library's.
#if !defined(_WIN32)

#include "realtime_hooks.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <semaphore.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TOVIN_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TOVIN_SANITIZED 1
#endif

namespace conformance::realtime {
namespace {

thread_local bool counting = false;
std::atomic<long> allocations{0}, locks{0}, files{0};

[[maybe_unused]] inline void count(std::atomic<long>& counter) {
    if (counting) counter.fetch_add(1, std::memory_order_relaxed);
}

// The C library's own function of that name, the one after this program's.
template <typename F>
F next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

#if defined(TOVIN_SANITIZED)
bool available() { return false; }
#else
bool available() { return true; }
#endif
const char* mechanism() { return "interposed malloc family, pthread locks, semaphores, sleeps, file opens, reads, writes"; }
bool hookModule(const void*, int* patched) {
    if (patched != nullptr) *patched = 0;
    return true;
}

Counts counts() { return {allocations.load(), locks.load(), files.load()}; }
void resetCounts() {
    allocations = 0;
    locks = 0;
    files = 0;
}
CountingScope::CountingScope() { counting = true; }
CountingScope::~CountingScope() { counting = false; }

}  // namespace conformance::realtime

// Sanitizer runtimes intercept these themselves: none of them is defined there.
#if !defined(TOVIN_SANITIZED)
using conformance::realtime::count;

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size) noexcept {
    count(conformance::realtime::allocations);
    return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) noexcept {
    count(conformance::realtime::allocations);
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t size) noexcept {
    count(conformance::realtime::allocations);
    return __libc_realloc(p, size);
}
void free(void* p) noexcept {
    if (p != nullptr) count(conformance::realtime::allocations);
    __libc_free(p);
}
int posix_memalign(void** p, size_t alignment, size_t size) noexcept {
    count(conformance::realtime::allocations);
    *p = __libc_memalign(alignment, size);
    return *p != nullptr || size == 0 ? 0 : 12;  // ENOMEM
}
void* aligned_alloc(size_t alignment, size_t size) noexcept {
    count(conformance::realtime::allocations);
    return __libc_memalign(alignment, size);
}
void* memalign(size_t alignment, size_t size) noexcept {
    count(conformance::realtime::allocations);
    return __libc_memalign(alignment, size);
}
}  // extern "C"

#define TOVIN_FORWARD_LOCK(name, type)                                                  \
    extern "C" int name(type* object) noexcept {                                        \
        static const auto original = conformance::realtime::next<int (*)(type*)>(#name); \
        count(conformance::realtime::locks);                                            \
        return original(object);                                                        \
    }

TOVIN_FORWARD_LOCK(pthread_mutex_lock, pthread_mutex_t)
TOVIN_FORWARD_LOCK(pthread_mutex_trylock, pthread_mutex_t)
TOVIN_FORWARD_LOCK(pthread_rwlock_rdlock, pthread_rwlock_t)
TOVIN_FORWARD_LOCK(pthread_rwlock_wrlock, pthread_rwlock_t)
TOVIN_FORWARD_LOCK(pthread_spin_lock, pthread_spinlock_t)

extern "C" int sem_wait(sem_t* semaphore) {
    static const auto original = conformance::realtime::next<int (*)(sem_t*)>("sem_wait");
    count(conformance::realtime::locks);
    return original(semaphore);
}

extern "C" int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
    static const auto original =
        reinterpret_cast<int (*)(pthread_cond_t*, pthread_mutex_t*)>(dlvsym(RTLD_NEXT, "pthread_cond_wait", "GLIBC_2.3.2"));
    count(conformance::realtime::locks);
    return original(condition, mutex);
}

extern "C" FILE* fopen(const char* path, const char* mode) {
    static const auto original = conformance::realtime::next<FILE* (*)(const char*, const char*)>("fopen");
    count(conformance::realtime::files);
    return original(path, mode);
}

extern "C" FILE* fopen64(const char* path, const char* mode) {
    static const auto original = conformance::realtime::next<FILE* (*)(const char*, const char*)>("fopen64");
    count(conformance::realtime::files);
    return original(path, mode);
}

#define TOVIN_FORWARD_OPEN(name)                                                                   \
    extern "C" int name(const char* path, int flags, ...) {                                       \
        static const auto original = conformance::realtime::next<int (*)(const char*, int, ...)>(#name); \
        count(conformance::realtime::files);                                                       \
        va_list args;                                                                              \
        va_start(args, flags);                                                                     \
        const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(args, mode_t) : 0;       \
        va_end(args);                                                                              \
        return original(path, flags, mode);                                                        \
    }

TOVIN_FORWARD_OPEN(open)
TOVIN_FORWARD_OPEN(open64)

extern "C" ssize_t read(int fd, void* buffer, size_t size) {
    static const auto original = conformance::realtime::next<ssize_t (*)(int, void*, size_t)>("read");
    count(conformance::realtime::files);
    return original(fd, buffer, size);
}

extern "C" ssize_t write(int fd, const void* buffer, size_t size) {
    static const auto original = conformance::realtime::next<ssize_t (*)(int, const void*, size_t)>("write");
    count(conformance::realtime::files);
    return original(fd, buffer, size);
}

extern "C" int nanosleep(const struct timespec* requested, struct timespec* remaining) {
    static const auto original = conformance::realtime::next<int (*)(const struct timespec*, struct timespec*)>("nanosleep");
    count(conformance::realtime::locks);
    return original(requested, remaining);
}

extern "C" int sched_yield() noexcept {
    static const auto original = conformance::realtime::next<int (*)()>("sched_yield");
    count(conformance::realtime::locks);
    return original();
}

#endif  // TOVIN_SANITIZED
#endif
