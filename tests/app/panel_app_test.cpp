// Start-up and the end of the run: every way of closing the panel ends InitInstance with false
// and leaves no window behind.
#include "app/panel_app.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "res/resource_module.h"
#include "tests/toolkit/support/gui_support.h"

namespace {

using test::WhenModalOpens;

enum class Close { Ok, Abbrechen, Escape, CloseBox, Enter };

class PanelApp : public ::testing::TestWithParam<Close> {
  protected:
    void SetUp() override { toolkit::SetResourceModule(&MirelkoResources()); }
};

TEST_P(PanelApp, ClosingThePanelEndsTheRunWithoutAMessageLoop) {
    CPanelApp app;
    ASSERT_EQ(AfxGetApp(), &app);
    bool wasMainWindow = false;
    WhenModalOpens([&](QWidget* window) {
        CWnd* main = AfxGetMainWnd();
        wasMainWindow = main != nullptr && test::WidgetOf(main->m_hWnd) == window;
        switch (GetParam()) {
            case Close::Ok:
                QTest::mouseClick(test::ControlWidget(main->m_hWnd, IDOK), Qt::LeftButton);
                break;
            case Close::Abbrechen:
                QTest::mouseClick(test::ControlWidget(main->m_hWnd, IDCANCEL), Qt::LeftButton);
                break;
            case Close::Escape:
                QTest::keyClick(window, Qt::Key_Escape);
                break;
            case Close::CloseBox:
                window->close();
                break;
            case Close::Enter:
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                break;
        }
    });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(wasMainWindow);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(widget->isVisible()) << widget->windowTitle().toStdString();
    }
}

std::string CloseName(const ::testing::TestParamInfo<Close>& info) {
    static const char* const kNames[] = {"Ok", "Abbrechen", "Escape", "CloseBox", "Enter"};
    return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryWay, PanelApp,
                         ::testing::Values(Close::Ok, Close::Abbrechen, Close::Escape,
                                           Close::CloseBox, Close::Enter),
                         CloseName);

}  // namespace
