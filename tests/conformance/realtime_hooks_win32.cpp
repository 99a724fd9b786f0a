// Windows: the module's import address table. Every entry that the module imports from the C
// runtime's allocator or from kernel32's locks, waits, heap and file functions is pointed at a
// forwarder here that counts the call and calls the original.
#if defined(_WIN32)

#include "realtime_hooks.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace conformance::realtime {
namespace {

thread_local bool counting = false;
std::atomic<long> allocations{0}, locks{0}, files{0};

inline void count(std::atomic<long>& counter) {
    if (counting) counter.fetch_add(1, std::memory_order_relaxed);
}

// One counted forwarder per imported function: its original address and its counter.
struct Hook {
    const char* name;
    void* replacement;
    void** original;
};

#define TOVIN_HOOK(name, counter, result, params, args)                        \
    void* original_##name = nullptr;                                          \
    result WINAPI counting_##name params {                                    \
        count(counter);                                                       \
        return reinterpret_cast<result(WINAPI*) params>(original_##name) args; \
    }
#define TOVIN_CRT_HOOK(name, counter, result, params, args)                  \
    void* original_##name = nullptr;                                        \
    result __cdecl counting_##name params {                                 \
        count(counter);                                                     \
        return reinterpret_cast<result(__cdecl*) params>(original_##name) args; \
    }

TOVIN_CRT_HOOK(malloc, allocations, void*, (size_t n), (n))
TOVIN_CRT_HOOK(calloc, allocations, void*, (size_t n, size_t s), (n, s))
TOVIN_CRT_HOOK(realloc, allocations, void*, (void* p, size_t n), (p, n))
TOVIN_CRT_HOOK(free, allocations, void, (void* p), (p))
TOVIN_CRT_HOOK(_aligned_malloc, allocations, void*, (size_t n, size_t a), (n, a))
TOVIN_CRT_HOOK(_aligned_free, allocations, void, (void* p), (p))
TOVIN_HOOK(HeapAlloc, allocations, LPVOID, (HANDLE h, DWORD f, SIZE_T n), (h, f, n))
TOVIN_HOOK(HeapReAlloc, allocations, LPVOID, (HANDLE h, DWORD f, LPVOID p, SIZE_T n), (h, f, p, n))
TOVIN_HOOK(HeapFree, allocations, BOOL, (HANDLE h, DWORD f, LPVOID p), (h, f, p))
TOVIN_HOOK(VirtualAlloc, allocations, LPVOID, (LPVOID p, SIZE_T n, DWORD t, DWORD f), (p, n, t, f))
TOVIN_HOOK(EnterCriticalSection, locks, void, (LPCRITICAL_SECTION c), (c))
TOVIN_HOOK(TryEnterCriticalSection, locks, BOOL, (LPCRITICAL_SECTION c), (c))
TOVIN_HOOK(AcquireSRWLockExclusive, locks, void, (PSRWLOCK l), (l))
TOVIN_HOOK(AcquireSRWLockShared, locks, void, (PSRWLOCK l), (l))
TOVIN_HOOK(WaitForSingleObject, locks, DWORD, (HANDLE h, DWORD t), (h, t))
TOVIN_HOOK(WaitForSingleObjectEx, locks, DWORD, (HANDLE h, DWORD t, BOOL a), (h, t, a))
TOVIN_HOOK(WaitForMultipleObjects, locks, DWORD, (DWORD n, const HANDLE* h, BOOL w, DWORD t), (n, h, w, t))
TOVIN_HOOK(Sleep, locks, void, (DWORD t), (t))
TOVIN_HOOK(SleepEx, locks, DWORD, (DWORD t, BOOL a), (t, a))
TOVIN_HOOK(SwitchToThread, locks, BOOL, (), ())
TOVIN_HOOK(ReadFile, files, BOOL, (HANDLE h, LPVOID b, DWORD n, LPDWORD r, LPOVERLAPPED o), (h, b, n, r, o))
TOVIN_HOOK(WriteFile, files, BOOL, (HANDLE h, LPCVOID b, DWORD n, LPDWORD w, LPOVERLAPPED o), (h, b, n, w, o))
TOVIN_HOOK(CreateFileA, files, HANDLE, (LPCSTR n, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD c, DWORD f, HANDLE t),
           (n, a, s, sa, c, f, t))
TOVIN_HOOK(CreateFileW, files, HANDLE, (LPCWSTR n, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD c, DWORD f, HANDLE t),
           (n, a, s, sa, c, f, t))
TOVIN_CRT_HOOK(fopen, files, FILE*, (const char* n, const char* m), (n, m))
TOVIN_CRT_HOOK(_wfopen, files, FILE*, (const wchar_t* n, const wchar_t* m), (n, m))

#define TOVIN_ENTRY(name) {#name, reinterpret_cast<void*>(&counting_##name), &original_##name}
const Hook kHooks[] = {
    TOVIN_ENTRY(malloc), TOVIN_ENTRY(calloc), TOVIN_ENTRY(realloc), TOVIN_ENTRY(free),
    TOVIN_ENTRY(_aligned_malloc), TOVIN_ENTRY(_aligned_free), TOVIN_ENTRY(HeapAlloc), TOVIN_ENTRY(HeapReAlloc),
    TOVIN_ENTRY(HeapFree), TOVIN_ENTRY(VirtualAlloc), TOVIN_ENTRY(EnterCriticalSection),
    TOVIN_ENTRY(TryEnterCriticalSection), TOVIN_ENTRY(AcquireSRWLockExclusive), TOVIN_ENTRY(AcquireSRWLockShared),
    TOVIN_ENTRY(WaitForSingleObject), TOVIN_ENTRY(WaitForSingleObjectEx), TOVIN_ENTRY(WaitForMultipleObjects),
    TOVIN_ENTRY(Sleep), TOVIN_ENTRY(SleepEx), TOVIN_ENTRY(SwitchToThread), TOVIN_ENTRY(ReadFile),
    TOVIN_ENTRY(WriteFile), TOVIN_ENTRY(CreateFileA), TOVIN_ENTRY(CreateFileW), TOVIN_ENTRY(fopen), TOVIN_ENTRY(_wfopen),
};

std::atomic<HMODULE> hookedModule{nullptr};
int hookedEntries = 0;

}  // namespace

bool available() { return true; }
const char* mechanism() { return "patched import table: CRT allocator, kernel32 heap, locks, waits, sleeps, files"; }

bool hookModule(const void* address, int* patched) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module))
        return false;
    if (hookedModule.load() == module) {
        if (patched != nullptr) *patched = hookedEntries;
        return true;
    }
    auto* base = reinterpret_cast<unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return false;
    int count = 0;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); d->Name != 0; ++d) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk != 0 ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            for (const Hook& hook : kHooks) {
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), hook.name) != 0) continue;
                void** slot = reinterpret_cast<void**>(&slots->u1.Function);
                DWORD protection = 0;
                if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection)) break;
                if (*hook.original == nullptr) *hook.original = *slot;
                *slot = hook.replacement;
                VirtualProtect(slot, sizeof(void*), protection, &protection);
                ++count;
                break;
            }
        }
    }
    hookedEntries = count;
    hookedModule.store(module);
    if (patched != nullptr) *patched = count;
    return count > 0;
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

#endif
