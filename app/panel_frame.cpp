// The panel's frame: what the main window does that has nothing to do with boxes.
#include "app/info_dlg.h"
#include "panel/panel_dlg.h"
#include "res/resource.h"

void CPanelDlg::AddInfoToSystemMenu() {
    CMenu* systemMenu = GetSystemMenu(FALSE);
    if (systemMenu == nullptr) return;
    char text[80];
    if (LoadStringA(AfxGetResourceHandle(), IDS_INFO_MENU, text, sizeof text) == 0) return;
    systemMenu->AppendMenu(MF_SEPARATOR);
    systemMenu->AppendMenu(MF_STRING, IDM_INFO, text);
}

void CPanelDlg::SetWindowIcons() {
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
}

void CPanelDlg::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == IDM_INFO) {
        OnInfo();
    } else {
        CDialog::OnSysCommand(id, lParam);
    }
}

void CPanelDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CPanelDlg::OnQueryDragIcon() { return m_hIcon; }

void CPanelDlg::OnInfo() {
    CInfoDlg info;
    info.DoModal();
}
