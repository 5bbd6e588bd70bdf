// Tooltip controls: a window without a widget of its own that gives the windows it is told
// about their tooltip, and the same words as their accessible name for screen readers.
#include <QWidget>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "toolkit/qt/text.h"
#include "toolkit/qt/window.h"
#include "toolkit/win_api.h"

namespace toolkit::qt {
namespace {

class ToolTipWindow : public Window {
  public:
    ToolTipWindow() { registerHandle(); }
    QWidget* widget() const override { return nullptr; }
    LRESULT receive(UINT message, WPARAM, LPARAM lParam) override {
        if (message != TTM_ADDTOOLA && message != TTM_UPDATETIPTEXTA) return 0;
        const auto* tool = reinterpret_cast<const TOOLINFOA*>(lParam);
        if (tool == nullptr || (tool->uFlags & TTF_IDISHWND) == 0) return FALSE;
        Window* target = WindowFromHandle(reinterpret_cast<HWND>(tool->uId));
        QWidget* widget = target == nullptr ? nullptr : target->widget();
        if (widget == nullptr) return FALSE;
        const char* bytes = tool->lpszText == nullptr ? "" : tool->lpszText;
        // The same words again change nothing, and tell screen readers nothing new; told so
        // without converting them, since a lamp refresh gives every lamp its words again.
        const QString tip = widget->toolTip();
        if (AnsiEquals(tip, bytes) && widget->accessibleName() == tip) return TRUE;
        const QString text = FromAnsi(bytes);
        widget->setToolTip(text);
        widget->setAccessibleName(text);
        return TRUE;
    }
};

// The windows CreateWindowExA made, until DestroyWindow. UI thread only.
std::unordered_map<HWND, std::unique_ptr<Window>>& CreatedWindows() {
    static auto* windows = new std::unordered_map<HWND, std::unique_ptr<Window>>;
    return *windows;
}

}  // namespace
}  // namespace toolkit::qt

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD, int, int, int, int, HWND, HMENU,
                     HINSTANCE, void*) {
    if (className == nullptr || std::strcmp(className, TOOLTIPS_CLASSA) != 0) return nullptr;
    auto window = std::make_unique<toolkit::qt::ToolTipWindow>();
    HWND handle = window->handle();
    toolkit::qt::CreatedWindows()[handle] = std::move(window);
    return handle;
}

BOOL DestroyWindow(HWND window) {
    return toolkit::qt::CreatedWindows().erase(window) != 0 ? TRUE : FALSE;
}
