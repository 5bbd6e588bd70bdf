#include "tests/toolkit/support/gui_support.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <memory>
#include <utility>

#include "toolkit/qt/dialog_widget.h"
#include "toolkit/qt/dialog_window.h"
#include "toolkit/win_api.h"

namespace test {

void WhenModalOpens(std::function<void(QWidget*)> steps) {
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto* poll = new QTimer;
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, [poll, before, steps = std::move(steps)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == before || !modal->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        // The platform window may be active before the application has moved its focus there.
        EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
        EXPECT_TRUE(QTest::qWaitFor([modal] { return QApplication::activeWindow() == modal; }));
        steps(modal);
    });
    poll->start();
}

QWidget* WidgetOf(HWND handle) {
    toolkit::qt::Window* window = toolkit::qt::WindowFromHandle(handle);
    return window == nullptr ? nullptr : window->widget();
}

QWidget* ControlWidget(HWND dialog, int id) { return WidgetOf(GetDlgItem(dialog, id)); }

int FocusedControlId() {
    QWidget* focus = QApplication::focusWidget();
    auto* dialog =
        focus == nullptr ? nullptr : qobject_cast<toolkit::qt::DialogWidget*>(focus->window());
    const toolkit::qt::Control* control =
        dialog == nullptr ? nullptr : dialog->dialogWindow()->controlOf(focus);
    return control == nullptr ? 0 : control->entry().id;
}

MessageBoxCloser::MessageBoxCloser() : poll_(new QTimer) {
    poll_->setInterval(1);
    QObject::connect(poll_, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || box->property("seen").toBool()) return;
        box->setProperty("seen", true);
        texts_.append(box->text());
        QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
    });
    poll_->start();
}

MessageBoxCloser::~MessageBoxCloser() { delete poll_; }

PopupCloser::PopupCloser(QString choose) : choose_(std::move(choose)), poll_(new QTimer) {
    poll_->setInterval(1);
    QObject::connect(poll_, &QTimer::timeout, [this] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr || !menu->isVisible() || menu->property("seen").toBool()) return;
        menu->setProperty("seen", true);
        QStringList entries;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            entries.append(action->isSeparator() ? QStringLiteral("-") : action->text());
            if (!choose_.isEmpty() && action->text() == choose_) chosen = action;
        }
        menus_.append(entries);
        if (chosen != nullptr) {
            menu->setActiveAction(chosen);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            QTest::keyClick(menu, Qt::Key_Escape);
        }
    });
    poll_->start();
}

PopupCloser::~PopupCloser() { delete poll_; }

void Type(QWidget* widget, const QString& text) {
    for (QChar character : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &release);
    }
}

void CloseMessageBox(QWidget* box) {
    auto* messageBox = qobject_cast<QMessageBox*>(box);
    ASSERT_NE(messageBox, nullptr);
    QTest::mouseClick(messageBox->buttons().front(), Qt::LeftButton);
}

}  // namespace test
