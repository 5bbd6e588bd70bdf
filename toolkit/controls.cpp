#include "toolkit/controls.h"

int CComboBox::GetCurSel() const {
    return static_cast<int>(::SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0));
}

int CIPAddressCtrl::GetAddress(BYTE& field0, BYTE& field1, BYTE& field2, BYTE& field3) {
    DWORD address = 0;
    const int count = static_cast<int>(
        ::SendMessageA(m_hWnd, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)));
    field0 = static_cast<BYTE>(FIRST_IPADDRESS(address));
    field1 = static_cast<BYTE>(SECOND_IPADDRESS(address));
    field2 = static_cast<BYTE>(THIRD_IPADDRESS(address));
    field3 = static_cast<BYTE>(FOURTH_IPADDRESS(address));
    return count;
}

namespace {

TOOLINFOA ToolFor(HWND owner, CWnd* window, LPCSTR text) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(window->m_hWnd);
    tool.lpszText = const_cast<LPSTR>(text);
    return tool;
}

}  // namespace

CToolTipCtrl::~CToolTipCtrl() {
    if (m_hWnd != nullptr) ::DestroyWindow(Detach());
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    // A dialog run again makes its tooltips anew.
    if (m_hWnd != nullptr) ::DestroyWindow(Detach());
    HWND window = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, 0, 0, 0, 0,
                                    parent->m_hWnd, nullptr, nullptr, nullptr);
    m_hOwner = parent->m_hWnd;
    return Attach(window);
}

BOOL CToolTipCtrl::AddTool(CWnd* window, LPCSTR text) {
    TOOLINFOA tool = ToolFor(m_hOwner, window, text);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
}

void CToolTipCtrl::UpdateTipText(LPCSTR text, CWnd* window) {
    TOOLINFOA tool = ToolFor(m_hOwner, window, text);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}
