// The panel on the Win32 backend, in this process: its modal run on the main thread, driven from
// a second thread through the system's window calls, as another program would drive it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "panel/panel_dlg.h"
#include "panel/poll_thread.h"
#include "res/panel_box.h"
#include "res/resource.h"
#include "res/resource_module.h"
#include "toolkit/win32/xp_tick_count.h"

namespace {

// Waits up to ten seconds for `done`.
bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 200; ++i) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

HWND WaitForWindow(const char* caption) {
    HWND window = nullptr;
    WaitFor([&] {
        window = FindWindowA("#32770", caption);
        return window != nullptr && IsWindowVisible(window);
    });
    return window;
}

struct DialogSearch {
    HWND panel;
    HWND found;
};

BOOL CALLBACK TakeOtherDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (window == search->panel || !IsWindowVisible(window) || std::string(name) != "#32770") {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

// The other visible dialog of the panel's thread: a dialog or message box it opened.
HWND WaitForDialogBeside(HWND panel) {
    DialogSearch search{panel, nullptr};
    WaitFor([&] {
        EnumThreadWindows(GetWindowThreadProcessId(panel, nullptr), &TakeOtherDialog,
                          reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

bool Shown(HWND panel, int id) { return IsWindowVisible(GetDlgItem(panel, id)) != 0; }

class Backend : public ::testing::Test {
  protected:
    void SetUp() override {
        toolkit::SetResourceModule(&MirelkoResources());
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        dir_ = std::string(temp) + "mirelko-backend-" + std::to_string(GetCurrentProcessId()) +
               "-" + std::to_string(GetTickCount());
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
        SetEnvironmentVariableA("MIRELKO_PROFILE_DIR", dir_.c_str());
        _putenv_s("MIRELKO_PROFILE_DIR", dir_.c_str());
    }
    void TearDown() override {
        SetPollIntervalForTesting(0);
        for (const char* name : {"rurizuz.ini", "zivazoz.ini"}) DeleteFileA(Path(name).c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    std::string Path(const char* name) const { return dir_ + "\\" + name; }
    void Put(const char* name, const std::string& bytes) const {
        const std::string temporary = Path(name) + ".new";
        std::ofstream(temporary, std::ios::binary) << bytes;
        MoveFileExA(temporary.c_str(), Path(name).c_str(), MOVEFILE_REPLACE_EXISTING);
    }

    // Runs the panel modally here while `drive` acts on it from another thread; `drive` ends
    // the run.
    INT_PTR Run(const std::function<void(HWND)>& drive) {
        std::thread driver([&] { drive(WaitForWindow("Mirelko")); });
        const INT_PTR result = panel_.DoModal();
        driver.join();
        return result;
    }

    std::string dir_;
    CPanelDlg panel_;
};

TEST_F(Backend, ThePanelHasItsTemplateSizeInTheDialogFontsUnits) {
    Run([](HWND panel) {
        ASSERT_NE(panel, nullptr);
        RECT units{0, 0, 469, 418};
        MapDialogRect(panel, &units);
        RECT client{};
        GetClientRect(panel, &client);
        EXPECT_EQ(client.right, units.right);
        EXPECT_EQ(client.bottom, units.bottom);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), 0) << "another thread sees no focus of its own";
        PostMessageA(panel, WM_COMMAND, IDCANCEL, 0);
    });
}

// The system's font may draw a label wider than the box made for it; it must not wrap out of
// sight ("last alarm from contact 1" lost its "1" under one such font).
std::vector<std::string> CutLabels(HWND dialog) {
    std::vector<std::string> cut;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[16] = "", text[128] = "";
        GetClassNameA(child, name, sizeof name);
        const LONG type = GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
        if (std::string(name) != "Static" || type > SS_RIGHT) continue;
        const int length = GetWindowTextA(child, text, sizeof text);
        HDC dc = GetDC(child);
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(child, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32A(dc, text, length, &extent);
        ReleaseDC(child, dc);
        RECT box{};
        GetClientRect(child, &box);
        if (extent.cx > box.right) cut.push_back(text);
    }
    return cut;
}

TEST_F(Backend, OneLineLabelsShowTheirWholeTextInTheSystemsFont) {
    Run([](HWND panel) {
        EXPECT_EQ(CutLabels(panel), std::vector<std::string>{});
        PostMessageA(panel, WM_COMMAND, IDC_ANALIZE, 0);
        HWND analysis = WaitForDialogBeside(panel);
        ASSERT_NE(analysis, nullptr);
        EXPECT_EQ(CutLabels(analysis), std::vector<std::string>{});
        PostMessageA(analysis, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindow(analysis); });
        PostMessageA(panel, WM_COMMAND, IDCANCEL, 0);
    });
}

// A static picture lets the mouse through to the dialog unless it asks for it; then its tooltip,
// which watches the picture itself, would never show the lamp's words.
TEST_F(Backend, TheLampsTakeTheMouseSoTheirTooltipsSeeIt) {
    Put("rurizuz.ini", "[zivazoz]\r\nBox1=1\r\n");
    Run([](HWND panel) {
        for (int id : {PanelBoxOf(1).greenLamp, PanelBoxOf(1).redLamp}) {
            RECT box{};
            GetWindowRect(GetDlgItem(panel, id), &box);
            const LPARAM middle =
                MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
            EXPECT_EQ(SendMessageA(GetDlgItem(panel, id), WM_NCHITTEST, 0, middle), HTCLIENT) << id;
        }
        PostMessageA(panel, WM_COMMAND, IDCANCEL, 0);
    });
}

// The dialogs grow with their font on a screen of more dots per inch; the lamps, drawn for the
// screen's scale, grow with them and stay centred on their rows (high_dpi.sh runs this at 144).
TEST_F(Backend, TheLampsKeepInProportionToTheirRowsAndCentredOnThem) {
    Run([](HWND panel) {
        for (const PanelBox& row : kPanelBoxes) {
            RECT lamp{}, field{};
            GetWindowRect(GetDlgItem(panel, row.greenLamp), &lamp);
            GetWindowRect(GetDlgItem(panel, row.location), &field);
            const double share = double(lamp.bottom - lamp.top) / (field.bottom - field.top);
            EXPECT_TRUE(share > 0.55 && share < 0.8) << share << " of the row's height";
            EXPECT_LE(std::abs(lamp.top + lamp.bottom - field.top - field.bottom), 4);
        }
        PostMessageA(panel, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(Backend, TheSystemMenuEntryOpensTheInfoBox) {
    bool infoOpened = false;
    Run([&](HWND panel) {
        HMENU menu = GetSystemMenu(panel, FALSE);
        char text[80] = "";
        GetMenuStringA(menu, 0x0010, text, sizeof text, MF_BYCOMMAND);
        EXPECT_STREQ(text,
                     "Inf&o \xFC"
                     "ber Mirelko...");
        PostMessageA(panel, WM_SYSCOMMAND, 0x0010, 0);
        HWND info = WaitForWindow(
            "Info \xFC"
            "ber Mirelko");
        infoOpened = info != nullptr;
        if (info != nullptr) PostMessageA(info, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindow(info); });
        PostMessageA(panel, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(infoOpened);
}

TEST_F(Backend, TheIpAddressControlKeepsBlankApartFromZero) {
    Run([](HWND panel) {
        HWND control = GetDlgItem(panel, PanelBoxOf(1).ipAddress);
        char text[32] = "";
        EXPECT_NE(SendMessageA(control, IPM_ISBLANK, 0, 0), 0);
        GetWindowTextA(control, text, sizeof text);
        EXPECT_STREQ(text, "0.0.0.0");
        SendMessageA(control, IPM_SETADDRESS, 0, MAKEIPADDRESS(0, 0, 0, 0));
        EXPECT_EQ(SendMessageA(control, IPM_ISBLANK, 0, 0), 0);
        SendMessageA(control, IPM_SETADDRESS, 0, MAKEIPADDRESS(192, 168, 1, 20));
        DWORD address = 0;
        EXPECT_EQ(SendMessageA(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)), 4);
        EXPECT_EQ(address, MAKEIPADDRESS(192, 168, 1, 20));
        SendMessageA(control, IPM_CLEARADDRESS, 0, 0);
        EXPECT_EQ(SendMessageA(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)), 0);
        PostMessageA(panel, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(Backend, APollWhileTheIntegerMessageIsOpenRelightsTheLampsBehindIt) {
    Put("rurizuz.ini", "[zivazoz]\r\nBox1=1\r\n");
    SetPollIntervalForTesting(50);
    bool relit = false;
    Run([&](HWND panel) {
        const PanelBox& row = PanelBoxOf(1);
        EXPECT_TRUE(Shown(panel, row.greenLamp) && !Shown(panel, row.redLamp));
        SendMessageA(GetDlgItem(panel, row.offset), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        PostMessageA(panel, WM_COMMAND, MAKEWPARAM(IDC_SAVE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(panel, IDC_SAVE)));
        HWND message = WaitForDialogBeside(panel);
        EXPECT_NE(message, nullptr);
        Put("zivazoz.ini", "[Box1]\r\nWatchDogError=2\r\n");
        relit = WaitFor([&] { return Shown(panel, row.redLamp) && !Shown(panel, row.greenLamp); });
        if (message != nullptr) PostMessageA(message, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindow(message); });
        PostMessageA(panel, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(relit);
}

// Where Windows XP lacks GetTickCount64, the 32-bit count is counted on across its rounds.
TEST(XpTickCount, CountsOnAcrossRoundsOfTheThirtyTwoBitCount) {
    using toolkit::win32::ExtendTickCount;
    EXPECT_EQ(ExtendTickCount(0, 5), 5u);
    EXPECT_EQ(ExtendTickCount(0xFFFFFFF0u, 0x10), 0x100000010u);
    EXPECT_EQ(ExtendTickCount(0x100000010u, 0x20), 0x100000020u);
    EXPECT_EQ(ExtendTickCount(0x1FFFFFFFFu, 0), 0x200000000u);
}

}  // namespace
