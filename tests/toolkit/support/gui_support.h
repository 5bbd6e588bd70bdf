// Helpers for tests that drive real dialogs: one QApplication for the run, a way to act inside a
// modal run once its window is up, and the widget behind a handle.
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>

#include "toolkit/win_defs.h"

namespace test {

// Runs `steps` on the UI thread as soon as a modal window opens that is not the one active
// now; the window is passed in. Call it before the code that opens the window.
void WhenModalOpens(std::function<void(QWidget*)> steps);

// The widget behind a window or control handle; null for a handle that no longer exists.
QWidget* WidgetOf(HWND handle);
QWidget* ControlWidget(HWND dialog, int id);
// The id of the control of a toolkit dialog that has the focus; 0 when none has it.
int FocusedControlId();

// Closes every message box that opens while it lives, counting them and keeping their texts.
class MessageBoxCloser {
  public:
    MessageBoxCloser();
    ~MessageBoxCloser();
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;

    int count() const { return static_cast<int>(texts_.size()); }
    const QStringList& texts() const { return texts_; }

  private:
    QStringList texts_;
    class QTimer* poll_;
};

// Closes every popup menu that opens while it lives, keeping the texts of their entries.
class PopupCloser {
  public:
    // Triggers the entry whose text is `choose` (none if empty) instead of dismissing the menu.
    explicit PopupCloser(QString choose = {});
    ~PopupCloser();
    PopupCloser(const PopupCloser&) = delete;
    PopupCloser& operator=(const PopupCloser&) = delete;

    const QList<QStringList>& menus() const { return menus_; }

  private:
    QString choose_;
    QList<QStringList> menus_;
    class QTimer* poll_;
};

// Types text as key events carrying it, for characters QTest's key names do not cover.
void Type(QWidget* widget, const QString& text);

// Clicks a push button of the active message box (its only button, "OK").
void CloseMessageBox(QWidget* box);

}  // namespace test
