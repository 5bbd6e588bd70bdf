// The control classes the system's code binds with DDX_Control.
#pragma once

#include "toolkit/wnd.h"

class CComboBox : public CWnd {
  public:
    // -1 (CB_ERR) when nothing is selected.
    int GetCurSel() const;
};

// Four fields of 0-255, each of which may be blank; set with IPM_SETADDRESS.
class CIPAddressCtrl : public CWnd {
  public:
    // The number of non-blank fields; blank fields read as 0.
    int GetAddress(BYTE& field0, BYTE& field1, BYTE& field2, BYTE& field3);
};

// Tooltips for the windows added to it, which also become their accessible names.
class CToolTipCtrl : public CWnd {
  public:
    ~CToolTipCtrl() override;

    BOOL Create(CWnd* parent, DWORD style = 0);
    // `window` is a control of the parent given to Create.
    BOOL AddTool(CWnd* window, LPCSTR text);
    void UpdateTipText(LPCSTR text, CWnd* window);

  private:
    HWND m_hOwner = nullptr;
};
