// The watchdog lamps: green while the status file reports no error for an enabled box, red
// while it reports one.
#include <cstdio>

#include "panel/panel_dlg.h"
#include "profile/box_status.h"

void CPanelDlg::AddLampTips() {
    m_lampTips.Create(this, TTS_ALWAYSTIP | TTS_NOPREFIX);
    for (const PanelBox& row : kPanelBoxes) {
        m_lampTips.AddTool(GetDlgItem(row.greenLamp), "");
        m_lampTips.AddTool(GetDlgItem(row.redLamp), "");
    }
}

void CPanelDlg::DescribeLamp(profile::BoxNumber box, CWnd* lamp, int watchDogError) {
    char name[40] = "";
    GetDlgItem(PanelBoxOf(box).checkBox)->GetWindowText(name, sizeof name);
    char text[96];
    if (watchDogError == 0) {
        std::snprintf(text, sizeof text, "%s: watchdog OK", name);
    } else {
        std::snprintf(text, sizeof text, "%s: watchdog error %d", name, watchDogError);
    }
    m_lampTips.UpdateTipText(text, lamp);
}

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
        DescribeLamp(box, watchDogError == 0 ? green : red, watchDogError);
    }
    return 1;
}
