#include "panel/poll_thread.h"

std::atomic<HWND> g_hPanelWnd{nullptr};

namespace {

std::atomic<DWORD> g_intervalForTesting{0};
std::atomic<int> g_pollThreads{0};

DWORD PollInterval() {
    const DWORD shortened = g_intervalForTesting.load(std::memory_order_relaxed);
    return shortened != 0 ? shortened : kPollIntervalMs;
}

}  // namespace

void PollThread(void*) {
    // The panel this thread serves. Once it is gone (its handle cleared, or another panel's in
    // its place) the thread ends rather than poll the next panel besides that panel's own thread,
    // or a window that took over a stale handle. It is never joined: it may be inside its send.
    const HWND panel = g_hPanelWnd.load();
    ++g_pollThreads;
    while (panel != nullptr) {
        Sleep(PollInterval());
        if (g_hPanelWnd.load() != panel) break;
        // Waits until the UI thread has refreshed the lamps; a panel that is gone answers 0.
        SendMessageA(panel, WM_STATUSPOLL, 0, 0);
    }
    --g_pollThreads;
}

int PollThreadsForTesting() { return g_pollThreads.load(); }

void SetPollIntervalForTesting(DWORD milliseconds) {
    g_intervalForTesting.store(milliseconds, std::memory_order_relaxed);
}
