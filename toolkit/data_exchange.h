// Data exchange between a dialog's controls and its members. A pull visits the exchange map in
// order and stops at the first field that fails; every later DDX call then does nothing.
#pragma once

#include <cstddef>

#include "toolkit/wnd.h"

class CDataExchange {
  public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Puts the focus on the last prepared control (an edit's text selected) and stops the pull.
    void Fail();
    bool Failed() const { return m_failed; }

  private:
    HWND m_hWndLastControl = nullptr;
    bool m_bEditLastControl = false;
    bool m_failed = false;
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Decimal text; a pull of anything but an optionally signed 32-bit integer fails with the
// message "Please enter an integer.".
void DDX_Text(CDataExchange* dx, int id, int& value);
// Text in a fixed buffer of `capacity` bytes with its terminator: the control takes no more.
void DDX_Text(CDataExchange* dx, int id, LPSTR buffer, int capacity);
template <std::size_t N>
void DDX_Text(CDataExchange* dx, int id, char (&buffer)[N]) {
    DDX_Text(dx, id, buffer, static_cast<int>(N));
}
// 0 unticked, 1 ticked, 2 indeterminate; a push of any other non-zero value ticks.
void DDX_Check(CDataExchange* dx, int id, int& value);
// The list's selected index, -1 for none.
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
