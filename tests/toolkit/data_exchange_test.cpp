// Push and pull of every exchange kind, and a pull that stops at the first bad field.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <cstring>
#include <string>

#include "tests/toolkit/support/gui_support.h"
#include "tests/toolkit/support/probe_dialog.h"

namespace {

using test::ControlWidget;
using test::CProbeDlg;
using test::WhenModalOpens;

class DataExchange : public ::testing::Test {
  protected:
    void SetUp() override { toolkit::SetResourceModule(&test::TestResources()); }

    // Runs `steps` inside the probe dialog's modal run, then ends it.
    void During(const std::function<void()>& steps) {
        WhenModalOpens([&](QWidget*) {
            steps();
            dialog.EndDialog(IDCANCEL);
        });
        dialog.DoModal();
    }

    QLineEdit* Edit(int id) const {
        return qobject_cast<QLineEdit*>(ControlWidget(dialog.m_hWnd, id));
    }
    void Retype(int id, const QString& text) const {
        Edit(id)->selectAll();
        QTest::keyClick(Edit(id), Qt::Key_Delete);
        test::Type(Edit(id), text);
    }

    CProbeDlg dialog;
};

TEST_F(DataExchange, TheDefaultInitializationPushesEveryMember) {
    dialog.first = 42;
    dialog.second = -7;
    std::strcpy(dialog.text, "Gr\xFC\xDF");
    std::strcpy(dialog.readOnly, "read me");
    dialog.tick = 1;
    dialog.index = 2;
    During([&] {
        EXPECT_EQ(Edit(test::kFirstNumber)->text(), "42");
        EXPECT_EQ(Edit(test::kSecondNumber)->text(), "-7");
        EXPECT_EQ(Edit(test::kThirdNumber)->text(), "0");
        EXPECT_EQ(Edit(test::kText)->text(), QString::fromUtf8("Grüß"));
        EXPECT_EQ(Edit(test::kReadOnly)->text(), "read me");
        EXPECT_TRUE(
            qobject_cast<QCheckBox*>(ControlWidget(dialog.m_hWnd, test::kTick))->isChecked());
        EXPECT_EQ(
            qobject_cast<QComboBox*>(ControlWidget(dialog.m_hWnd, test::kList))->currentText(),
            "BOX 3");
    });
}

TEST_F(DataExchange, APullReadsWhatTheUserTyped) {
    During([&] {
        Retype(test::kFirstNumber, "123");
        Retype(test::kSecondNumber, " -45 ");
        Retype(test::kThirdNumber, "+6");
        Retype(test::kText, QString::fromUtf8("ä€"));
        QTest::mouseClick(ControlWidget(dialog.m_hWnd, test::kTick), Qt::LeftButton);
        QWidget* list = ControlWidget(dialog.m_hWnd, test::kList);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        EXPECT_TRUE(dialog.UpdateData(TRUE));
    });
    EXPECT_EQ(dialog.first, 123);
    EXPECT_EQ(dialog.second, -45);
    EXPECT_EQ(dialog.third, 6);
    EXPECT_STREQ(dialog.text, "\xE4\x80");
    EXPECT_EQ(dialog.tick, 1);
    EXPECT_EQ(dialog.index, 1);
    EXPECT_EQ(dialog.selectionChanges, (std::vector<int>{0, 1}));
}

TEST_F(DataExchange, APullStopsAtTheFirstBadIntegerAfterOneMessage) {
    dialog.first = 1;
    dialog.second = 2;
    dialog.third = 3;
    std::strcpy(dialog.text, "old");
    test::MessageBoxCloser boxes;
    BOOL pulled = TRUE;
    int focusAfter = 0;
    QString selectedAfter;
    During([&] {
        Retype(test::kFirstNumber, "10");
        Retype(test::kSecondNumber, "2x");
        Retype(test::kThirdNumber, "30");
        Retype(test::kText, "new");
        QTest::mouseClick(ControlWidget(dialog.m_hWnd, test::kTick), Qt::LeftButton);
        pulled = dialog.UpdateData(TRUE);
        EXPECT_TRUE(QTest::qWaitForWindowActive(ControlWidget(dialog.m_hWnd, IDOK)->window()));
        focusAfter = test::FocusedControlId();
        selectedAfter = Edit(test::kSecondNumber)->selectedText();
    });
    EXPECT_FALSE(pulled);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.texts().front(), "Please enter an integer.");
    EXPECT_EQ(focusAfter, test::kSecondNumber);
    EXPECT_EQ(selectedAfter, "2x");
    // Fields before the bad one are taken; it and everything after it keep their values.
    EXPECT_EQ(dialog.first, 10);
    EXPECT_EQ(dialog.second, 2);
    EXPECT_EQ(dialog.third, 3);
    EXPECT_STREQ(dialog.text, "old");
    EXPECT_EQ(dialog.tick, 0);
}

TEST_F(DataExchange, OkWithABadIntegerKeepsTheDialogOpen) {
    test::MessageBoxCloser boxes;
    bool stillOpen = false;
    WhenModalOpens([&](QWidget* window) {
        Retype(test::kThirdNumber, "");
        QTest::mouseClick(ControlWidget(dialog.m_hWnd, IDOK), Qt::LeftButton);
        stillOpen = window->isVisible();
        Retype(test::kThirdNumber, "8");
        QTest::mouseClick(ControlWidget(dialog.m_hWnd, IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(dialog.third, 8);
}

TEST_F(DataExchange, IntegerTextsThatPullAndThatFail) {
    struct Case {
        const char* text;
        bool pulls;
        int value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"  42\t", true, 42},
        {"-0012", true, -12},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"", false, 0},
        {"   ", false, 0},
        {"-", false, 0},
        {"12a", false, 0},
        {"1 2", false, 0},
        {"0x10", false, 0},
        {"2147483648", false, 0},
        {"99999999999", false, 0},
    };
    test::MessageBoxCloser boxes;
    int failures = 0;
    During([&] {
        for (const Case& c : cases) {
            dialog.second = 555;
            SetWindowTextA(GetDlgItem(dialog.m_hWnd, test::kSecondNumber), c.text);
            const BOOL pulled = dialog.UpdateData(TRUE);
            EXPECT_EQ(pulled != FALSE, c.pulls) << '"' << c.text << '"';
            EXPECT_EQ(dialog.second, c.pulls ? c.value : 555) << '"' << c.text << '"';
            failures += c.pulls ? 0 : 1;
        }
    });
    EXPECT_EQ(boxes.count(), failures);
}

TEST_F(DataExchange, TextFieldsRefuseWhatTheMemberCannotHold) {
    During([&] {
        // The member holds 7 bytes and a terminator.
        QTest::keyClicks(Edit(test::kText), "abcdefghij");
        EXPECT_EQ(Edit(test::kText)->text(), "abcdefg");
        Retype(test::kText, QString::fromUtf8("aΩb"));
        EXPECT_EQ(Edit(test::kText)->text(), "ab");
        QTest::keyClicks(Edit(test::kFirstNumber), "4a-2");
        EXPECT_EQ(Edit(test::kFirstNumber)->text(), "042");
        QTest::keyClicks(Edit(test::kReadOnly), "typed");
        EXPECT_EQ(Edit(test::kReadOnly)->text(), "");
        EXPECT_TRUE(dialog.UpdateData(TRUE));
    });
    EXPECT_STREQ(dialog.text, "ab");
    EXPECT_EQ(dialog.first, 42);
}

TEST_F(DataExchange, CheckStatesPushAsTickedForAnyNonZeroValueAndPullAsZeroOrOne) {
    During([&] {
        auto* box = qobject_cast<QCheckBox*>(ControlWidget(dialog.m_hWnd, test::kTick));
        for (int value : {0, 1, 2, 5, -1}) {
            dialog.tick = value;
            dialog.UpdateData(FALSE);
            EXPECT_EQ(box->isChecked(), value != 0) << value;
            dialog.UpdateData(TRUE);
            EXPECT_EQ(dialog.tick, value != 0 ? 1 : 0) << value;
        }
    });
}

TEST_F(DataExchange, ListIndexMinusOneIsNoSelection) {
    During([&] {
        dialog.index = 1;
        dialog.UpdateData(FALSE);
        EXPECT_EQ(dialog.list.GetCurSel(), 1);
        dialog.index = -1;
        dialog.UpdateData(FALSE);
        EXPECT_EQ(dialog.list.GetCurSel(), -1);
        EXPECT_EQ(dialog.list.SendMessage(CB_GETCURSEL), CB_ERR);
        dialog.index = 7;
        dialog.UpdateData(TRUE);
        EXPECT_EQ(dialog.index, -1);
        EXPECT_EQ(qobject_cast<QComboBox*>(ControlWidget(dialog.m_hWnd, test::kList))->count(), 3);
        dialog.index = 3;
        dialog.UpdateData(FALSE);
        EXPECT_EQ(dialog.list.GetCurSel(), -1);
    });
    // Setting the selection from the program is no user's selection change.
    EXPECT_TRUE(dialog.selectionChanges.empty());
}

TEST_F(DataExchange, BoundControlsFollowEachRunOfTheDialog) {
    HWND firstRun = nullptr;
    During([&] {
        firstRun = dialog.address.m_hWnd;
        EXPECT_EQ(firstRun, GetDlgItem(dialog.m_hWnd, test::kAddress));
        EXPECT_EQ(dialog.GetDlgItem(test::kAddress), &dialog.address);
    });
    EXPECT_NE(firstRun, nullptr);
    EXPECT_EQ(dialog.address.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    During([&] {
        EXPECT_NE(dialog.address.m_hWnd, nullptr);
        EXPECT_NE(dialog.address.m_hWnd, firstRun);
    });
}

}  // namespace
