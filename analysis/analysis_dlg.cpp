#include "analysis/analysis_dlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CAnalysisDlg, CDialog)
ON_CBN_SELCHANGE(IDC_BOX_LIST, OnSelchangeBoxList)
END_MESSAGE_MAP()

CAnalysisDlg::CAnalysisDlg() : CDialog(IDD_ANALYSIS) {}

void CAnalysisDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_BOX_LIST, m_boxList);
    DDX_CBIndex(dx, IDC_BOX_LIST, m_selectedBox);
    DDX_Text(dx, IDC_CONTACT1, m_contact1);
    DDX_Text(dx, IDC_CONTACT2, m_contact2);
    DDX_Text(dx, IDC_LAST_CONNECTION, m_lastConnection);
}

void CAnalysisDlg::OnSelchangeBoxList() {
    m_selectedBox = m_boxList.GetCurSel();
    // Read afresh on every choice: the communication service may have written since.
    const profile::BoxStatus status =
        m_selectedBox < 0 ? profile::BoxStatus{} : profile::ReadBoxStatus(m_selectedBox + 1);
    profile::CopyText(status.lastStringReceivedAt, m_lastConnection);
    profile::CopyText(status.lastAlarmForC1, m_contact1);
    profile::CopyText(status.lastAlarmForC2, m_contact2);
    UpdateData(FALSE);
}
