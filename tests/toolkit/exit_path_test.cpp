// A program ends while another thread is still sending to its windows, as a poller does: the
// process must exit cleanly through its static destructors, neither hanging nor crashing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

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

// A send that is still waiting when the dialog's loop is over (its event never dispatched) is
// released with 0 when the windowing system closes, instead of blocking its thread for good.
std::atomic<bool> g_lateReturned{false};
std::atomic<LRESULT> g_lateResult{-1};

void LateSender(void*) {
    g_lateResult = SendMessageA(g_window, kPing, 0, 0);
    g_lateReturned = true;
}

class EndsAtOnceDialog : public CDialog {
  public:
    EndsAtOnceDialog() : CDialog(1) {}

  protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        g_window = m_hWnd;
        _beginthread(&LateSender, 0, nullptr);
        // Gives the sender time to post; no loop runs here, so nothing dispatches its send.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EndDialog(IDOK);
        return TRUE;
    }
};

class EndsAtOnceApp : public CWinApp {
  public:
    BOOL InitInstance() override {
        EndsAtOnceDialog dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        senderStillWaiting = !g_lateReturned;
        return FALSE;
    }
    bool senderStillWaiting = false;
};

[[noreturn]] void RunEndsAtOnceAndExit() {
    static EndsAtOnceApp app;
    char name[] = "exit_path";
    char* argv[] = {name, nullptr};
    AfxWinMain(1, argv, kModule);
    for (int i = 0; i < 1000 && !g_lateReturned; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::exit(!g_lateReturned ? 5 : g_lateResult != 0 ? 6 : app.senderStillWaiting ? 3 : 7);
}

TEST(ExitPath, ASendStillWaitingWhenTheProgramEndsIsAnsweredZero) {
    EXPECT_EXIT(RunEndsAtOnceAndExit(), ::testing::ExitedWithCode(3), "");
}

}  // namespace
