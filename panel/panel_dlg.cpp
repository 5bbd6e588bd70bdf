#include "panel/panel_dlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CPanelDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_INFO, OnInfo)
END_MESSAGE_MAP()

CPanelDlg::CPanelDlg(CWnd* parent)
    : CDialog(IDD_PANEL, parent),
      m_hIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

BOOL CPanelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddInfoToSystemMenu();
    SetWindowIcons();
    return TRUE;
}
