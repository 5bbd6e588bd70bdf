// SendMessage from other threads: synchronous, also while a message box is open, and harmless
// to windows that are gone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMetaObject>
#include <QTest>
#include <thread>

#include "tests/toolkit/support/gui_support.h"
#include "tests/toolkit/support/probe_dialog.h"

namespace {

using test::CProbeDlg;
using test::WhenModalOpens;

class CrossThreadSend : public ::testing::Test {
  protected:
    void SetUp() override { toolkit::SetResourceModule(&test::TestResources()); }
};

TEST_F(CrossThreadSend, WaitsUntilTheUiThreadHandledItAndReturnsItsResult) {
    CProbeDlg dialog;
    LRESULT result = 0;
    std::thread sender;
    WhenModalOpens([&](QWidget*) {
        HWND window = dialog.m_hWnd;
        sender = std::thread([&, window] {
            result = SendMessageA(window, test::kProbeMessage, 5, 0);
            QMetaObject::invokeMethod(
                qApp, [&] { dialog.EndDialog(IDOK); }, Qt::QueuedConnection);
        });
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    sender.join();
    EXPECT_EQ(result, 6);
    EXPECT_EQ(dialog.probeThread, std::this_thread::get_id());
}

TEST_F(CrossThreadSend, IsHandledWhileAMessageBoxIsOpen) {
    CProbeDlg dialog;
    LRESULT result = 0;
    std::thread sender;
    WhenModalOpens([&](QWidget*) {
        HWND window = dialog.m_hWnd;
        // Once the box is up, a thread sends; when its send returns it closes the box.
        WhenModalOpens([&, window](QWidget* box) {
            sender = std::thread([&, window, box] {
                result = SendMessageA(window, test::kProbeMessage, 9, 0);
                QMetaObject::invokeMethod(
                    qApp, [box] { test::CloseMessageBox(box); }, Qt::QueuedConnection);
            });
        });
        AfxMessageBox("Waiting for the thread.");
        dialog.EndDialog(IDOK);
    });
    dialog.DoModal();
    sender.join();
    EXPECT_EQ(result, 10);
    EXPECT_TRUE(dialog.probeSawMessageBox);
    EXPECT_EQ(dialog.probeThread, std::this_thread::get_id());
}

TEST_F(CrossThreadSend, AWindowThatIsGoneGetsNothingAndAnswersZero) {
    CProbeDlg dialog;
    HWND window = nullptr;
    HWND control = nullptr;
    WhenModalOpens([&](QWidget*) {
        window = dialog.m_hWnd;
        control = GetDlgItem(window, test::kText);
        EXPECT_NE(test::WidgetOf(window), nullptr);
        dialog.EndDialog(IDOK);
    });
    dialog.DoModal();
    dialog.probeThread = {};
    EXPECT_EQ(test::WidgetOf(window), nullptr);
    EXPECT_EQ(SendMessageA(window, test::kProbeMessage, 1, 0), 0);
    char text[8] = "";
    EXPECT_EQ(SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 0);
    LRESULT fromThread = -1;
    std::thread([&] { fromThread = SendMessageA(window, test::kProbeMessage, 1, 0); }).join();
    EXPECT_EQ(fromThread, 0);
    EXPECT_EQ(dialog.probeThread, std::thread::id());
    EXPECT_FALSE(EnableWindow(control, FALSE));
    EXPECT_EQ(GetDlgItem(window, test::kText), nullptr);
}

}  // namespace
