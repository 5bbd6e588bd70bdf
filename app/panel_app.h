// The application: runs the panel modally, then ends the program.
#pragma once

#include "toolkit/afxwin.h"

class CPanelApp : public CWinApp {
  public:
    // Always false: there is no message loop after the panel closes.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
