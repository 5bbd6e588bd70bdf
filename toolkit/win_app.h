// The application object and the framework's main routine.
#pragma once

#include "toolkit/resources.h"
#include "toolkit/wnd.h"

// One per program, a static object; the framework main routine runs it.
class CWinApp : public CCmdTarget {
  public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // False ends the process without a message loop.
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    BOOL Enable3dControls();
    // The Help command: no help content is offered.
    void OnHelp();

    CWnd* m_pMainWnd = nullptr;

    DECLARE_MESSAGE_MAP()
};

// Shows the wait cursor over the program's windows for as long as it lives.
class CWaitCursor {
  public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

  private:
    HCURSOR m_previous = nullptr;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
void AfxEnableControlContainer();
int AfxMessageBox(LPCSTR text, UINT type = MB_OK);
int AfxMessageBox(UINT promptId, UINT type = MB_OK);

// Starts the windowing system, hands it the program's resources, runs the application object's
// InitInstance and ends when it returns false. The program's main calls this and nothing else.
int AfxWinMain(int argc, char** argv, const toolkit::ResourceModule& resources);
