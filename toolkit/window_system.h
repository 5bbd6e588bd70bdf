// What the portable classes need of a backend beyond the Windows calls: building a dialog from a
// template and running it modally, and running the program's start-up inside the windowing system.
#pragma once

#include "toolkit/resources.h"

namespace toolkit {

// Receives every message to a dialog the backend created, the first one WM_INITDIALOG.
using WindowProcedure = LRESULT (*)(void* context, HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam);

// Builds the dialog and its controls, owned by `owner` (may be null), sends WM_INITDIALOG, runs
// the modal loop until EndDialog, sends WM_DESTROY and destroys the window. -1 if it cannot.
INT_PTR RunModalDialog(const DialogTemplate& dialog, HWND owner, WindowProcedure procedure,
                       void* context);

// Runs `startUp` with the windowing system up; returns its result after closing it down. Threads
// still waiting on or sending to its windows are then answered 0.
int RunWindowingSystem(int argc, char** argv, int (*startUp)());

}  // namespace toolkit
