// The main panel: the window of the fifteen box rows and the program's frame around them.
#pragma once

#include "toolkit/afxwin.h"

class CPanelDlg : public CDialog {
  public:
    explicit CPanelDlg(CWnd* parent = nullptr);

  protected:
    BOOL OnInitDialog() override;

    // The frame: system-menu Info entry, window icons, drawing while minimized, the Info box.
    void AddInfoToSystemMenu();
    void SetWindowIcons();
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnInfo();

    HICON m_hIcon;

    DECLARE_MESSAGE_MAP()
};
