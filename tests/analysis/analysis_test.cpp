// The analysis dialog, opened from the panel's "analize" button as an operator opens it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QTest>

#include "profile/box_status.h"
#include "res/resource.h"
#include "tests/panel/panel_support.h"
#include "tests/toolkit/support/gui_support.h"

namespace {

struct Fields {
    std::string lastConnection, contact1, contact2;
    bool operator==(const Fields&) const = default;
};

void PrintTo(const Fields& f, std::ostream* os) {
    *os << "{" << f.lastConnection << " | " << f.contact1 << " | " << f.contact2 << "}";
}

Fields FieldsOf(HWND dialog) {
    const auto text = [&](int id) {
        char buffer[256] = "";
        GetWindowTextA(GetDlgItem(dialog, id), buffer, sizeof buffer);
        return std::string(buffer);
    };
    return {text(IDC_LAST_CONNECTION), text(IDC_CONTACT1), text(IDC_CONTACT2)};
}

class Analysis : public test::PanelTest {
  protected:
    // Opens the analysis dialog from the panel, runs `steps` in it and closes it with Esc.
    void InAnalysis(const std::function<void(QWidget*, QComboBox*)>& steps) {
        test::WhenModalOpens([&](QWidget* window) {
            steps(window, window->findChild<QComboBox*>());
            QTest::keyClick(window, Qt::Key_Escape);
        });
        Click(IDC_ANALIZE);
    }
};

TEST_F(Analysis, OpensEmptyOnOkWithTheFifteenBoxesAndTabsInTemplateOrder) {
    Run([&] {
        for (int opening = 0; opening < 2; ++opening) {
            InAnalysis([&](QWidget* window, QComboBox* list) {
                EXPECT_EQ(window->windowTitle(), "analize");
                ASSERT_EQ(list->count(), profile::kBoxCount);
                for (int i = 0; i < list->count(); ++i) {
                    EXPECT_EQ(list->itemText(i), QString("BOX %1").arg(i + 1));
                }
                EXPECT_EQ(list->currentIndex(), -1) << "opening " << opening;
                EXPECT_EQ(FieldsOf(GetActiveWindow()), Fields{}) << "opening " << opening;
                std::vector<int> order{test::FocusedControlId()};
                for (int i = 0; i < 5; ++i) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    order.push_back(test::FocusedControlId());
                }
                EXPECT_EQ(order, (std::vector<int>{IDOK, IDC_BOX_LIST, IDC_CONTACT2, IDC_CONTACT1,
                                                   IDC_LAST_CONNECTION, IDOK}))
                    << "opening " << opening;
                // Leaves a choice behind for the next opening to forget.
                list->setFocus();
                QTest::keyClick(list, Qt::Key_Down);
            });
        }
    });
}

TEST_F(Analysis, EachChoiceReadsItsBoxSectionAfreshAndShowsItAsStored) {
    Put(profile::kBoxStatusFile,
        "[Box1]\r\nLastStringReceivedAt=box one\r\n[Box10]\r\nLastStringReceivedAt=08.12.2026 "
        "11:41:07\r\nLastAlarmForC1=" +
            std::string(100, 'a') + "\r\nLastAlarmForC2=T\xFCr offen\r\n");
    std::vector<Fields> shown;
    Run([&] {
        InAnalysis([&](QWidget*, QComboBox* list) {
            HWND dialog = GetActiveWindow();
            list->setFocus();
            for (int i = 0; i < 10; ++i) QTest::keyClick(list, Qt::Key_Down);
            shown.push_back(FieldsOf(dialog));  // BOX 10
            QTest::keyClick(list, Qt::Key_Down);
            shown.push_back(FieldsOf(dialog));  // BOX 11: no section
            Put(profile::kBoxStatusFile, "[Box10]\r\nLastStringReceivedAt=later\r\n");
            QTest::keyClick(list, Qt::Key_Up);
            shown.push_back(FieldsOf(dialog));  // BOX 10 again, as the service left it
        });
    });
    EXPECT_EQ(
        shown,
        (std::vector<Fields>{
            {"08.12.2026 11:41:07", std::string(79, 'a'), "T\xFCr offen"}, {}, {"later", "", ""}}));
    EXPECT_EQ(Get(profile::kBoxStatusFile), "[Box10]\r\nLastStringReceivedAt=later\r\n");
}

}  // namespace
