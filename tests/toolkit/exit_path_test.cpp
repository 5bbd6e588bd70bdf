// A program ends while another thread is still sending to its windows, as a poller does: the
// process must exit cleanly through its static destructors, neither hanging nor crashing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "toolkit/afxwin.h"
#include "toolkit/window_system.h"

namespace {

constexpr UINT kPing = WM_USER + 7;

const toolkit::ControlTemplate kControls[] = {
    {IDOK, toolkit::ControlClass::Button, "OK", 5, 5, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
};
const toolkit::DialogTemplate kDialogs[] = {
    {1, "Exit", 100, 40, "MS Sans Serif", 8, WS_POPUP | WS_CAPTION, 0, kControls},
};
const toolkit::ResourceModule kModule{kDialogs, {}, {}};

HWND g_window = nullptr;

void Poller(void*) {
    // Forever, as a poll thread does; each send after the window is gone returns 0.
    for (;;) SendMessageA(g_window, kPing, 0, 0);
}

class PingDialog : public CDialog {
  public:
    PingDialog() : CDialog(1) {}
    int pings = 0;

  protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        g_window = m_hWnd;
        _beginthread(&Poller, 0, nullptr);
        return TRUE;
    }
    LRESULT OnPing(WPARAM, LPARAM) {
        // Ends after some sends were answered, with the poller blocked in its next one.
        if (++pings == 50) EndDialog(IDOK);
        return 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PingDialog, CDialog)
ON_MESSAGE(kPing, OnPing)
END_MESSAGE_MAP()

class PingApp : public CWinApp {
  public:
    BOOL InitInstance() override {
        PingDialog dialog;
        m_pMainWnd = &dialog;
        ranModal = dialog.DoModal() == IDOK && dialog.pings == 50;
        return FALSE;
    }
    bool ranModal = false;
};

[[noreturn]] void RunProgramAndExit() {
    static PingApp app;
    char name[] = "exit_path";
    char* argv[] = {name, nullptr};
    const int code = AfxWinMain(1, argv, kModule);
    // exit() runs the static destructors while the poller still runs.
    std::exit(code == 0 && app.ranModal ? 3 : 4);
}

TEST(ExitPath, AProgramWithAThreadStillSendingEndsCleanly) {
    EXPECT_EXIT(RunProgramAndExit(), ::testing::ExitedWithCode(3), "");
}

}  // namespace
