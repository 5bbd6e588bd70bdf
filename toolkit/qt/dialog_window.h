// A dialog built from its template: the window, its controls in template order, its keyboard
// (Tab in template order, Enter, Esc), its system menu and its modal run.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "toolkit/qt/controls.h"
#include "toolkit/qt/dialog_units.h"
#include "toolkit/qt/system_menu.h"
#include "toolkit/qt/window.h"
#include "toolkit/window_system.h"

namespace toolkit::qt {

class DialogWidget;

class DialogWindow : public Window {
  public:
    DialogWindow(const DialogTemplate& dialog, QWidget* owner, WindowProcedure procedure,
                 void* context);
    ~DialogWindow() override;

    QWidget* widget() const override;
    DialogWindow* asDialog() override { return this; }

    // Messages go to the program's procedure; what it leaves goes to defaultProcessing.
    LRESULT receive(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT defaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);

    Control* control(int id) const;
    Control* controlOf(const QWidget* widget) const;
    HWND firstTabStop() const;
    SystemMenu* systemMenu() const { return systemMenu_.get(); }

    // WM_INITDIALOG, the modal loop, WM_DESTROY; the result EndDialog gave.
    INT_PTR run();
    void end(INT_PTR result);
    bool ended() const { return ended_; }

    // Keyboard and mouse routes that end in messages.
    void pressEnter();
    void sendCommand(int id, WORD code);
    void openSystemMenu(const QPoint& globalPosition);

  private:
    const DialogTemplate& template_;
    WindowProcedure procedure_;
    void* context_;
    DialogWidget* widget_;
    BaseUnits units_;
    std::vector<std::unique_ptr<Control>> controls_;
    // The first control of each id, as the system's GetDlgItem finds it; the panel asks often.
    std::unordered_map<int, Control*> byId_;
    std::unique_ptr<SystemMenu> systemMenu_;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    bool ended_ = false;
    bool running_ = false;
    INT_PTR result_ = 0;
};

DialogWindow* DialogFromHandle(HWND handle);

}  // namespace toolkit::qt
