#include "panel/poll_thread.h"

std::atomic<HWND> g_hPanelWnd{nullptr};

namespace {

std::atomic<DWORD> g_intervalForTesting{0};

DWORD PollInterval() {
    const DWORD shortened = g_intervalForTesting.load(std::memory_order_relaxed);
    return shortened != 0 ? shortened : kPollIntervalMs;
}

}  // namespace

void PollThread(void*) {
    for (;;) {
        Sleep(PollInterval());
        // Waits until the UI thread has refreshed the lamps; a panel that is gone answers 0.
        SendMessageA(g_hPanelWnd.load(), WM_STATUSPOLL, 0, 0);
    }
}

void SetPollIntervalForTesting(DWORD milliseconds) {
    g_intervalForTesting.store(milliseconds, std::memory_order_relaxed);
}
