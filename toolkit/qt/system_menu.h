// A window's system menu: Close, then the entries the program appends. The window manager owns
// the title bar here, so the dialog opens this menu itself (right click on its background, the
// Menu key, Shift+F10) and delivers the choice as WM_SYSCOMMAND.
#pragma once

#include <QString>
#include <vector>

#include "toolkit/win_defs.h"

class QPoint;
class QWidget;

namespace toolkit::qt {

class SystemMenu {
  public:
    SystemMenu();
    ~SystemMenu();
    SystemMenu(const SystemMenu&) = delete;
    SystemMenu& operator=(const SystemMenu&) = delete;

    HMENU handle() const { return handle_; }
    void reset();
    void append(UINT flags, UINT_PTR id, const QString& text);

    // Shows the menu at a global position; the chosen command id, or 0 when none was chosen.
    UINT_PTR choose(QWidget* owner, const QPoint& position) const;

  private:
    struct Item {
        UINT flags;
        UINT_PTR id;
        QString text;
    };

    HMENU handle_;
    std::vector<Item> items_;
};

SystemMenu* SystemMenuFromHandle(HMENU menu);

}  // namespace toolkit::qt
