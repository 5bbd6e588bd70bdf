#include "toolkit/data_exchange.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "toolkit/win_app.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Optional blanks, an optional sign, at least one digit, optional blanks, nothing else; and the
// value must fit in 32 bits, so a long number is refused rather than silently changed.
bool ParseInteger(const char* text, int* value) {
    while (IsBlank(*text)) ++text;
    const char* digits = text + ((*text == '-' || *text == '+') ? 1 : 0);
    if (*digits < '0' || *digits > '9') return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    while (IsBlank(*end)) ++end;
    if (*end != '\0') return false;
    *value = static_cast<int>(parsed);
    return true;
}

}  // namespace

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

HWND CDataExchange::PrepareCtrl(int id) {
    m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    m_bEditLastControl = false;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND control = PrepareCtrl(id);
    m_bEditLastControl = true;
    return control;
}

void CDataExchange::Fail() {
    m_failed = true;
    if (!m_bSaveAndValidate || m_hWndLastControl == nullptr) return;
    ::SetFocus(m_hWndLastControl);
    if (m_bEditLastControl) ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.Failed() ? FALSE : TRUE;
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (dx->Failed() || control.m_hWnd != nullptr) return;
    HWND window = dx->PrepareCtrl(id);
    if (window == nullptr || !control.Attach(window)) return;
    dx->m_pDlgWnd->m_boundChildren.push_back(&control);
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    if (dx->Failed()) return;
    HWND edit = dx->PrepareEditCtrl(id);
    char text[64];
    if (!dx->m_bSaveAndValidate) {
        std::snprintf(text, sizeof text, "%d", value);
        ::SetWindowTextA(edit, text);
        return;
    }
    ::GetWindowTextA(edit, text, sizeof text);
    int parsed = 0;
    if (!ParseInteger(text, &parsed)) {
        AfxMessageBox(AFX_IDP_PARSE_INT, MB_ICONEXCLAMATION);
        dx->Fail();
        return;
    }
    value = parsed;
}

void DDX_Text(CDataExchange* dx, int id, LPSTR buffer, int capacity) {
    if (dx->Failed() || capacity <= 0) return;
    HWND edit = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        buffer[0] = '\0';
        ::GetWindowTextA(edit, buffer, capacity);
    } else {
        // The field refuses what the member could not hold, instead of cutting it on the pull.
        ::SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(capacity - 1), 0);
        ::SetWindowTextA(edit, buffer);
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    if (dx->Failed()) return;
    HWND box = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageA(box, BM_GETCHECK, 0, 0));
    } else {
        ::SendMessageA(box, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index) {
    if (dx->Failed()) return;
    HWND list = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        index = static_cast<int>(::SendMessageA(list, CB_GETCURSEL, 0, 0));
    } else {
        ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}
