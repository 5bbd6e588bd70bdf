#include "toolkit/qt/dialog_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

#include "toolkit/qt/dialog_widget.h"
#include "toolkit/qt/graphics.h"
#include "toolkit/qt/text.h"
#include "toolkit/win_api.h"

namespace toolkit::qt {
namespace {

Qt::WindowFlags FlagsFor(const DialogTemplate& dialog) {
    // An application window gets its own taskbar entry: a top-level window, not a dialog.
    Qt::WindowFlags flags = (dialog.exStyle & WS_EX_APPWINDOW) != 0 ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if ((dialog.style & WS_SYSMENU) != 0) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if ((dialog.style & WS_MINIMIZEBOX) != 0) flags |= Qt::WindowMinimizeButtonHint;
    return flags;
}

bool IsStatic(const Control* control) {
    if (control == nullptr) return true;
    const ControlTemplate& entry = control->entry();
    return entry.controlClass == ControlClass::Static ||
           (entry.controlClass == ControlClass::Button &&
            (entry.style & BS_TYPEMASK) == BS_GROUPBOX);
}

}  // namespace

DialogWidget::DialogWidget(DialogWindow* window, QWidget* owner, Qt::WindowFlags flags)
    : QDialog(owner, flags), window_(window) {
    const auto openMenu = [this] { window_->openSystemMenu(mapToGlobal(QPoint(0, 0))); };
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, openMenu);
    }
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { window_->sendCommand(ID_HELP, 0); });
}

void DialogWidget::reject() { window_->sendCommand(IDCANCEL, BN_CLICKED); }
void DialogWidget::accept() { window_->sendCommand(IDOK, BN_CLICKED); }

void DialogWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            window_->sendCommand(IDCANCEL, BN_CLICKED);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            window_->pressEnter();
            break;
        default:
            QDialog::keyPressEvent(event);
            return;
    }
    event->accept();
}

void DialogWidget::closeEvent(QCloseEvent* event) {
    if (window_->ended()) {
        QDialog::closeEvent(event);
        return;
    }
    // The close box asks the dialog, which ends itself (as Cancel unless it decides otherwise).
    event->ignore();
    SendMessageA(window_->handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

void DialogWidget::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    PaintScope scope(this);
    window_->receive(WM_PAINT, 0, 0);
}

void DialogWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse &&
        !IsStatic(window_->controlOf(childAt(event->pos())))) {
        event->ignore();
        return;
    }
    const QPoint position = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                        : mapToGlobal(QPoint(0, 0));
    window_->openSystemMenu(position);
}

void DialogWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) update();
    if (event->type() == QEvent::ActivationChange) {
        SendMessageA(window_->handle(), WM_ACTIVATE, isActiveWindow() ? WA_ACTIVE : WA_INACTIVE, 0);
    }
    QDialog::changeEvent(event);
}

DialogWindow::DialogWindow(const DialogTemplate& dialog, QWidget* owner, WindowProcedure procedure,
                           void* context)
    : template_(dialog),
      procedure_(procedure),
      context_(context),
      widget_(new DialogWidget(this, owner, FlagsFor(dialog))) {
    widget_->setWindowTitle(FromAnsi(dialog.caption));
    const QFont font = DialogFont(dialog.fontFace, dialog.fontPoints);
    widget_->setFont(font);
    units_ = MeasureBaseUnits(font);
    widget_->setFixedSize(DialogUnitsToPixels(0, 0, dialog.cx, dialog.cy, units_).size());
    registerHandle();
    if ((dialog.style & WS_SYSMENU) != 0) systemMenu_ = std::make_unique<SystemMenu>();

    QWidget* previousStop = nullptr;
    for (const ControlTemplate& entry : dialog.controls) {
        const QRect pixels = DialogUnitsToPixels(entry.x, entry.y, entry.cx, entry.cy, units_);
        controls_.push_back(CreateControl(entry, handle(), widget_, pixels));
        if (entry.id != IDC_STATIC) byId_.try_emplace(entry.id, controls_.back().get());
        QWidget* control = controls_.back()->widget();
        if ((control->focusPolicy() & Qt::TabFocus) == 0) continue;
        if (previousStop != nullptr) QWidget::setTabOrder(previousStop, control);
        previousStop = control;
    }
    for (const auto& control : controls_) {
        if (IsStatic(control.get()) && control->entry().controlClass == ControlClass::Button) {
            control->widget()->lower();
        }
    }
}

DialogWindow::~DialogWindow() {
    byId_.clear();
    controls_.clear();
    unregisterHandle();
    delete widget_;
}

QWidget* DialogWindow::widget() const { return widget_; }

LRESULT DialogWindow::receive(UINT message, WPARAM wParam, LPARAM lParam) {
    if (procedure_ == nullptr) return defaultProcessing(message, wParam, lParam);
    return procedure_(context_, handle(), message, wParam, lParam);
}

LRESULT DialogWindow::defaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            sendCommand(IDCANCEL, BN_CLICKED);
            return 0;
        case WM_SYSCOMMAND:
            // The system menu here holds Close and the program's own entries.
            if ((wParam & 0xFFF0) == SC_CLOSE) return SendMessageA(handle(), WM_CLOSE, 0, 0);
            return 0;
        case WM_SETICON: {
            HICON& slot = wParam == ICON_BIG ? bigIcon_ : smallIcon_;
            HICON previous = slot;
            slot = reinterpret_cast<HICON>(lParam);
            widget_->setWindowIcon(IconSet(bigIcon_, smallIcon_));
            return reinterpret_cast<LRESULT>(previous);
        }
        case WM_ICONERASEBKGND:
            if (QPainter* painter = PainterOf(reinterpret_cast<HDC>(wParam))) {
                painter->fillRect(widget_->rect(), widget_->palette().color(QPalette::Window));
                return TRUE;
            }
            return FALSE;
        case WM_SETTEXT:
            widget_->setWindowTitle(FromAnsi(reinterpret_cast<LPCSTR>(lParam)));
            return TRUE;
        case WM_GETTEXT:
            return CopyToBuffer(widget_->windowTitle(), reinterpret_cast<LPSTR>(lParam),
                                static_cast<int>(wParam));
        default:
            return 0;
    }
}

Control* DialogWindow::control(int id) const {
    const auto found = byId_.find(id);
    return found == byId_.end() ? nullptr : found->second;
}

Control* DialogWindow::controlOf(const QWidget* widget) const {
    for (; widget != nullptr && widget != widget_; widget = widget->parentWidget()) {
        for (const auto& control : controls_) {
            if (control->widget() == widget) return control.get();
        }
    }
    return nullptr;
}

HWND DialogWindow::firstTabStop() const {
    for (const auto& control : controls_) {
        const QWidget* widget = control->widget();
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled()) {
            return control->handle();
        }
    }
    return nullptr;
}

INT_PTR DialogWindow::run() {
    HWND first = firstTabStop();
    const LRESULT focusFirst = receive(WM_INITDIALOG, reinterpret_cast<WPARAM>(first), 0);
    if (focusFirst != 0 && first != nullptr) SetFocus(first);
    if (!ended_) {
        running_ = true;
        widget_->exec();
        running_ = false;
    }
    receive(WM_DESTROY, 0, 0);
    return result_;
}

void DialogWindow::end(INT_PTR result) {
    if (ended_) return;
    result_ = result;
    ended_ = true;
    if (running_) widget_->done(static_cast<int>(result));
}

void DialogWindow::pressEnter() {
    Control* focused = controlOf(QApplication::focusWidget());
    if (focused != nullptr && focused->isPushButton()) {
        static_cast<QPushButton*>(focused->widget())->click();
        return;
    }
    int defaultId = IDOK;
    for (const auto& control : controls_) {
        const ControlTemplate& entry = control->entry();
        if (entry.controlClass == ControlClass::Button &&
            (entry.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            defaultId = entry.id;
            break;
        }
    }
    Control* target = control(defaultId);
    if (target != nullptr && !target->widget()->isEnabled()) return;
    sendCommand(defaultId, BN_CLICKED);
}

void DialogWindow::sendCommand(int id, WORD code) {
    Control* target = control(id);
    SendMessageA(handle(), WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(target == nullptr ? nullptr : target->handle()));
}

void DialogWindow::openSystemMenu(const QPoint& globalPosition) {
    if (!systemMenu_) return;
    const UINT_PTR command = systemMenu_->choose(widget_, globalPosition);
    // The keyboard goes back to the dialog the menu belonged to.
    widget_->activateWindow();
    if (command != 0) SendMessageA(handle(), WM_SYSCOMMAND, command, 0);
}

DialogWindow* DialogFromHandle(HWND handle) {
    Window* window = WindowFromHandle(handle);
    return window == nullptr ? nullptr : window->asDialog();
}

}  // namespace toolkit::qt

namespace toolkit {

INT_PTR RunModalDialog(const DialogTemplate& dialog, HWND owner, WindowProcedure procedure,
                       void* context) {
    if (QApplication::instance() == nullptr) return -1;
    qt::Window* ownerWindow = qt::WindowFromHandle(owner);
    QWidget* ownerWidget = ownerWindow == nullptr ? nullptr : ownerWindow->widget()->window();
    INT_PTR result = 0;
    {
        qt::DialogWindow window(dialog, ownerWidget, procedure, context);
        result = window.run();
    }
    // As when a modal dialog ends on Windows, its owner is the active window again.
    if (ownerWidget != nullptr) ownerWidget->activateWindow();
    return result;
}

}  // namespace toolkit

BOOL EndDialog(HWND dialog, INT_PTR result) {
    toolkit::qt::DialogWindow* window = toolkit::qt::DialogFromHandle(dialog);
    if (window == nullptr) return FALSE;
    window->end(result);
    return TRUE;
}

LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    toolkit::qt::DialogWindow* window = toolkit::qt::DialogFromHandle(dialog);
    return window == nullptr ? 0 : window->defaultProcessing(message, wParam, lParam);
}
