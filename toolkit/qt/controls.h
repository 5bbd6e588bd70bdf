// The controls of a dialog, built from their template entries.
#pragma once

#include <memory>

#include "toolkit/qt/window.h"
#include "toolkit/resources.h"

class QWidget;
class QRect;

namespace toolkit::qt {

class Control : public Window {
  public:
    Control(const ControlTemplate& entry, HWND dialog);

    const ControlTemplate& entry() const { return entry_; }
    // Takes the focus with Tab (WS_TABSTOP) and is a push button Enter would press.
    bool isTabStop() const { return (entry_.style & WS_TABSTOP) != 0; }
    virtual bool isPushButton() const { return false; }

  protected:
    // Tells the dialog, as WM_COMMAND with the notification code.
    void notify(WORD code);

  private:
    ControlTemplate entry_;
    HWND dialog_;
};

// Creates the control's widget inside `parent`, placed in pixels, and gives it its handle.
std::unique_ptr<Control> CreateControl(const ControlTemplate& entry, HWND dialog, QWidget* parent,
                                       const QRect& pixels);

}  // namespace toolkit::qt
