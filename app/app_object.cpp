// The program's single application object, and its entry point.
#include "app/panel_app.h"
#include "res/resource_module.h"

CPanelApp theApp;

int main(int argc, char** argv) { return AfxWinMain(argc, argv, MirelkoResources()); }
