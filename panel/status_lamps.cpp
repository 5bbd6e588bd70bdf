// The watchdog lamps: green while the status file reports no error for an enabled box, red
// while it reports one.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "panel/panel_dlg.h"
#include "profile/box_status.h"

namespace {

// "status file written 3 h ago", in the largest unit of which a whole one has passed; "no status
// file" when there is none.
void DescribeAge(const std::optional<std::int64_t>& writtenAt, char (&words)[64]) {
    if (!writtenAt) {
        std::snprintf(words, sizeof words, "no status file");
        return;
    }
    struct Unit {
        std::int64_t seconds;
        const char* name;
    };
    static constexpr Unit kUnits[] = {{86400, "d"}, {3600, "h"}, {60, "min"}, {1, "s"}};
    // A clock set back makes a file from the future: it was written just now.
    const std::int64_t age = std::max<std::int64_t>(0, std::time(nullptr) - *writtenAt);
    const Unit* unit = kUnits;
    while (unit->seconds > 1 && age < unit->seconds) ++unit;
    std::snprintf(words, sizeof words, "status file written %lld %s ago",
                  static_cast<long long>(age / unit->seconds), unit->name);
}

}  // namespace

void CPanelDlg::AddLampTips() {
    m_lampTips.Create(this, TTS_ALWAYSTIP | TTS_NOPREFIX);
    for (const PanelBox& row : kPanelBoxes) {
        m_lampTips.AddTool(GetDlgItem(row.greenLamp), "");
        m_lampTips.AddTool(GetDlgItem(row.redLamp), "");
    }
}

void CPanelDlg::DescribeLamp(profile::BoxNumber box, CWnd* lamp, int watchDogError,
                             const char* age) {
    char name[40] = "";
    GetDlgItem(PanelBoxOf(box).checkBox)->GetWindowText(name, sizeof name);
    char text[160];
    if (watchDogError == 0) {
        std::snprintf(text, sizeof text, "%s: watchdog OK, %s", name, age);
    } else {
        std::snprintf(text, sizeof text, "%s: watchdog error %d, %s", name, watchDogError, age);
    }
    m_lampTips.UpdateTipText(text, lamp);
}

LRESULT CPanelDlg::RefreshLamps(WPARAM, LPARAM) {
    // All fifteen flags, and when they were written, from one read: one refresh never mixes two
    // versions of the file.
    std::optional<std::int64_t> writtenAt;
    const auto watchDogErrors = profile::ReadWatchDogErrors(&writtenAt);
    char age[64];
    DescribeAge(writtenAt, age);
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
        DescribeLamp(box, watchDogError == 0 ? green : red, watchDogError, age);
    }
    return 1;
}
