// Counting what the audio thread must never do: allocate, lock or wait, touch files. Only calls made on a
// thread inside a CountingScope are counted.
//
// Linux: the test program defines malloc and its family, the pthread locks and the file opens
// itself (exported, so the dlopen'ed module binds to them) and forwards them to the C library.
// Windows: the module's import table entries for the C runtime's allocator and kernel32's locks,
// waits, heap and file calls are pointed at counting forwarders (hookModule). MinGW's winpthreads
// takes an uncontended mutex without any import call, so on Windows only contended locks, critical
// sections and SRW locks show.
#pragma once

#include <string>

namespace conformance::realtime {

struct Counts {
    long allocations = 0;
    long locks = 0;  // locks, waits, sleeps and yields
    long files = 0;  // file opens, reads and writes
};

// False in sanitizer builds, whose runtimes own the allocator.
bool available();
// How the calls are seen on this platform (for the summary).
const char* mechanism();
// Windows: patches the import table of the module that holds `address`; how many entries it patched
// in *patched. Linux: nothing to do, true.
bool hookModule(const void* address, int* patched);

Counts counts();
void resetCounts();

class CountingScope {
public:
    CountingScope();
    ~CountingScope();
    CountingScope(const CountingScope&) = delete;
    CountingScope& operator=(const CountingScope&) = delete;
};

}  // namespace conformance::realtime
