#include "toolkit/qt/system_menu.h"

#include <QAction>
#include <QMenu>
#include <QPoint>
#include <mutex>
#include <unordered_map>

#include "toolkit/qt/text.h"
#include "toolkit/win_api.h"

namespace toolkit::qt {
namespace {

struct MenuTable {
    std::unordered_map<HMENU, SystemMenu*> menus;
    std::uintptr_t next = 0x20000;
};

MenuTable& Menus() {
    static auto* table = new MenuTable;
    return *table;
}

}  // namespace

SystemMenu::SystemMenu() : handle_(reinterpret_cast<HMENU>(Menus().next)) {
    Menus().next += 4;
    Menus().menus[handle_] = this;
    reset();
}

SystemMenu::~SystemMenu() { Menus().menus.erase(handle_); }

void SystemMenu::reset() {
    items_.clear();
    items_.push_back(Item{MF_STRING, SC_CLOSE, QStringLiteral("&Close\tAlt+F4")});
}

void SystemMenu::append(UINT flags, UINT_PTR id, const QString& text) {
    items_.push_back(Item{flags, id, text});
}

UINT_PTR SystemMenu::choose(QWidget* owner, const QPoint& position) const {
    QMenu menu(owner);
    for (const Item& item : items_) {
        if ((item.flags & MF_SEPARATOR) != 0) {
            menu.addSeparator();
        } else {
            QAction* action = menu.addAction(item.text);
            action->setData(QVariant::fromValue<qulonglong>(item.id));
        }
    }
    QAction* chosen = menu.exec(position);
    return chosen == nullptr ? 0 : static_cast<UINT_PTR>(chosen->data().toULongLong());
}

SystemMenu* SystemMenuFromHandle(HMENU menu) {
    auto found = Menus().menus.find(menu);
    return found == Menus().menus.end() ? nullptr : found->second;
}

}  // namespace toolkit::qt

using toolkit::qt::SystemMenuFromHandle;

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR text) {
    toolkit::qt::SystemMenu* target = SystemMenuFromHandle(menu);
    if (target == nullptr) return FALSE;
    const bool separator = (flags & MF_SEPARATOR) != 0;
    target->append(flags, separator ? 0 : idNewItem,
                   separator ? QString() : toolkit::qt::FromAnsi(text));
    return TRUE;
}
