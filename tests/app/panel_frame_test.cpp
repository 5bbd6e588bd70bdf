// The panel's frame: system menu, Info box, icons and the drawing while minimized.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <utility>

#include "analysis/analysis_dlg.h"
#include "app/info_dlg.h"
#include "panel/panel_dlg.h"
#include "res/resource.h"
#include "res/resource_module.h"
#include "tests/app/frame_support.h"
#include "tests/toolkit/support/gui_support.h"
#include "toolkit/qt/graphics.h"

namespace {

using test::WhenModalOpens;

// The panel loads its icon when constructed, so the resources come first.
struct WithProgramResources {
    WithProgramResources() { toolkit::SetResourceModule(&MirelkoResources()); }
};

class PanelFrame : public ::testing::Test, protected WithProgramResources {
  protected:
    // Runs `steps` inside the panel's modal run, then closes it with Abbrechen.
    void During(const std::function<void(QWidget*)>& steps) {
        WhenModalOpens([&](QWidget* window) {
            steps(window);
            QTest::mouseClick(test::ControlWidget(panel.m_hWnd, IDCANCEL), Qt::LeftButton);
        });
        EXPECT_EQ(panel.DoModal(), IDCANCEL);
    }

    static HICON AppIcon() {
        return LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    }

    CPanelDlg panel;
};

TEST_F(PanelFrame, TheSystemMenuGetsASeparatorAndTheInfoEntry) {
    test::PopupCloser popups;
    During([&](QWidget* window) { QTest::keyClick(window, Qt::Key_F10, Qt::ShiftModifier); });
    EXPECT_EQ(
        popups.menus(),
        (QList<QStringList>{{"&Close\tAlt+F4", "-", QString::fromUtf8("Inf&o über Mirelko...")}}));
}

TEST_F(PanelFrame, SystemCommandsTenToOneFOpenTheInfoBoxAndOthersDoNot) {
    test::InfoBoxCloser infos;
    std::vector<int> openingsAfter;
    During([&](QWidget*) {
        for (UINT command : {0x0010u, 0x001Fu, 0x0020u, 0x0000u, 0x0011u}) {
            panel.SendMessage(WM_SYSCOMMAND, command, 0);
            openingsAfter.push_back(infos.openings());
        }
    });
    EXPECT_EQ(openingsAfter, (std::vector<int>{1, 2, 2, 2, 3}));
}

TEST_F(PanelFrame, TheCloseCommandStillGetsTheDefaultProcessing) {
    WhenModalOpens([&](QWidget*) { panel.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0); });
    EXPECT_EQ(panel.DoModal(), IDCANCEL);
}

TEST_F(PanelFrame, TheInfoButtonOpensTheInfoBoxAndTheMenuEntryToo) {
    test::InfoBoxCloser infos;
    test::PopupCloser popups(QString::fromUtf8("Inf&o über Mirelko..."));
    During([&](QWidget* window) {
        QTest::mouseClick(test::ControlWidget(panel.m_hWnd, IDC_INFO), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F10, Qt::ShiftModifier);
    });
    EXPECT_EQ(infos.openings(), 2);
    ASSERT_EQ(popups.menus().size(), 1);
}

TEST_F(PanelFrame, TheWindowCarriesTheApplicationIconInBothSizes) {
    During([&](QWidget* window) {
        EXPECT_EQ(reinterpret_cast<HICON>(panel.SendMessage(WM_QUERYDRAGICON)), AppIcon());
        const QIcon icon = window->windowIcon();
        EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
        EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
        EXPECT_EQ(
            icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32),
            toolkit::qt::IconPixmap(AppIcon()).toImage().convertToFormat(QImage::Format_ARGB32));
    });
}

TEST_F(PanelFrame, ThePanelHasItsTemplateSizeAndFrameControls) {
    During([&](QWidget* window) {
        EXPECT_EQ(window->size(), QSize(704, 679));
        EXPECT_EQ(window->windowTitle(), "Mirelko");
        EXPECT_EQ(test::ControlWidget(panel.m_hWnd, IDOK)->geometry(), QRect(519, 645, 75, 23));
        EXPECT_EQ(qobject_cast<QPushButton*>(test::ControlWidget(panel.m_hWnd, 2))->text(),
                  "Abbrechen");
        EXPECT_EQ(test::FocusedControlId(), IDOK);
    });
}

// What the panel paints of itself: its background, and the icon while it is minimized.
QImage OwnPainting(QWidget* window) {
    QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    window->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return image;
}

QImage BackgroundWithIconAt(QWidget* window, QPoint position, HICON icon) {
    QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(window->palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.drawPixmap(position, toolkit::qt::IconPixmap(icon));
    return image;
}

TEST_F(PanelFrame, WhileMinimizedTheIconIsDrawnCentredWithTheRoundingUp) {
    struct Case {
        QSize client;
        QPoint icon;
    };
    // (width - 32 + 1) / 2, truncated toward zero also when it is negative.
    const Case cases[] = {{{704, 679}, {336, 324}}, {{705, 680}, {337, 324}}, {{20, 21}, {-5, -5}}};
    During([&](QWidget* window) {
        const QImage plain = OwnPainting(window);
        EXPECT_EQ(plain, BackgroundWithIconAt(window, QPoint(-100, -100), AppIcon()));
        for (const Case& c : cases) {
            window->setFixedSize(c.client);
            window->setWindowState(Qt::WindowMinimized);
            ASSERT_TRUE(IsIconic(panel.m_hWnd));
            EXPECT_EQ(OwnPainting(window), BackgroundWithIconAt(window, c.icon, AppIcon()))
                << c.client.width() << "x" << c.client.height();
            window->setWindowState(Qt::WindowNoState);
        }
        EXPECT_FALSE(IsIconic(panel.m_hWnd));
    });
}

TEST(InfoBox, ShowsTheLogoAndContactLinesThatFitTheirPlaces) {
    toolkit::SetResourceModule(&MirelkoResources());
    CInfoDlg info;
    QStringList texts;
    WhenModalOpens([&](QWidget* window) {
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Info über Mirelko"));
        EXPECT_EQ(window->size(), QSize(353, 237));
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->pixmap().isNull()) {
                EXPECT_EQ(label->geometry(), QRect(114, 23, 125, 66));
                continue;
            }
            texts.append(label->text());
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
            EXPECT_GE(label->height(), label->fontMetrics().height());
        }
        EXPECT_EQ(test::FocusedControlId(), IDOK);
        QTest::keyClick(window, Qt::Key_Return);
    });
    EXPECT_EQ(info.DoModal(), IDOK);
    EXPECT_EQ(texts.size(), 4);
    for (const QString& text : texts) {
        EXPECT_TRUE(text.startsWith("phone : ") || text.startsWith("fax : ") ||
                    text.contains("example.com"))
            << text.toStdString();
    }
}

// Each window offers the title-bar actions its template's styles give, and no others.
TEST(TitleBar, EachWindowOffersExactlyTheActionsOfItsStyles) {
    toolkit::SetResourceModule(&MirelkoResources());
    constexpr Qt::WindowFlags kActions =
        Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;
    CPanelDlg panel;
    CInfoDlg info;
    CAnalysisDlg analysis;
    const std::pair<CDialog*, Qt::WindowFlags> kWindows[] = {
        {&panel, Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint},
        {&info, Qt::WindowCloseButtonHint},
        {&analysis, Qt::WindowCloseButtonHint}};
    for (const auto& [dialog, actions] : kWindows) {
        WhenModalOpens([&, want = actions](QWidget* window) {
            EXPECT_EQ(window->windowFlags() & kActions, want)
                << window->windowTitle().toStdString();
            // Fixed in size, so that no window manager offers to resize or maximize it.
            EXPECT_EQ(window->minimumSize(), window->maximumSize());
            QTest::keyClick(window, Qt::Key_Escape);
        });
        EXPECT_EQ(dialog->DoModal(), IDCANCEL);
    }
}

}  // namespace
