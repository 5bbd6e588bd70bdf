// Control bindings, window state, the system menu, icons and strings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "res/resource.h"
#include "tests/toolkit/support/gui_support.h"
#include "tests/toolkit/support/probe_dialog.h"
#include "toolkit/qt/widgets/ip_address_edit.h"

namespace {

using test::ControlWidget;
using test::CProbeDlg;
using test::WhenModalOpens;

class Controls : public ::testing::Test {
  protected:
    void SetUp() override { toolkit::SetResourceModule(&test::TestResources()); }

    void During(const std::function<void(QWidget*)>& steps) {
        WhenModalOpens([&](QWidget* window) {
            steps(window);
            dialog.EndDialog(IDCANCEL);
        });
        dialog.DoModal();
    }

    toolkit::qt::IpAddressEdit* Address() const {
        return qobject_cast<toolkit::qt::IpAddressEdit*>(
            ControlWidget(dialog.m_hWnd, test::kAddress));
    }

    CProbeDlg dialog;
};

struct Fields {
    int count;
    BYTE f[4];
};

Fields Read(CIPAddressCtrl& control) {
    Fields fields{};
    fields.count = control.GetAddress(fields.f[0], fields.f[1], fields.f[2], fields.f[3]);
    return fields;
}

TEST_F(Controls, AnAddressControlTellsBlankFromZero) {
    During([&](QWidget*) {
        CIPAddressCtrl& ip = dialog.address;
        Fields blank = Read(ip);
        EXPECT_EQ(blank.count, 0);
        EXPECT_EQ(blank.f[0] | blank.f[1] | blank.f[2] | blank.f[3], 0);

        ip.SendMessage(IPM_SETADDRESS, 0, MAKEIPADDRESS(0, 0, 0, 0));
        EXPECT_EQ(Read(ip).count, 4);
        EXPECT_EQ(Address()->field(0)->text(), "0");

        ip.SendMessage(IPM_SETADDRESS, 0, MAKEIPADDRESS(192, 168, 1, 20));
        Fields set = Read(ip);
        EXPECT_EQ(set.count, 4);
        EXPECT_EQ((std::vector<int>{set.f[0], set.f[1], set.f[2], set.f[3]}),
                  (std::vector<int>{192, 168, 1, 20}));
    });
}

TEST_F(Controls, PartlyTypedAddressesCountOnlyTheirFilledFields) {
    During([&](QWidget*) {
        QTest::keyClicks(Address()->field(0), "10");
        QTest::keyClicks(Address()->field(2), "5");
        Fields partial = Read(dialog.address);
        EXPECT_EQ(partial.count, 2);
        EXPECT_EQ((std::vector<int>{partial.f[0], partial.f[1], partial.f[2], partial.f[3]}),
                  (std::vector<int>{10, 0, 5, 0}));
        dialog.address.SendMessage(IPM_SETADDRESS, 0, MAKEIPADDRESS(1, 2, 3, 4));
        char text[16];
        EXPECT_EQ(dialog.address.GetWindowText(text, sizeof text), 7);
        EXPECT_STREQ(text, "1.2.3.4");
        EXPECT_EQ(dialog.address.GetWindowText(text, 4), 3);  // cut to the room, terminated
        EXPECT_STREQ(text, "1.2");
    });
}

TEST_F(Controls, EnableAndShowReachTheControlsAndReportThePreviousState) {
    During([&](QWidget*) {
        CWnd* text = dialog.GetDlgItem(test::kText);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(dialog.GetDlgItem(9999), nullptr);
        QWidget* widget = ControlWidget(dialog.m_hWnd, test::kText);
        EXPECT_FALSE(text->EnableWindow(FALSE));
        EXPECT_FALSE(widget->isEnabled());
        EXPECT_TRUE(text->EnableWindow(TRUE));
        EXPECT_TRUE(widget->isEnabled());

        EXPECT_TRUE(text->ShowWindow(SW_HIDE));
        EXPECT_FALSE(IsWindowVisible(text->m_hWnd));
        EXPECT_FALSE(text->ShowWindow(SW_SHOWNORMAL));
        EXPECT_TRUE(IsWindowVisible(text->m_hWnd));
    });
}

TEST_F(Controls, StaticsShowTheirTextWithoutMnemonicsAndBitmapsAtTheirOwnSize) {
    During([&](QWidget* window) {
        bool sawLabel = false;
        bool sawLogo = false;
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (label->text() == "Label") sawLabel = true;
            if (!label->pixmap().isNull()) {
                sawLogo = true;
                EXPECT_EQ(label->size(), QSize(125, 66));
            }
        }
        EXPECT_TRUE(sawLabel);
        EXPECT_TRUE(sawLogo);
    });
}

TEST_F(Controls, TheSystemMenuHoldsCloseThenTheAppendedEntries) {
    test::PopupCloser popups;
    During([&](QWidget* window) {
        const auto open = [window] {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
            EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        };
        CMenu* menu = dialog.GetSystemMenu(FALSE);
        ASSERT_NE(menu, nullptr);
        open();
        EXPECT_TRUE(menu->AppendMenu(MF_SEPARATOR));
        EXPECT_TRUE(menu->AppendMenu(MF_STRING, 0x0010,
                                     "Inf&o \xFC"
                                     "ber"));
        open();
        // Reverting gives back the original menu and no handle.
        EXPECT_EQ(dialog.GetSystemMenu(TRUE), nullptr);
        open();
    });
    const QStringList close{"&Close\tAlt+F4"};
    EXPECT_EQ(popups.menus(),
              (QList<QStringList>{close, close + QStringList{"-", QString::fromUtf8("Inf&o über")},
                                  close}));
}

TEST_F(Controls, TheSystemMenuOpensFromTheKeyboardAndTheBackgroundAndSendsItsCommand) {
    test::PopupCloser popups(QString::fromUtf8("Inf&o über"));
    During([&](QWidget* window) {
        CMenu* menu = dialog.GetSystemMenu(FALSE);
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, 0x0010,
                         "Inf&o \xFC"
                         "ber");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        // The background and a static open it; a push button does not.
        // Through the window, as the windowing system delivers a person's click.
        QWidget* other = ControlWidget(dialog.m_hWnd, test::kOther);
        QTest::mouseClick(window->windowHandle(), Qt::RightButton, Qt::NoModifier,
                          QPoint(window->width() - 3, 3));
        QTest::mouseClick(window->windowHandle(), Qt::RightButton, Qt::NoModifier,
                          other->geometry().center());
    });
    ASSERT_EQ(popups.menus().size(), 3);
    EXPECT_EQ(popups.menus().front(),
              (QStringList{"&Close\tAlt+F4", "-", QString::fromUtf8("Inf&o über")}));
    EXPECT_EQ(dialog.systemCommands, (std::vector<UINT>{0x0010, 0x0010, 0x0010}));
}

TEST_F(Controls, IconsAreSharedAndBecomeTheWindowsIcons) {
    HINSTANCE module = AfxGetResourceHandle();
    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(module, MAKEINTRESOURCEA(IDR_MAINFRAME)), icon);
    EXPECT_EQ(LoadIconA(module, MAKEINTRESOURCEA(IDB_LOGO)), nullptr);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
    EXPECT_EQ(GetSystemMetrics(SM_CYICON), 32);
    During([&](QWidget* window) {
        EXPECT_EQ(dialog.SetIcon(icon, TRUE), nullptr);
        EXPECT_EQ(dialog.SetIcon(icon, FALSE), nullptr);
        EXPECT_EQ(dialog.SetIcon(icon, TRUE), icon);
        const QList<QSize> sizes = window->windowIcon().availableSizes();
        EXPECT_TRUE(sizes.contains(QSize(32, 32)));
        EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    });
}

TEST_F(Controls, StringsLoadAsTheirBytesCutToTheBuffer) {
    HINSTANCE module = AfxGetResourceHandle();
    char text[32] = "untouched";
    EXPECT_EQ(LoadStringA(module, test::kGreeting, text, sizeof text), 9);
    EXPECT_STREQ(text, "Gr\xFC\xDF Gott");
    EXPECT_EQ(LoadStringA(module, test::kGreeting, text, 4), 3);
    EXPECT_STREQ(text, "Gr\xFC");
    EXPECT_EQ(LoadStringA(module, 4242, text, sizeof text), 0);
    EXPECT_STREQ(text, "");
}

}  // namespace
