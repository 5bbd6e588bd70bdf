#include "toolkit/win_app.h"

#include <string>

#include "toolkit/window_system.h"

namespace {

CWinApp* g_app = nullptr;
// The program's file name without folder and extension: the caption of its message boxes.
std::string g_appName;

std::string NameOfProgram(const char* path) {
    std::string name = path == nullptr ? "" : path;
    name = name.substr(name.find_last_of("/\\") + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return name;
}

int RunApplicationObject() {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 1;
    if (!app->InitInstance()) return app->ExitInstance();
    // A program that asks for a loop after its main window closed has nothing left to run.
    return app->ExitInstance();
}

}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }
BOOL CWinApp::Enable3dControls() { return TRUE; }
void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app == nullptr ? nullptr : g_app->m_pMainWnd; }

void AfxEnableControlContainer() {}

int AfxMessageBox(LPCSTR text, UINT type) {
    CWnd* owner = AfxGetMainWnd();
    return ::MessageBoxA(owner == nullptr ? nullptr : owner->m_hWnd, text,
                         g_appName.empty() ? nullptr : g_appName.c_str(), type);
}

int AfxMessageBox(UINT promptId, UINT type) {
    // The class library's own prompts, which no program's string table carries.
    static const toolkit::StringResource kPrompts[] = {
        {AFX_IDP_PARSE_INT, "Please enter an integer."},
    };
    char text[256] = "";
    if (::LoadStringA(AfxGetResourceHandle(), promptId, text, sizeof text) == 0) {
        for (const auto& prompt : kPrompts) {
            if (prompt.id == promptId) return AfxMessageBox(prompt.text, type);
        }
    }
    return AfxMessageBox(text, type);
}

int AfxWinMain(int argc, char** argv, const toolkit::ResourceModule& resources) {
    g_appName = NameOfProgram(argc > 0 ? argv[0] : nullptr);
    toolkit::SetResourceModule(&resources);
    return toolkit::RunWindowingSystem(argc, argv, &RunApplicationObject);
}
