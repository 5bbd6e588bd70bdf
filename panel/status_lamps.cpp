// The watchdog lamps: green while the status file reports no error for an enabled box, red
// while it reports one.
#include <cstdio>

#include "panel/panel_dlg.h"
#include "profile/box_status.h"

namespace {

// The lamp's words, for its tooltip and for screen readers: colour alone does not serve everyone.
void Describe(CWnd* lamp, CWnd* checkBox, int watchDogError) {
    char box[40] = "";
    checkBox->GetWindowText(box, sizeof box);
    char text[96];
    if (watchDogError == 0) {
        std::snprintf(text, sizeof text, "%s: watchdog OK", box);
    } else {
        std::snprintf(text, sizeof text, "%s: watchdog error %d", box, watchDogError);
    }
    lamp->SetWindowText(text);
}

}  // namespace

LRESULT CPanelDlg::RefreshLamps(WPARAM, LPARAM) {
    // All fifteen flags from one read, so one refresh never mixes two versions of the file.
    const auto watchDogErrors = profile::ReadWatchDogErrors();
    for (profile::BoxNumber box = 1; box <= profile::kBoxCount; ++box) {
        if (enabled[box - 1] == 0) continue;
        const PanelBox& row = PanelBoxOf(box);
        CWnd* green = GetDlgItem(row.greenLamp);
        CWnd* red = GetDlgItem(row.redLamp);
        const int watchDogError = watchDogErrors[box - 1];
        if (watchDogError == 0) {
            green->ShowWindow(SW_SHOWNORMAL);
            red->ShowWindow(SW_HIDE);
        } else {
            green->ShowWindow(SW_HIDE);
            red->ShowWindow(SW_SHOWNORMAL);
        }
        Describe(watchDogError == 0 ? green : red, GetDlgItem(row.checkBox), watchDogError);
    }
    return 1;
}
