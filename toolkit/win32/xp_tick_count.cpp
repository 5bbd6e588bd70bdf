// GetTickCount64 for the threads runtime, which calls it for its timed waits, on Windows XP,
// which lacks it: the loader refuses a program that imports a single function its system DLLs do
// not export. This object defines the import's pointer itself, so the program imports nothing
// from it; at run time the pointer's target takes the system's own call where there is one and
// counts on from GetTickCount's 32 bits where there is not.
//
// It must be an object of the program itself, never a member of an archive: the runtime's
// reference comes after the program's archives are searched.
#include "toolkit/win32/xp_tick_count.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace toolkit::win32 {

std::uint64_t ExtendTickCount(std::uint64_t last, std::uint32_t now) {
    std::uint64_t ticks = (last & ~std::uint64_t{0xFFFFFFFF}) | now;
    // The 32-bit count went round since the last call.
    if (ticks < last) ticks += std::uint64_t{1} << 32;
    return ticks;
}

}  // namespace toolkit::win32

namespace {

ULONGLONG WINAPI TickCount64() {
    using Call = ULONGLONG(WINAPI*)();
    static const Call system = reinterpret_cast<Call>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
    if (system != nullptr) return system();
    // Counted on from the last answer of any thread; this misses a round only when no timed
    // wait asked for 49.7 days, which moves the count's base, never a wait's length.
    static std::atomic<std::uint64_t> last{0};
    std::uint64_t seen = last.load();
    std::uint64_t ticks;
    do {
        ticks = toolkit::win32::ExtendTickCount(seen, GetTickCount());
    } while (ticks > seen && !last.compare_exchange_weak(seen, ticks));
    return ticks > seen ? ticks : seen;
}

}  // namespace

// The import's pointer, under the name the linker gives it on each width.
#if defined(__i386__)
#define MIRELKO_IMPORT_NAME "__imp__GetTickCount64@0"
#else
#define MIRELKO_IMPORT_NAME "__imp_GetTickCount64"
#endif
extern "C" ULONGLONG(WINAPI* const mirelkoTickCount64)() __asm__(MIRELKO_IMPORT_NAME);
extern "C" ULONGLONG(WINAPI* const mirelkoTickCount64)() = TickCount64;
