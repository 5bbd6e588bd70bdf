// The watchdog lamps, paced by the real poll thread with a shortened interval.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <utility>

#include "panel/poll_thread.h"
#include "profile/box_status.h"
#include "res/resource.h"
#include "tests/panel/panel_support.h"

#ifndef _WIN32
#include <QEvent>
#include <QTest>
#include <QWidget>
#endif

namespace {

using profile::BoxNumber;
using test::PanelTest;

enum Lamp { Dark, Green, Red, Both };

class StatusLamps : public PanelTest {
  protected:
    void TearDown() override {
        SetPollIntervalForTesting(0);
        PanelTest::TearDown();
    }

    Lamp LampOf(BoxNumber box) const {
        const bool green = IsWindowVisible(GetDlgItem(panel.m_hWnd, PanelBoxOf(box).greenLamp));
        const bool red = IsWindowVisible(GetDlgItem(panel.m_hWnd, PanelBoxOf(box).redLamp));
        return green ? (red ? Both : Green) : (red ? Red : Dark);
    }
    std::vector<Lamp> Lamps(BoxNumber last) const {
        std::vector<Lamp> lamps;
        for (BoxNumber box = 1; box <= last; ++box) lamps.push_back(LampOf(box));
        return lamps;
    }
    // Waits for the poll thread to bring the lamps to `expected`.
    bool PolledTo(const std::vector<Lamp>& expected) const {
        return WaitFor([&] { return Lamps(BoxNumber(expected.size())) == expected; });
    }
    void EnableBoxes(std::initializer_list<BoxNumber> boxes) const {
        PutTable([&](profile::BoxTable& table) {
            for (BoxNumber box : boxes) table[box - 1].enabled = 1;
        });
    }
    // Written two hours ago unless a test says otherwise, so that the lamps' words hold still.
    void PutStatus(const std::string& bytes) const {
        Put(profile::kBoxStatusFile, bytes);
        SetStatusAge(2 * 3600);
    }
    void SetStatusAge(long long seconds) const {
        std::filesystem::last_write_time(
            PathOf(profile::kBoxStatusFile),
            std::filesystem::file_time_type::clock::now() - std::chrono::seconds(seconds));
    }
};

TEST_F(StatusLamps, EnabledRowsFollowTheWatchdogFlagsAtEveryPollAndDisabledRowsStayDark) {
    EnableBoxes({1, 2, 3, 4, 5, 6});
    // Box 1 has no section, box 6 no flag, box 7 is disabled.
    PutStatus(
        "[Box2]\r\nWatchDogError=0\r\n[Box3]\r\nWatchDogError=1\r\n[Box4]\r\nWatchDogError=2"
        "\r\n[Box5]\r\nWatchDogError=3\r\n[Box6]\r\nLastAlarmForC1=x\r\n[Box7]\r\n"
        "WatchDogError=1\r\n");
    SetPollIntervalForTesting(20);
    std::vector<Lamp> opened;
    Run([&] {
        opened = Lamps(7);
        PutStatus(
            "[Box1]\r\nWatchDogError=-1\r\n[Box3]\r\nWatchDogError=0\r\n[Box7]\r\n"
            "WatchDogError=0\r\n");
        EXPECT_TRUE(PolledTo({Red, Green, Green, Green, Green, Green, Dark}));
        // Disabled between two polls: dark, and the polls leave it so.
        Click(PanelBoxOf(3).checkBox);
        PutStatus("[Box2]\r\nWatchDogError=5\r\n[Box3]\r\nWatchDogError=1\r\n");
        EXPECT_TRUE(PolledTo({Green, Red, Dark, Green, Green, Green, Dark}));
    });
    EXPECT_EQ(opened, (std::vector<Lamp>{Green, Green, Red, Red, Red, Green, Dark}));
}

TEST_F(StatusLamps, TickingARowOrRefreshingRelightsEveryEnabledRowWithItsWords) {
    EnableBoxes({1});
    Run([&] {
        EXPECT_EQ(Words(PanelBoxOf(1).greenLamp), "IP Controller 1: watchdog OK, no status file");
        EXPECT_EQ(panel.SendMessage(WM_STATUSPOLL), 1);
        // No poll comes within the test: these changes show through the row and load paths.
        PutStatus("[Box1]\r\nWatchDogError=1\r\n[Box12]\r\nWatchDogError=0\r\n");
        Click(PanelBoxOf(12).checkBox);
        EXPECT_EQ(LampOf(1), Red);
        EXPECT_EQ(LampOf(12), Green);
        EXPECT_EQ(Words(PanelBoxOf(1).redLamp),
                  "IP Controller 1: watchdog error 1, status file written 2 h ago");
        EXPECT_EQ(Words(PanelBoxOf(12).greenLamp),
                  "IP Controller 12: watchdog OK, status file written 2 h ago");
        PutStatus("[Box1]\r\nWatchDogError=0\r\n");
        Click(IDC_REFRESH);
        EXPECT_EQ(LampOf(1), Green);
        EXPECT_EQ(LampOf(12), Dark) << "refresh loads the file, where box 12 is disabled";
    });
}

TEST_F(StatusLamps, TheWordsTellTheStatusFilesAgeAnewAtEachRefresh) {
    EnableBoxes({2});
    PutStatus("[Box2]\r\nWatchDogError=3\r\n");
    // Seconds since it was written, and the largest unit of which a whole one has passed.
    const std::pair<long long, const char*> kAges[] = {
        {-3600, "0 s"}, {150, "2 min"}, {3 * 3600 + 300, "3 h"}, {50 * 3600, "2 d"}};
    Run([&] {
        for (const auto& [age, words] : kAges) {
            SetStatusAge(age);
            EXPECT_EQ(panel.SendMessage(WM_STATUSPOLL), 1);
            EXPECT_EQ(Words(PanelBoxOf(2).redLamp),
                      std::string("IP Controller 2: watchdog error 3, status file written ") +
                          words + " ago");
        }
    });
}

#ifndef _WIN32
// Showing a shown window is the system's no-op on Windows; the Qt backend has to keep it one.
TEST_F(StatusLamps, APollThatFindsTheSameValuesShowsAndHidesNothing) {
    EnableBoxes({1, 2});
    PutStatus("[Box2]\r\nWatchDogError=2\r\n");
    SetPollIntervalForTesting(5);
    struct Counter : QObject {
        int changes = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            changes += event->type() == QEvent::Show || event->type() == QEvent::Hide;
            return false;
        }
    } counter;
    Run([&] {
        for (BoxNumber box : {1, 2}) {
            Widget(PanelBoxOf(box).greenLamp)->installEventFilter(&counter);
            Widget(PanelBoxOf(box).redLamp)->installEventFilter(&counter);
        }
        QTest::qWait(300);
        EXPECT_EQ(counter.changes, 0);
        // The polls were running all along.
        PutStatus("[Box1]\r\nWatchDogError=1\r\n");
        EXPECT_TRUE(PolledTo({Red, Green}));
    });
}

// Here each test runs in a process of its own, so every poll thread counted is this panel's.
TEST_F(StatusLamps, ThePollThreadEndsWithItsPanel) {
    SetPollIntervalForTesting(5);
    Run([&] { EXPECT_TRUE(WaitFor([] { return PollThreadsForTesting() == 1; })); });
    EXPECT_EQ(g_hPanelWnd.load(), nullptr) << "the closed panel's window is forgotten";
    // A send the thread made as the panel closed is answered (with 0) while events are handled.
    EXPECT_TRUE(QTest::qWaitFor([] { return PollThreadsForTesting() == 0; }, 2000));
}
#endif

#ifdef _WIN32
// The system's calls the panel asks for, recorded and then made: its import slots are redirected.
std::vector<std::string> g_asked;
decltype(&FlashWindowEx) g_flash;
decltype(&Shell_NotifyIconA) g_notify;

template <typename Function>
Function Redirect(const char* dll, const char* name, Function recorder) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* headers = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const auto* imports = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
        base + headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    void* system = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(dll), name));
    for (; imports->Name != 0; ++imports) {
        for (auto** slot = reinterpret_cast<void**>(base + imports->FirstThunk); *slot; ++slot) {
            if (*slot == system)
                WriteProcessMemory(GetCurrentProcess(), slot, &recorder, sizeof recorder, nullptr);
        }
    }
    return reinterpret_cast<Function>(system);
}

BOOL WINAPI RecordFlash(PFLASHWINFO info) {
    g_asked.push_back("flash " + std::to_string(info->dwFlags));
    return g_flash(info);
}
BOOL WINAPI RecordNotice(DWORD message, PNOTIFYICONDATAA data) {
    g_asked.push_back("notice " + std::to_string(message) + " " +
                      std::to_string(data->uFlags & NIF_INFO) + " " +
                      std::to_string(data->dwInfoFlags) + " " + data->szInfo);
    return g_notify(message, data);
}

TEST_F(StatusLamps, AnAlarmAsksForAttentionAndABalloonThatGoesOnceThePanelIsActivated) {
    g_flash = Redirect("user32.dll", "FlashWindowEx", &RecordFlash);
    g_notify = Redirect("shell32.dll", "Shell_NotifyIconA", &RecordNotice);
    EnableBoxes({2});
    Run([&] {
        PutStatus("[Box2]\r\nWatchDogError=4\r\n");
        panel.SendMessage(WM_STATUSPOLL);
        panel.SendMessage(WM_ACTIVATE, WA_CLICKACTIVE);
        panel.SendMessage(WM_STATUSPOLL);
    });
    // FLASHW_TRAY | FLASHW_TIMERNOFG; NIM_ADD, NIF_INFO, NIIF_ERROR; NIM_DELETE once looked at.
    EXPECT_EQ(g_asked,
              (std::vector<std::string>{"flash 14", "notice 0 16 3 IP Controller 2: watchdog error",
                                        "notice 2 0 0 "}));
}
#endif

// The modal windows of the panel, each opened as an operator opens it.
enum class Modal { InfoBox, Analysis, IntegerMessage };

class LampsBehind : public StatusLamps, public ::testing::WithParamInterface<Modal> {};

TEST_P(LampsBehind, APollWhileAModalWindowIsOpenChangesTheLampsBehindIt) {
    EnableBoxes({1});
    SetPollIntervalForTesting(20);
    bool modalSeen = false;
    bool relit = false;
    Run([&] {
        AtNextModal([&] {
            modalSeen = true;
            PutStatus("[Box1]\r\nWatchDogError=1\r\n");
            relit = PolledTo({Red});
        });
        switch (GetParam()) {
            case Modal::InfoBox:
                return Click(IDC_INFO);
            case Modal::Analysis:
                return Click(IDC_ANALIZE);
            case Modal::IntegerMessage:
                Retype(PanelBoxOf(1).offset, "");
                return Click(IDC_SAVE);
        }
    });
    EXPECT_TRUE(modalSeen);
    EXPECT_TRUE(relit);
}

INSTANTIATE_TEST_SUITE_P(EachModal, LampsBehind,
                         ::testing::Values(Modal::InfoBox, Modal::Analysis, Modal::IntegerMessage));

}  // namespace
