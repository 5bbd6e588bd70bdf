// The window calls on the handles of the backend's windows.
#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include "toolkit/qt/dialog_widget.h"
#include "toolkit/qt/dialog_window.h"
#include "toolkit/qt/text.h"
#include "toolkit/resources.h"
#include "toolkit/win_api.h"

using toolkit::qt::DialogFromHandle;
using toolkit::qt::DialogWindow;
using toolkit::qt::Window;
using toolkit::qt::WindowFromHandle;

namespace {

QWidget* WidgetOf(HWND handle) {
    Window* window = WindowFromHandle(handle);
    return window == nullptr ? nullptr : window->widget();
}

bool IsTopLevel(HWND handle) { return DialogFromHandle(handle) != nullptr; }

// The control with the focus, or the dialog itself when none of its controls has it.
HWND FocusedWindow() {
    QWidget* focus = QApplication::focusWidget();
    auto* dialog =
        focus == nullptr ? nullptr : qobject_cast<toolkit::qt::DialogWidget*>(focus->window());
    if (dialog == nullptr) return nullptr;
    toolkit::qt::Control* control = dialog->dialogWindow()->controlOf(focus);
    return control == nullptr ? dialog->dialogWindow()->handle() : control->handle();
}

QMessageBox::Icon IconFor(UINT type) {
    switch (type & 0xF0) {
        case 0x10:
            return QMessageBox::Critical;
        case 0x20:
            return QMessageBox::Question;
        case 0x30:
            return QMessageBox::Warning;
        case 0x40:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

HWND GetDlgItem(HWND dialog, int id) {
    DialogWindow* window = DialogFromHandle(dialog);
    toolkit::qt::Control* control = window == nullptr ? nullptr : window->control(id);
    return control == nullptr ? nullptr : control->handle();
}

BOOL EnableWindow(HWND handle, BOOL enable) {
    QWidget* widget = WidgetOf(handle);
    if (widget == nullptr) return FALSE;
    const bool wasDisabled = widget->testAttribute(Qt::WA_ForceDisabled);
    widget->setEnabled(enable != FALSE);
    return wasDisabled ? TRUE : FALSE;
}

BOOL ShowWindow(HWND handle, int showCommand) {
    QWidget* widget = WidgetOf(handle);
    if (widget == nullptr) return FALSE;
    const bool wasVisible = !widget->isHidden();
    switch (showCommand) {
        case SW_HIDE:
            widget->hide();
            break;
        case SW_RESTORE:
            if (IsTopLevel(handle)) widget->showNormal();
            break;
        default:
            // A control is only made visible: show() first asks the platform how a new window
            // opens, and the lamps are shown again at every refresh.
            if (widget->isWindow()) {
                widget->show();
            } else {
                widget->setVisible(true);
            }
            break;
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND handle) {
    QWidget* widget = WidgetOf(handle);
    return widget != nullptr && widget->isVisible() ? TRUE : FALSE;
}

BOOL IsIconic(HWND handle) {
    return IsTopLevel(handle) && WidgetOf(handle)->isMinimized() ? TRUE : FALSE;
}

HWND GetActiveWindow() {
    auto* dialog = qobject_cast<toolkit::qt::DialogWidget*>(QApplication::activeWindow());
    return dialog == nullptr ? nullptr : dialog->dialogWindow()->handle();
}

HWND SetFocus(HWND handle) {
    HWND previous = FocusedWindow();
    QWidget* widget = WidgetOf(handle);
    if (widget == nullptr) return previous;
    // Focus goes with activation: a dialog whose message box just closed is active again.
    if (!widget->window()->isActiveWindow()) widget->window()->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
    return previous;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
    QWidget* widget = WidgetOf(handle);
    if (widget == nullptr || rect == nullptr) return FALSE;
    *rect = RECT{0, 0, widget->width(), widget->height()};
    return TRUE;
}

int GetWindowTextA(HWND handle, LPSTR buffer, int capacity) {
    if (buffer != nullptr && capacity > 0) buffer[0] = '\0';
    return static_cast<int>(SendMessageA(handle, WM_GETTEXT, static_cast<WPARAM>(capacity),
                                         reinterpret_cast<LPARAM>(buffer)));
}

BOOL SetWindowTextA(HWND handle, LPCSTR text) {
    return static_cast<BOOL>(SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

HMENU GetSystemMenu(HWND handle, BOOL revert) {
    DialogWindow* window = DialogFromHandle(handle);
    toolkit::qt::SystemMenu* menu = window == nullptr ? nullptr : window->systemMenu();
    if (menu == nullptr) return nullptr;
    if (revert) {
        menu->reset();
        return nullptr;
    }
    return menu->handle();
}

int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int capacity) {
    const toolkit::ResourceModule* resources = toolkit::ModuleFromHandle(module);
    const toolkit::StringResource* entry =
        resources == nullptr ? nullptr : toolkit::FindString(*resources, id);
    if (buffer == nullptr || capacity <= 0) return 0;
    buffer[0] = '\0';
    if (entry == nullptr) return 0;
    int length = 0;
    while (entry->text[length] != '\0' && length < capacity - 1) {
        buffer[length] = entry->text[length];
        ++length;
    }
    buffer[length] = '\0';
    return length;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    // Above whatever modal window is open, so it is never hidden behind the dialog it is about.
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr) parent = WidgetOf(owner);
    const QString title = caption == nullptr ? QGuiApplication::applicationDisplayName()
                                             : toolkit::qt::FromAnsi(caption);
    QMessageBox box(IconFor(type), title, toolkit::qt::FromAnsi(text), QMessageBox::Ok, parent);
    box.exec();
    if (parent != nullptr) parent->activateWindow();
    return IDOK;
}
