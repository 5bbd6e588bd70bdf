// The analysis dialog: for a box chosen from the list, when it was last heard from and when each
// of its two contacts last raised an alarm, as the status file says. It only reads.
#pragma once

#include "profile/box_status.h"
#include "toolkit/afxwin.h"

class CAnalysisDlg : public CDialog {
  public:
    CAnalysisDlg();

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnSelchangeBoxList();

    CComboBox m_boxList;
    int m_selectedBox = -1;  // list index, box m_selectedBox + 1; -1 for none
    char m_contact1[profile::kStatusTextCapacity] = "";
    char m_contact2[profile::kStatusTextCapacity] = "";
    char m_lastConnection[profile::kStatusTextCapacity] = "";

    DECLARE_MESSAGE_MAP()
};
