// The dialog templates, in dialog units, controls in template order (which is the tab order).
// The panel's many controls are laid out in panel_layout.cpp.
#include <array>
#include <string>

#include "profile/box_config.h"
#include "res/numbered.h"
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

// "BOX 1" to "BOX 15": list index i stands for box i + 1.
std::span<const LPCSTR> BoxListItems() {
    static const auto texts = [] {
        std::array<std::string, profile::kBoxCount> items;
        for (int box = 1; box <= profile::kBoxCount; ++box) {
            items[box - 1] = Numbered("BOX", box);
        }
        return items;
    }();
    static const auto pointers = [] {
        std::array<LPCSTR, profile::kBoxCount> items{};
        for (std::size_t i = 0; i < items.size(); ++i) items[i] = texts[i].c_str();
        return items;
    }();
    return pointers;
}

constexpr DWORD kStatusField = ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

const ControlTemplate kAnalysisControls[] = {
    {IDOK, ControlClass::Button, "OK", 190, 106, 50, 14, kDefaultButton},
    {IDC_BOX_LIST, ControlClass::ComboBox, "", 14, 27, 48, 182,
     CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, BoxListItems()},
    {IDC_CONTACT2, ControlClass::Edit, "", 174, 72, 66, 14, kStatusField},
    {IDC_CONTACT1, ControlClass::Edit, "", 174, 49, 66, 14, kStatusField},
    {IDC_LAST_CONNECTION, ControlClass::Edit, "", 174, 26, 66, 14, kStatusField},
    {IDC_STATIC, ControlClass::Button, "choose  box", 7, 7, 245, 93, BS_GROUPBOX},
    {IDC_STATIC, ControlClass::Static, "last connection", 86, 30, 49, 8, SS_LEFT},
    {IDC_STATIC, ControlClass::Static, "last alarm from contact 1", 86, 52, 78, 8, SS_LEFT},
    {IDC_STATIC, ControlClass::Static, "last alarm from contact 2", 85, 74, 78, 8, SS_LEFT},
};

const DialogTemplate kDialogs[] = {
    {IDD_INFO,
     "Info \xFC"
     "ber Mirelko",
     235, 146, "MS Sans Serif", 8, kModalStyles, 0, kInfoControls},
    {IDD_PANEL, "Mirelko", 469, 418, "MS Sans Serif", 8, kModalStyles | WS_VISIBLE | WS_MINIMIZEBOX,
     WS_EX_APPWINDOW, PanelControls()},
    {IDD_ANALYSIS, "analize", 259, 127, "MS Sans Serif", 8, kModalStyles, 0, kAnalysisControls},
};

}  // namespace

std::span<const DialogTemplate> DialogTemplates() { return kDialogs; }

}  // namespace res
