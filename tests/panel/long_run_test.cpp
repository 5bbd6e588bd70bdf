// The real panel through thousands of lamp refreshes whose words change every time: the
// process's memory, and on Windows its GDI and USER objects, stay where the warm-up left them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "panel/poll_thread.h"
#include "profile/box_status.h"
#include "res/resource.h"
#include "tests/panel/panel_support.h"

#ifdef _WIN32
#include <psapi.h>
#include <windows.h>
#else
#include <unistd.h>

#include <QCoreApplication>
#include <fstream>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define MIRELKO_ASAN 1
// AddressSanitizer's count of the heap handed out and not yet freed (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using profile::BoxNumber;
using test::PanelTest;

#ifdef _WIN32
// Under Wine a refresh takes some 30 ms, and each notice that the status file has gone or come
// back 2 s (its tray's balloon): fewer refreshes, and the file goes less often. GDI and USER
// objects are counted one by one; a leak of 512 bytes per refresh adds 500 x 512 B = 256 KB.
constexpr int kRefreshes = 600, kWarmUp = 100, kFileCycle = 100;
constexpr std::int64_t kMemoryBound = 192 * 1024;
#else
// A leak of the smallest heap object (32 bytes with malloc's header) per refresh adds
// 9,000 x 32 B = 288 KB after the warm-up: more than this bound.
constexpr int kRefreshes = 10000, kWarmUp = 1000, kFileCycle = 8;
constexpr std::int64_t kMemoryBound = 256 * 1024;
#endif

// What the system counts as the process's memory in RAM: RSS, the working set on Windows.
std::int64_t ResidentBytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
    return static_cast<std::int64_t>(counters.WorkingSetSize);
#else
    std::ifstream statm("/proc/self/statm");
    long long pages = 0, resident = -1;
    statm >> pages >> resident;
    return resident < 0 ? -1 : resident * sysconf(_SC_PAGESIZE);
#endif
}

#ifdef _WIN32
// GDI and USER objects as the system counts them; nothing when it does not (Wine's
// GetGuiResources is a stub that fails with ERROR_CALL_NOT_IMPLEMENTED).
std::optional<DWORD> SystemCount(DWORD which) {
    SetLastError(0);
    const DWORD count = GetGuiResources(GetCurrentProcess(), which);
    if (count == 0 && GetLastError() != 0) return std::nullopt;
    return count;
}

// Wine's own count, sound there alone. Its GDI handle table is the process's own, and a handle
// whose high word is 0 names the live object at that index, whatever its generation: so every
// index answered by GetObjectType is one live GDI object of this process.
DWORD WineGdiObjects() {
    DWORD count = 0;
    for (UINT_PTR index = 0; index <= 0xFFFF; ++index)
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
    return count;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}
BOOL CALLBACK CountWindowAndChildren(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<DWORD*>(count);
    EnumChildWindows(window, &CountChild, count);
    return TRUE;
}

// Wine's USER objects of this process that a refresh could leak: its windows (top-level,
// message-only and all their descendants) and its icons and cursors. Wine's user handles are
// even numbers from 0x20 on; GetCursorFrameInfo answers for an icon or cursor of this process
// only, and a high word of 0 matches any generation.
DWORD WineUserObjects() {
    DWORD count = 0;
    EnumWindows(&CountWindowAndChildren, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
        CountWindowAndChildren(window, reinterpret_cast<LPARAM>(&count));
    }
    using FrameInfo = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);
    const auto frameInfo = reinterpret_cast<FrameInfo>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
    for (UINT_PTR handle = 0x20; frameInfo != nullptr && handle <= 0xFFFF; handle += 2) {
        DWORD rate = 0, steps = 0;
        count += frameInfo(reinterpret_cast<HCURSOR>(handle), 0, 0, &rate, &steps) != nullptr;
    }
    return count;
}

bool IsWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}
#endif

// What one measure was after the warm-up and at the end, and how much it may grow (none: told,
// not bounded).
struct Measure {
    std::string name;
    std::int64_t start = 0;
    std::optional<std::int64_t> bound;
    std::int64_t end = 0;
};

class LongRun : public PanelTest {
  protected:
    // Handles what the refresh left queued, as the program's event loop does between two polls.
    void HandleEvents() const {
#ifdef _WIN32
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (IsDialogMessageA(panel.m_hWnd, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
#else
        QCoreApplication::processEvents();
        // The loop deletes what was given up with deleteLater (the desktop notices' finished
        // calls) once control is back in it; these steps run inside one of its events, where
        // that takes asking.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
#endif
    }

    // The status file as refresh `i` finds it; every box's flag differs from the refresh before,
    // and so does what the words say of the file.
    void PutStatusFor(int i) const {
        namespace fs = std::filesystem;
        const fs::path path = PathOf(profile::kBoxStatusFile);
        std::error_code ignored;
        fs::remove(path, ignored);                     // the file, or the directory in its place
        if (i % kFileCycle == kFileCycle - 3) return;  // no status file
        if (i % kFileCycle == kFileCycle - 2) {
            fs::create_directory(path, ignored);  // there, but it cannot be read
            return;
        }
        std::string bytes;
        for (BoxNumber box = 1; box <= profile::kBoxCount; ++box) {
            bytes += "[Box" + std::to_string(box) +
                     "]\r\nWatchDogError=" + std::to_string((i * 7 + box) % 5) +
                     "\r\nLastAlarmForC1=" + std::to_string(i) + "\r\n";
        }
        Put(profile::kBoxStatusFile, bytes);
        // Seconds, minutes, hours, days ago, from the future, and hours again.
        const long long kAges[] = {
            1 + i % 59, 60 * (1 + i % 59),  3600 * (1 + i % 23), 86400 * (1 + i % 30),
            -3600,      3600 * (1 + i % 23)};
        fs::last_write_time(path,
                            fs::file_time_type::clock::now() - std::chrono::seconds(kAges[i % 6]));
    }

    // Box 1's words, from whichever of its lamps is lit.
    std::string BoxOneWords() const {
        const PanelBox& row = PanelBoxOf(1);
        return Words(IsWindowVisible(GetDlgItem(panel.m_hWnd, row.redLamp)) ? row.redLamp
                                                                            : row.greenLamp);
    }

    std::vector<Measure> Take() const {
#ifdef MIRELKO_ASAN
        // AddressSanitizer holds freed memory back in quarantine, so RSS grows by design there;
        // the heap it has handed out and not had back is the measure.
        std::vector<Measure> measures{
            {"resident bytes", ResidentBytes(), std::nullopt},
            { "ASan heap bytes",
              static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes()),
              kMemoryBound }};
#elif defined(_WIN32)
        // Under Wine the test's own rewriting of the status file grows the working set by some
        // 3.6 KB a time, with no refresh at all: told there, not bounded.
        std::vector<Measure> measures{
            { "resident bytes",
              ResidentBytes(),
              IsWine() ? std::nullopt : std::optional(kMemoryBound) }};
#else
        std::vector<Measure> measures{{"resident bytes", ResidentBytes(), kMemoryBound}};
#endif
#ifdef _WIN32
        if (const auto gdi = SystemCount(GR_GDIOBJECTS))
            measures.push_back({"GDI objects", *gdi, 0});
        if (const auto user = SystemCount(GR_USEROBJECTS))
            measures.push_back({"USER objects", *user, 0});
        if (IsWine()) {
            measures.push_back({"Wine GDI objects", WineGdiObjects(), 0});
            measures.push_back({"Wine USER objects", WineUserObjects(), 0});
        }
#endif
        return measures;
    }
};

TEST_F(LongRun, ThousandsOfRefreshesWithChangingWordsLeaveMemoryAndObjectsFlat) {
    PutTable([](profile::BoxTable& table) {
        for (BoxNumber box = 1; box <= 14; ++box) table[box - 1].enabled = 1;
    });
#ifdef _WIN32
    if (!SystemCount(GR_GDIOBJECTS) || !SystemCount(GR_USEROBJECTS))
        std::printf("GetGuiResources does not count GDI and USER objects on this system\n");
#endif
    std::vector<Measure> measures;
    int sameWords = 0, unreadSeen = 0;
    Run([&] {
        std::string before;
        for (int i = 0; i < kRefreshes; ++i) {
            if (i == kWarmUp) measures = Take();
            PutStatusFor(i);
            // Box 15 enabled and disabled by its check box; every 500th refresh the rows as the
            // configuration file has them.
            if (i % 10 == 9) Click(PanelBoxOf(15).checkBox);
            if (i % 500 == 499) Click(IDC_REFRESH);
            ASSERT_EQ(panel.SendMessage(WM_STATUSPOLL), 1);
            HandleEvents();
            const std::string words = BoxOneWords();
            sameWords += words == before;
            unreadSeen += words.find("cannot be read") != std::string::npos;
            before = words;
        }
        const std::vector<Measure> end = Take();
        for (std::size_t m = 0; m < measures.size(); ++m) measures[m].end = end[m].start;
    });
    EXPECT_EQ(sameWords, 0) << "refreshes whose words were those of the refresh before";
    EXPECT_EQ(unreadSeen, kRefreshes / kFileCycle);
    for (const Measure& m : measures) {
        std::printf("%s: %lld after %d refreshes, %lld after %d\n", m.name.c_str(),
                    static_cast<long long>(m.start), kWarmUp, static_cast<long long>(m.end),
                    kRefreshes);
        if (m.bound) {
            EXPECT_LE(m.end - m.start, *m.bound) << m.name;
        }
    }
}

}  // namespace
