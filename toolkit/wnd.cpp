#include "toolkit/wnd.h"

#include <algorithm>
#include <unordered_map>

#include "toolkit/win_app.h"

namespace {

// Objects bound to windows with Attach. Touched on the UI thread only.
std::unordered_map<HWND, CWnd*>& BoundObjects() {
    static auto* objects = new std::unordered_map<HWND, CWnd*>;
    return *objects;
}

}  // namespace

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, LPCSTR text) {
    return ::AppendMenuA(m_hMenu, flags, idNewItem, text);
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }

CPaintDC::CPaintDC(CWnd* window) : m_hWnd(window->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }

CPaintDC::~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }

CWnd::~CWnd() { Detach(); }

BOOL CWnd::Attach(HWND window) {
    if (window == nullptr || m_hWnd != nullptr) return FALSE;
    m_hWnd = window;
    BoundObjects()[window] = this;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND window = m_hWnd;
    if (window != nullptr) {
        auto found = BoundObjects().find(window);
        if (found != BoundObjects().end() && found->second == this) BoundObjects().erase(found);
    }
    m_hWnd = nullptr;
    return window;
}

void CWnd::ReleaseHandles() {
    // A main window that is gone is no owner for later dialogs or message boxes.
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
    for (CWnd* child : m_boundChildren) child->Detach();
    m_boundChildren.clear();
    m_childWrappers.clear();
    Detach();
}

CWnd* CWnd::GetDlgItem(int id) const {
    HWND child = ::GetDlgItem(m_hWnd, id);
    if (child == nullptr) return nullptr;
    // The object bound to the control (DDX_Control) when there is one.
    if (auto bound = BoundObjects().find(child); bound != BoundObjects().end())
        return bound->second;
    std::unique_ptr<CWnd>& wrapper = m_childWrappers[child];
    if (!wrapper) {
        wrapper = std::make_unique<CWnd>();
        wrapper->m_hWnd = child;
    }
    return wrapper.get();
}

BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::ShowWindow(int showCommand) { return ::ShowWindow(m_hWnd, showCommand); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }

int CWnd::GetWindowText(LPSTR buffer, int capacity) const {
    return ::GetWindowTextA(m_hWnd, buffer, capacity);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

CMenu* CWnd::GetSystemMenu(BOOL revert) {
    m_systemMenu.m_hMenu = ::GetSystemMenu(m_hWnd, revert);
    return m_systemMenu.m_hMenu == nullptr ? nullptr : &m_systemMenu;
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

void CWnd::DoDataExchange(CDataExchange*) {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchMessageMap(message, wParam, lParam, &result)) return result;
    // Commands nobody in the window handled go on to the application, as Help does.
    CWinApp* app = AfxGetApp();
    if (message == WM_COMMAND && app != nullptr &&
        app->DispatchMessageMap(message, wParam, lParam, &result)) {
        return result;
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefDlgProcA(m_hWnd, message, wParam, lParam);
}

void CWnd::OnSysCommand(UINT id, LPARAM lParam) { DefWindowProc(WM_SYSCOMMAND, id, lParam); }
void CWnd::OnPaint() { DefWindowProc(WM_PAINT, 0, 0); }
