// Dialogs built from templates and run modally.
#pragma once

#include "toolkit/wnd.h"

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // IDOK, IDCANCEL or the value given to EndDialog; -1 when the template is missing.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    // The default pushes the members into the controls; true puts the focus on the first control.
    virtual BOOL OnInitDialog();
    // Pulls, and ends with IDOK only when the pull succeeded.
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  protected:
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

    static LRESULT Procedure(void* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
