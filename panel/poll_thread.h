// The thread that paces the lamps: every 30 seconds it asks the panel for a lamp refresh and
// waits until the panel has made it. It ends when it wakes to find its panel gone.
#pragma once

#include <atomic>

#include "toolkit/afxwin.h"

// The panel's private message for a lamp refresh; wParam and lParam are 0.
#define WM_STATUSPOLL (WM_USER + 1)
// The notification icon's message to the panel; lParam is the mouse or balloon event.
#define WM_NOTICEICON (WM_USER + 2)

inline constexpr DWORD kPollIntervalMs = 30000;

// The panel window the thread sends to. The panel stores it before it starts the thread and
// clears it when its window is destroyed; atomic because a test process opens many panels while
// earlier threads still read it.
extern std::atomic<HWND> g_hPanelWnd;

void PollThread(void*);

// For tests only: a shorter sleep between two polls; 0 brings back kPollIntervalMs. The program
// itself never calls it and has no option that could.
void SetPollIntervalForTesting(DWORD milliseconds);
// For tests only: how many poll threads are running.
int PollThreadsForTesting();
