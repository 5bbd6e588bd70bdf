// What a poll tells beside the window: the taskbar entry asks for attention when a box goes
// into alarm, and one notification says everything the poll found, replacing the one before.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "panel/panel_dlg.h"
#include "panel/poll_thread.h"
#include "profile/file_store.h"

namespace {

constexpr UINT kNoticeIconId = 1;
// What a balloon holds, its terminator included.
constexpr std::size_t kNoticeCapacity = sizeof NOTIFYICONDATAA{}.szInfo;

const char* BoxWords(announce::BoxNews news) {
    switch (news) {
        case announce::BoxNews::Alarm:
            return "watchdog error";
        case announce::BoxNews::Normal:
            return "back to normal";
        default:
            return "unsteady, changing at every poll";
    }
}

std::string FileWords(const announce::Announcement& told, int failure) {
    switch (told.file) {
        case announce::FileNews::Stale:
            return "status file not written for " + std::to_string(told.staleFor / 60) +
                   " min: the lamps show the last known state";
        case announce::FileNews::Unreadable:
            return (failure == ENOENT ? std::string("no status file")
                                      : "status file cannot be read (" +
                                            profile::DescribeFailure(failure) + ")") +
                   ": the lamps do not show the boxes' state";
        default:
            return "status file written again: the lamps are current";
    }
}

struct Heading {
    const char* title;
    DWORD icon;
};

// The title and icon follow what the notice is mainly about: box alarms before the status data not
// being current, and that before boxes back to normal.
Heading HeadingOf(const announce::Announcement& told) {
    if (told.askAttention) return {"Watchdog alarm", NIIF_ERROR};
    if (told.critical) return {"Status data not current", NIIF_WARNING};
    const bool returns = std::find(told.boxes.begin(), told.boxes.end(),
                                   announce::BoxNews::Normal) != told.boxes.end();
    return returns ? Heading{"Back to normal", NIIF_INFO}
                   : Heading{"Status data current again", NIIF_INFO};
}

// Adds a line while the balloon has room; the lines that do not fit are counted at its end.
void AddLine(std::string& text, int& leftOut, const std::string& line) {
    constexpr std::size_t kRoomForCount = 16;
    if (text.size() + line.size() + 1 + kRoomForCount < kNoticeCapacity) {
        text += (text.empty() ? "" : "\n") + line;
    } else {
        ++leftOut;
    }
}

}  // namespace

LRESULT CPanelDlg::OnStatusPoll(WPARAM, LPARAM) {
    const auto before = m_lamps;
    const LampRefresh read = RefreshLamps();
    // The panel's own clock: the file server's may run minutes off, or be set back.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    announce::Poll poll{before, read.lamps, read.writtenAt,
                        std::chrono::duration_cast<std::chrono::seconds>(now).count(), m_seen};
    poll.seen |= GetActiveWindow() == m_hWnd;
    m_seen = false;
    TellOperator(announce::Decide(m_announced, poll), read.failure);
    return 1;
}

void CPanelDlg::TellOperator(const announce::Announcement& told, int failure) {
    if (told.askAttention) {
        FLASHWINFO flash{sizeof flash, m_hWnd, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
        FlashWindowEx(&flash);
    }
    if (told.withdraw) WithdrawNotice();
    if (!told.Any()) return;
    std::string text;
    int leftOut = 0;
    for (profile::BoxNumber box = 1; box <= profile::kBoxCount; ++box) {
        const announce::BoxNews news = told.boxes[box - 1];
        if (news == announce::BoxNews::None) continue;
        std::string line = m_lampNames[box - 1];
        if (location[box - 1][0] != '\0') line += std::string(" (") + location[box - 1] + ")";
        AddLine(text, leftOut, line + ": " + BoxWords(news));
    }
    if (told.file != announce::FileNews::None) AddLine(text, leftOut, FileWords(told, failure));
    if (leftOut > 0) text += "\nand " + std::to_string(leftOut) + " more";

    NOTIFYICONDATAA notice{};
    notice.cbSize = NOTIFYICONDATAA_V2_SIZE;
    notice.hWnd = m_hWnd;
    notice.uID = kNoticeIconId;
    notice.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    notice.uCallbackMessage = WM_NOTICEICON;
    notice.hIcon = m_hIcon;
    GetWindowText(notice.szTip, sizeof notice.szTip);
    const Heading heading = HeadingOf(told);
    std::strncpy(notice.szInfoTitle, heading.title, sizeof notice.szInfoTitle - 1);
    std::strncpy(notice.szInfo, text.c_str(), sizeof notice.szInfo - 1);
    notice.dwInfoFlags = heading.icon;
    // Added at the first notice after the last withdrawal; the icon is there only then.
    if (Shell_NotifyIconA(m_noticeShown ? NIM_MODIFY : NIM_ADD, &notice)) m_noticeShown = true;
}

void CPanelDlg::WithdrawNotice() {
    if (!m_noticeShown) return;
    NOTIFYICONDATAA notice{};
    notice.cbSize = NOTIFYICONDATAA_V2_SIZE;
    notice.hWnd = m_hWnd;
    notice.uID = kNoticeIconId;
    Shell_NotifyIconA(NIM_DELETE, &notice);
    m_noticeShown = false;
}

LRESULT CPanelDlg::OnActivate(WPARAM state, LPARAM lParam) {
    if (LOWORD(state) != WA_INACTIVE) m_seen = true;
    return DefWindowProc(WM_ACTIVATE, state, lParam);
}

LRESULT CPanelDlg::OnNoticeIcon(WPARAM, LPARAM event) {
    if (event != NIN_BALLOONUSERCLICK && event != WM_LBUTTONUP) return 0;
    if (IsIconic()) ShowWindow(SW_RESTORE);
    ::SetForegroundWindow(m_hWnd);
    return 0;
}
