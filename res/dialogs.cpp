// The dialog templates, in dialog units, controls in template order (which is the tab order).
// The panel's many controls are laid out in panel_layout.cpp.
#include "res/resource.h"
#include "res/resource_module.h"
#include "toolkit/win_defs.h"

namespace res {
namespace {

using toolkit::ControlClass;
using toolkit::ControlTemplate;
using toolkit::DialogTemplate;

constexpr DWORD kDefaultButton = BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr DWORD kModalStyles = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

const ControlTemplate kInfoControls[] = {
    {IDOK, ControlClass::Button, "OK", 92, 125, 50, 14, kDefaultButton},
    {IDC_STATIC, ControlClass::Static, "", 76, 14, 0, 0, SS_BITMAP, IDB_LOGO},
    {IDC_STATIC, ControlClass::Static, "phone : +49 000 0000", 78, 73, 79, 8, SS_LEFT},
    {IDC_STATIC, ControlClass::Static, "fax : +49 000 0001", 83, 83, 68, 8, SS_LEFT},
    {IDC_STATIC, ControlClass::Static, "www.example.com", 19, 106, 80, 8, SS_LEFT},
    {IDC_STATIC, ControlClass::Static, "info@example.com", 137, 105, 72, 8, SS_LEFT},
};

const DialogTemplate kDialogs[] = {
    {IDD_INFO,
     "Info \xFC"
     "ber Mirelko",
     235, 146, "MS Sans Serif", 8, kModalStyles, 0, kInfoControls},
    {IDD_PANEL, "Mirelko", 469, 418, "MS Sans Serif", 8, kModalStyles | WS_VISIBLE | WS_MINIMIZEBOX,
     WS_EX_APPWINDOW, PanelControls()},
};

}  // namespace

std::span<const DialogTemplate> DialogTemplates() { return kDialogs; }

}  // namespace res
