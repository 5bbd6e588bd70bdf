// The Info box: logo and contact lines, closed with OK.
#pragma once

#include "toolkit/afxwin.h"

class CInfoDlg : public CDialog {
  public:
    CInfoDlg();

  protected:
    void DoDataExchange(CDataExchange* dx) override;

    DECLARE_MESSAGE_MAP()
};
