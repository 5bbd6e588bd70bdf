// The program's single application object, and its entry point.
#include "app/panel_app.h"
#include "res/resource_module.h"

CPanelApp theApp;

#ifdef _WIN32
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return AfxWinMain(__argc, __argv, MirelkoResources());
}
#else
int main(int argc, char** argv) { return AfxWinMain(argc, argv, MirelkoResources()); }
#endif
