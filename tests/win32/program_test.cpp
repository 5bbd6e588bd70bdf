// The Windows program itself, started as a person starts it and driven from outside through the
// system's own window calls: the panel opens on the box file, shows the lamps of the status file,
// saves, and ends on Enter (saving) and on Esc (not saving).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "res/panel_box.h"
#include "res/resource.h"

namespace {

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

class Program : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        dir_ = std::string(temp) + "mirelko-test-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(GetTickCount());
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
    }
    void TearDown() override {
        if (process_.hProcess != nullptr) {
            TerminateProcess(process_.hProcess, 99);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        for (const char* name : {"rurizuz.ini", "zivazoz.ini"}) DeleteFileA(Path(name).c_str());
        RemoveDirectoryA(dir_.c_str());
    }

    std::string Path(const char* name) const { return dir_ + "\\" + name; }
    void Put(const char* name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Get(const char* name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // Starts the program on this test's profile directory and waits for its panel.
    HWND Start() {
        SetEnvironmentVariableA("MIRELKO_PROFILE_DIR", dir_.c_str());
        // The installer's round trip starts the installed program instead of the built one.
        const char* installed = std::getenv("MIRELKO_INSTALLED_PROGRAM");
        std::string command = "\"" + WindowsPath(installed ? installed : MIRELKO_PROGRAM) + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process_));
        for (int waited = 0; waited < 600; ++waited) {
            HWND panel = FindWindowA("#32770", "Mirelko");
            if (panel != nullptr && IsWindowVisible(panel)) return panel;
            Sleep(100);
        }
        ADD_FAILURE() << "the panel did not open";
        return nullptr;
    }
    // The exit code once the program has ended, or -1 when it is still running.
    int ExitCode(DWORD waitMs) {
        if (WaitForSingleObject(process_.hProcess, waitMs) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<int>(code);
    }

    // Another process's controls answer only messages, not GetWindowText.
    static std::string Text(HWND panel, int id) {
        char text[256] = "";
        SendMessageA(GetDlgItem(panel, id), WM_GETTEXT, sizeof text,
                     reinterpret_cast<LPARAM>(text));
        return text;
    }
    static bool Shown(HWND panel, int id) { return IsWindowVisible(GetDlgItem(panel, id)) != 0; }
    // A key as the dialog's own loop gets it from the keyboard.
    static void Key(HWND control, WPARAM key) {
        PostMessageA(control, WM_KEYDOWN, key, 1);
        PostMessageA(control, WM_KEYUP, key, 0xC0000001);
    }

    std::string dir_;
    PROCESS_INFORMATION process_{};
};

TEST_F(Program, LoadsTheRowsShowsTheLampsSavesAndEndsOnEnter) {
    Put("rurizuz.ini",
        "[zivazoz]\r\nBox1=1\r\nLocBox1=K\xFC"
        "che\r\nIpAddr1=10.1.2.3\r\nIpOffset1=-7\r\nBox2=1\r\n");
    Put("zivazoz.ini", "[Box2]\r\nWatchDogError=3\r\n");
    HWND panel = Start();
    ASSERT_NE(panel, nullptr);
    const PanelBox &one = PanelBoxOf(1), &two = PanelBoxOf(2), &three = PanelBoxOf(3);
    EXPECT_EQ(Text(panel, one.location),
              "K\xFC"
              "che");
    EXPECT_EQ(Text(panel, one.ipAddress), "10.1.2.3");
    EXPECT_EQ(Text(panel, one.offset), "-7");
    EXPECT_TRUE(Shown(panel, one.greenLamp) && !Shown(panel, one.redLamp));
    EXPECT_TRUE(!Shown(panel, two.greenLamp) && Shown(panel, two.redLamp));
    EXPECT_TRUE(!Shown(panel, three.greenLamp) && !Shown(panel, three.redLamp));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel, three.location)));

    SendMessageA(GetDlgItem(panel, IDC_SAVE), BM_CLICK, 0, 0);
    const std::string saved = Get("rurizuz.ini");
    EXPECT_NE(saved.find("\r\nLocBox1=K\xFC"
                         "che\r\nIpAddr1=10.1.2.3\r\nIpOffset1=-7\r\n"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("\r\nIpAddr15=0.0.0.0\r\nIpOffset15=0\r\n"), std::string::npos);

    SendMessageA(GetDlgItem(panel, one.location), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Lager"));
    Key(GetDlgItem(panel, one.location), VK_RETURN);
    EXPECT_EQ(ExitCode(20000), 0);
    EXPECT_NE(Get("rurizuz.ini").find("\r\nLocBox1=Lager\r\n"), std::string::npos);
}

TEST_F(Program, EscEndsWithoutSaving) {
    HWND panel = Start();
    ASSERT_NE(panel, nullptr);
    SendMessageA(GetDlgItem(panel, PanelBoxOf(4).checkBox), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(panel, PanelBoxOf(4).location)));
    Key(GetDlgItem(panel, IDOK), VK_ESCAPE);
    EXPECT_EQ(ExitCode(20000), 0);
    EXPECT_EQ(GetFileAttributesA(Path("rurizuz.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
