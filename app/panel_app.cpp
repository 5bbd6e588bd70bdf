#include "app/panel_app.h"

#include "app/start_notes.h"
#include "panel/panel_dlg.h"

BEGIN_MESSAGE_MAP(CPanelApp, CWinApp)
ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CPanelApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();
    TellLeftBoxFiles();
    CPanelDlg panel;
    m_pMainWnd = &panel;
    panel.DoModal();
    return FALSE;
}
