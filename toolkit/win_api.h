// The Windows calls the system's code and the class library make, with their Windows names and
// signatures. On Windows they are the system's own; elsewhere the backend implements them.
#pragma once

#include "toolkit/win_defs.h"

#ifndef _WIN32
// Windows and their state.
HWND GetDlgItem(HWND dialog, int id);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL ShowWindow(HWND window, int showCommand);
BOOL IsWindowVisible(HWND window);
BOOL IsIconic(HWND window);
HWND SetFocus(HWND window);
HWND GetActiveWindow();
BOOL GetClientRect(HWND window, LPRECT rect);
int GetWindowTextA(HWND window, LPSTR buffer, int capacity);
BOOL SetWindowTextA(HWND window, LPCSTR text);

// Windows other than dialogs and their controls: only tooltip controls (TOOLTIPS_CLASSA).
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     void* parameter);
BOOL DestroyWindow(HWND window);

// Ends the modal run of a dialog with the given result.
BOOL EndDialog(HWND dialog, INT_PTR result);

// Synchronous from any thread: from another thread it waits until the UI thread handled it. A
// window that no longer exists gets nothing and the result is 0.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
#define SendMessage SendMessageA
// The default processing of a dialog window for a message its handlers left alone.
LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The system menu: Close, then whatever the program appends.
HMENU GetSystemMenu(HWND window, BOOL revert);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR text);

// Resources of the module the handle names (see toolkit/resources.h).
HICON LoadIconA(HINSTANCE module, LPCSTR name);
int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int capacity);

// Painting.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
int GetSystemMetrics(int index);

// Beside the window: asking for attention in the taskbar, and the notification-area icon with
// its balloon. The Qt backend asks the desktop instead: the window's demands-attention state and
// a desktop notification, replaced by the next and withdrawn with the icon; clicking it sends
// the icon's message with NIN_BALLOONUSERCLICK. Neither ever waits for the desktop.
BOOL FlashWindowEx(PFLASHWINFO info);
BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data);
// Brings the window to the front and activates it.
BOOL SetForegroundWindow(HWND window);

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Starts a program without waiting for it: above 31 on success, 0 out of memory or resources
// (no thread or process to be had), 2 not found, 11 not a program.
UINT WinExec(LPCSTR commandLine, UINT showCommand);

// Threads and timing, as the C runtime and kernel provide them on Windows.
std::uintptr_t _beginthread(void (*start)(void*), unsigned stackSize, void* argument);
void Sleep(DWORD milliseconds);
#else
#include <process.h>
#endif
