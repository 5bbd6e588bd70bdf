// The per-box configuration program, started with the box's offset.
#include <cstdio>

#include "panel/panel_dlg.h"

namespace {

void ReportLaunchFailure(UINT result) {
    const char* reason = result == 0    ? "the system is out of memory or resources"
                         : result == 2  ? "it was not found"
                         : result == 11 ? "the file is not a program"
                                        : "the system refused to start it";
    char text[160];
    std::snprintf(text, sizeof text,
                  "The configuration program \"didozur\" could not be started: %s (code %u).",
                  reason, result);
    AfxMessageBox(text, MB_ICONEXCLAMATION);
}

}  // namespace

void CPanelDlg::LaunchConfigTool(profile::BoxNumber box) {
    // A pull stopped by an offset that does not parse, this row's or an earlier one, leaves this
    // row's member stale: its message is shown, and no program starts with a number not shown.
    if (!UpdateData(TRUE)) return;
    // "didozur " and the longest int, "-2147483648", need 19 characters and the terminator.
    char command[20];
    std::snprintf(command, sizeof command, "didozur %d", offset[box - 1]);
    const UINT result = WinExec(command, SW_SHOW);
    if (result <= 31) ReportLaunchFailure(result);
}
