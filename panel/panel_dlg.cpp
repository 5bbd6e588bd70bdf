#include "panel/panel_dlg.h"

#include "analysis/analysis_dlg.h"
#include "panel/poll_thread.h"
#include "res/resource.h"

namespace {

// The order in which the check states are exchanged.
constexpr profile::BoxNumber kCheckExchangeOrder[] = {1, 12, 10, 11, 13, 14, 15, 2,
                                                      3, 4,  5,  6,  7,  8,  9};
static_assert(std::size(kCheckExchangeOrder) == profile::kBoxCount);

}  // namespace

BEGIN_MESSAGE_MAP(CPanelDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_INFO, OnInfo)
ON_CONTROL_COLUMN(BN_CLICKED, kPanelBoxes, &PanelBox::checkBox, ApplyRowState)
ON_CONTROL_COLUMN(BN_CLICKED, kPanelBoxes, &PanelBox::configuration, LaunchConfigTool)
ON_BN_CLICKED(IDC_REFRESH, LoadConfig)
ON_BN_CLICKED(IDC_SAVE, SaveConfig)
ON_BN_CLICKED(IDC_ANALIZE, OnAnalize)
ON_MESSAGE(WM_STATUSPOLL, OnStatusPoll)
ON_MESSAGE(WM_ACTIVATE, OnActivate)
ON_MESSAGE(WM_NOTICEICON, OnNoticeIcon)
ON_MESSAGE(WM_DESTROY, ForgetPanelWindow)
END_MESSAGE_MAP()

CPanelDlg::CPanelDlg(CWnd* parent)
    : CDialog(IDD_PANEL, parent),
      m_hIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

BOOL CPanelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddInfoToSystemMenu();
    SetWindowIcons();
    AddLampTips();
    LoadConfig();
    g_hPanelWnd = m_hWnd;
    _beginthread(PollThread, 0, nullptr);
    return TRUE;
}

void CPanelDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    for (int row = 0; row < profile::kBoxCount; ++row) {
        DDX_Control(dx, kPanelBoxes[row].ipAddress, ipAddress[row]);
    }
    for (int row = 0; row < profile::kBoxCount; ++row) {
        DDX_Text(dx, kPanelBoxes[row].offset, offset[row]);
    }
    for (int row = 0; row < profile::kBoxCount; ++row) {
        DDX_Text(dx, kPanelBoxes[row].location, location[row]);
    }
    for (profile::BoxNumber box : kCheckExchangeOrder) {
        DDX_Check(dx, PanelBoxOf(box).checkBox, enabled[box - 1]);
    }
}

LRESULT CPanelDlg::ForgetPanelWindow(WPARAM, LPARAM) {
    // Only this panel's own handle: a later panel may have stored its own meanwhile.
    HWND self = m_hWnd;
    g_hPanelWnd.compare_exchange_strong(self, nullptr);
    return 0;
}

void CPanelDlg::OnAnalize() {
    CAnalysisDlg analysis;
    analysis.DoModal();
}

void CPanelDlg::OnOK() {
    if (!SaveConfig()) return;
    WithdrawNotice();
    CDialog::OnOK();
}

void CPanelDlg::OnCancel() {
    WithdrawNotice();
    CDialog::OnCancel();
}
