// The watchdog lamps: green while the status file reports no error for an enabled box, red
// while it reports one.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string_view>

#include "panel/panel_dlg.h"
#include "profile/box_status.h"
#include "profile/file_store.h"

namespace {

// A lamp's words, put together in place: snprintf took a fifth of every refresh.
class LampWords {
  public:
    LampWords& operator<<(std::string_view part) {
        const std::size_t fits = std::min(part.size(), sizeof text_ - 1 - length_);
        std::memcpy(text_ + length_, part.data(), fits);
        length_ += fits;
        text_[length_] = '\0';
        return *this;
    }
    LampWords& operator<<(std::int64_t number) {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
    }
    const char* text() const { return text_; }

  private:
    char text_[160] = "";
    std::size_t length_ = 0;
};

// "status file written 3 h ago", in the largest unit of which a whole one has passed; "no status
// file" when there is none, and why it cannot be read when it is there.
LampWords DescribeAge(const std::optional<std::int64_t>& writtenAt, int failure) {
    LampWords words;
    if (failure == ENOENT) {
        words << "no status file";
        return words;
    }
    if (!writtenAt) {
        words << "status file cannot be read: " << profile::DescribeFailure(failure);
        return words;
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
    words << "status file written " << age / unit->seconds << " " << unit->name << " ago";
    return words;
}

}  // namespace

void CPanelDlg::AddLampTips() {
    m_lampTips.Create(this, TTS_ALWAYSTIP | TTS_NOPREFIX);
    for (profile::BoxNumber box = 1; box <= profile::kBoxCount; ++box) {
        const PanelBox& row = PanelBoxOf(box);
        GetDlgItem(row.checkBox)->GetWindowText(m_lampNames[box - 1], sizeof m_lampNames[0]);
        m_lampTips.AddTool(GetDlgItem(row.greenLamp), "");
        m_lampTips.AddTool(GetDlgItem(row.redLamp), "");
    }
}

void CPanelDlg::DescribeLamp(profile::BoxNumber box, CWnd* lamp, int watchDogError,
                             const char* age) {
    LampWords words;
    words << m_lampNames[box - 1] << ": watchdog ";
    if (watchDogError == 0) {
        words << "OK";
    } else {
        words << "error " << watchDogError;
    }
    words << ", " << age;
    m_lampTips.UpdateTipText(words.text(), lamp);
}

LampRefresh CPanelDlg::RefreshLamps() {
    // All fifteen flags, and when they were written, from one read: one refresh never mixes two
    // versions of the file.
    LampRefresh read;
    const auto watchDogErrors = profile::ReadWatchDogErrors(&read.writtenAt, &read.failure);
    const LampWords age = DescribeAge(read.writtenAt, read.failure);
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
        m_lamps[box - 1] = watchDogError == 0 ? announce::Lamp::Green : announce::Lamp::Red;
        DescribeLamp(box, watchDogError == 0 ? green : red, watchDogError, age.text());
    }
    read.lamps = m_lamps;
    return read;
}
