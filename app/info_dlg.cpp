#include "app/info_dlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CInfoDlg, CDialog)
END_MESSAGE_MAP()

CInfoDlg::CInfoDlg() : CDialog(IDD_INFO) {}

void CInfoDlg::DoDataExchange(CDataExchange* dx) { CDialog::DoDataExchange(dx); }
