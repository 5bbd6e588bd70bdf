// The keyboard and the ways a dialog ends: tab order, Enter, Esc and the close box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <stdexcept>

#include "tests/toolkit/support/gui_support.h"
#include "tests/toolkit/support/probe_dialog.h"

namespace {

using test::CProbeDlg;
using test::WhenModalOpens;

class DialogKeyboard : public ::testing::Test {
  protected:
    void SetUp() override { toolkit::SetResourceModule(&test::TestResources()); }

    static int FocusId() { return test::FocusedControlId(); }
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
};

TEST_F(DialogKeyboard, TabVisitsTheTabStopsInTemplateOrderAndWraps) {
    CProbeDlg dialog;
    std::vector<int> forward;
    std::vector<int> backward;
    WhenModalOpens([&](QWidget*) {
        for (int i = 0; i < 12; ++i) {
            forward.push_back(FocusId());
            Key(Qt::Key_Tab);
        }
        for (int i = 0; i < 3; ++i) {
            Key(Qt::Key_Backtab);
            backward.push_back(FocusId());
        }
        dialog.EndDialog(IDOK);
    });
    dialog.DoModal();
    // Statics, the group box, the bitmap and the check box without WS_TABSTOP are skipped.
    EXPECT_EQ(forward,
              (std::vector<int>{IDOK, test::kText, test::kFirstNumber, test::kTick,
                                test::kSecondNumber, test::kOther, test::kAddress, test::kList,
                                test::kThirdNumber, test::kReadOnly, IDCANCEL, IDOK}));
    EXPECT_EQ(backward, (std::vector<int>{IDOK, IDCANCEL, test::kReadOnly}));
}

TEST_F(DialogKeyboard, EnterInAFieldPressesTheDefaultButtonWhichPullsAndEndsWithOk) {
    CProbeDlg dialog;
    WhenModalOpens([&](QWidget*) {
        SetFocus(GetDlgItem(dialog.m_hWnd, test::kFirstNumber));
        QTest::keyClicks(QApplication::focusWidget(), "17");
        Key(Qt::Key_Return);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.first, 17);
    EXPECT_EQ(dialog.cancels, 0);
}

TEST_F(DialogKeyboard, EnterPressesTheDefaultButtonFromEveryKindOfControl) {
    for (int id : {test::kText, test::kTick, test::kAddress, test::kList, test::kReadOnly}) {
        CProbeDlg dialog;
        int focused = 0;
        WhenModalOpens([&](QWidget*) {
            SetFocus(GetDlgItem(dialog.m_hWnd, id));
            focused = FocusId();
            Key(Qt::Key_Enter);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK) << id;
        EXPECT_EQ(focused, id);
    }
}

TEST_F(DialogKeyboard, EnterOnAnotherPushButtonPressesThatButtonOnly) {
    CProbeDlg dialog;
    bool stillOpen = false;
    WhenModalOpens([&](QWidget* window) {
        SetFocus(GetDlgItem(dialog.m_hWnd, test::kOther));
        Key(Qt::Key_Return);
        Key(Qt::Key_Enter);
        stillOpen = window->isVisible();
        Key(Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(dialog.otherClicks, 2);
}

TEST_F(DialogKeyboard, EnterDoesNothingWhileTheDefaultButtonIsDisabled) {
    CProbeDlg dialog;
    bool stillOpen = false;
    WhenModalOpens([&](QWidget* window) {
        dialog.GetDlgItem(IDOK)->EnableWindow(FALSE);
        SetFocus(GetDlgItem(dialog.m_hWnd, test::kText));
        Key(Qt::Key_Return);
        stillOpen = window->isVisible();
        Key(Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(stillOpen);
}

TEST_F(DialogKeyboard, EscapeFromAnyControlEndsAsCancelWithoutAPull) {
    for (int id :
         {IDOK, test::kFirstNumber, test::kText, test::kList, test::kAddress, test::kTick}) {
        CProbeDlg dialog;
        WhenModalOpens([&](QWidget*) {
            SetFocus(GetDlgItem(dialog.m_hWnd, id));
            QTest::keyClicks(QApplication::focusWidget(), "9");
            Key(Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << id;
        EXPECT_EQ(dialog.cancels, 1) << id;
        EXPECT_EQ(dialog.first, 0) << id;
    }
}

TEST_F(DialogKeyboard, TheCloseBoxEndsAsCancelThroughOnCancel) {
    CProbeDlg dialog;
    WhenModalOpens([&](QWidget* window) { window->close(); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.cancels, 1);
    EXPECT_EQ(dialog.systemCommands, (std::vector<UINT>{SC_CLOSE}));
}

TEST_F(DialogKeyboard, TheDialogOpensWithTheFocusOnItsFirstTabStop) {
    CProbeDlg dialog;
    int focused = 0;
    WhenModalOpens([&](QWidget*) {
        focused = FocusId();
        dialog.EndDialog(IDOK);
    });
    dialog.DoModal();
    EXPECT_EQ(focused, IDOK);
}

// Other's handler throws: the failure is reported and the dialog goes on to the later clicks.
TEST_F(DialogKeyboard, ClicksReachTheirHandlersAndFamiliesGetThePlace) {
    CProbeDlg dialog;
    dialog.onOther = [] { throw std::runtime_error("no handles left"); };
    test::MessageBoxCloser boxes;
    WhenModalOpens([&](QWidget*) {
        QTest::mouseClick(test::ControlWidget(dialog.m_hWnd, test::kOther), Qt::LeftButton);
        QTest::mouseClick(test::ControlWidget(dialog.m_hWnd, test::kTick), Qt::LeftButton);
        QTest::mouseClick(test::ControlWidget(dialog.m_hWnd, test::kPlainCheck), Qt::LeftButton);
        QTest::mouseClick(test::ControlWidget(dialog.m_hWnd, IDCANCEL), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.otherClicks, 1);
    EXPECT_EQ(dialog.familyPlaces, (std::vector<int>{2, 1}));
    EXPECT_EQ(boxes.texts(),
              QStringList{"\"Other\" could not be completed: no handles left.\n\nThe "
                          "program keeps running, but the action may be only partly "
                          "done."});
}

TEST_F(DialogKeyboard, AMissingTemplateRunsNothing) {
    class Missing : public CDialog {
      public:
        Missing() : CDialog(test::kMissingDialog) {}
    } dialog;
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

}  // namespace
