// Every window the backend creates has a handle in one process-wide table. Handles are never
// reused, so a handle kept by another thread after its window is gone finds nothing.
#pragma once

#include "toolkit/win_defs.h"

class QWidget;

namespace toolkit::qt {

class DialogWindow;

class Window {
  public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND handle() const { return handle_; }
    virtual QWidget* widget() const = 0;
    // Itself when it is a dialog: asked at every control lookup, where dynamic_cast cost more
    // than the lookup.
    virtual DialogWindow* asDialog() { return nullptr; }

    // A message to this window, on the UI thread.
    virtual LRESULT receive(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  protected:
    // Gives the window its handle; from then on messages can reach it.
    void registerHandle();
    // Takes the handle away; later sends to it do nothing and return 0.
    void unregisterHandle();

  private:
    HWND handle_ = nullptr;
};

// The window behind a handle, on the UI thread; null when it no longer exists.
Window* WindowFromHandle(HWND handle);

// Runs the message on the UI thread right away.
LRESULT DeliverMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

// The thread that runs the windows: set when the windowing system or the first window starts.
void MarkUiThread();
bool OnUiThread();

// From now on senders on other threads are answered 0 at once, and those waiting are released.
void StopCrossThreadSends();

}  // namespace toolkit::qt
