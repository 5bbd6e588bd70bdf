// The panel's controls, in template order. The fifteen rows come from the row table and one
// layout rule; the order of the families gives the panel's tab order.
#include <array>
#include <string>
#include <vector>

#include "res/numbered.h"
#include "res/panel_box.h"
#include "res/resource.h"
#include "res/resource_module.h"
#include "toolkit/win_defs.h"

namespace res {
namespace {

using toolkit::ControlClass;
using toolkit::ControlTemplate;

constexpr DWORD kPushButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kFieldEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

constexpr short RowTop(int box) { return static_cast<short>(59 + 21 * (box - 1)); }

// One kind of row control, placed for row `box`.
using RowControl = ControlTemplate (*)(int box, const PanelBox& ids);

ControlTemplate CheckBox(int box, const PanelBox& ids) {
    static const auto captions = [] {
        std::array<std::string, profile::kBoxCount> texts;
        for (int n = 1; n <= profile::kBoxCount; ++n) texts[n - 1] = Numbered("IP Controller", n);
        return texts;
    }();
    return {ids.checkBox,
            ControlClass::Button,
            captions[box - 1].c_str(),
            27,
            RowTop(box),
            static_cast<short>(box >= 10 ? 64 : 60),
            10,
            BS_AUTOCHECKBOX | WS_TABSTOP};
}

ControlTemplate GreenLamp(int box, const PanelBox& ids) {
    return {
        ids.greenLamp, ControlClass::Static, "", 100, static_cast<short>(RowTop(box) + 2), 11, 10,
        SS_BITMAP,     IDB_LAMP_GREEN};
}

ControlTemplate RedLamp(int box, const PanelBox& ids) {
    return {ids.redLamp, ControlClass::Static, "", 100, static_cast<short>(RowTop(box) + 2), 11, 10,
            SS_BITMAP,   IDB_LAMP_RED};
}

ControlTemplate Location(int box, const PanelBox& ids) {
    return {ids.location, ControlClass::Edit, "", 115, RowTop(box), 89, 15, kFieldEdit};
}

ControlTemplate IpAddress(int box, const PanelBox& ids) {
    return {ids.ipAddress, ControlClass::IpAddress, "", 218, RowTop(box), 100, 15, WS_TABSTOP};
}

ControlTemplate Offset(int box, const PanelBox& ids) {
    return {ids.offset, ControlClass::Edit, "", 345, RowTop(box), 30, 15, kFieldEdit | ES_NUMBER};
}

ControlTemplate Configuration(int box, const PanelBox& ids) {
    // The last row's button sits one unit lower than the rule gives.
    const short y = box == profile::kBoxCount ? 354 : RowTop(box);
    return {ids.configuration, ControlClass::Button, "configuration", 392, y, 50, 14, kPushButton};
}

class Layout {
  public:
    void Add(const ControlTemplate& control) { controls_.push_back(control); }
    void AddRows(RowControl make, int first = 1, int last = profile::kBoxCount) {
        for (int box = first; box <= last; ++box) Add(make(box, PanelBoxOf(box)));
    }
    std::vector<ControlTemplate> Take() { return std::move(controls_); }

  private:
    std::vector<ControlTemplate> controls_;
};

std::vector<ControlTemplate> BuildPanelControls() {
    Layout layout;
    layout.Add({IDOK, ControlClass::Button, "OK", 346, 397, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP});
    layout.Add({IDCANCEL, ControlClass::Button, "Abbrechen", 412, 397, 50, 14, kPushButton});
    layout.AddRows(Offset);
    layout.Add({IDC_INFO, ControlClass::Button, "Info", 13, 397, 50, 14, kPushButton});
    layout.AddRows(Location);
    layout.AddRows(IpAddress);
    layout.Add({IDC_REFRESH, ControlClass::Button, "refresh", 167, 397, 50, 14, kPushButton});
    layout.AddRows(CheckBox, 1, 1);
    layout.AddRows(Configuration, 1, 1);
    layout.AddRows(CheckBox, 2);
    layout.AddRows(Configuration, 2);
    layout.Add({IDC_SAVE, ControlClass::Button, "save", 228, 397, 50, 14, kPushButton});
    layout.Add({IDC_ANALIZE, ControlClass::Button, "analize", 107, 397, 50, 14, kPushButton});
    // Without focus: the frame, the column headings and the lamps.
    layout.Add(
        {IDC_STATIC, ControlClass::Button, "Mirelkocontroller", 7, 17, 455, 371, BS_GROUPBOX});
    layout.Add({IDC_STATIC, ControlClass::Static, "Controller Nbr. :", 31, 40, 57, 11, SS_LEFT});
    layout.Add({IDC_STATIC, ControlClass::Static, "Location :", 118, 42, 75, 13, SS_LEFT});
    layout.Add({IDC_STATIC, ControlClass::Static, "IP Adress :", 228, 42, 75, 13, SS_LEFT});
    layout.Add({IDC_STATIC, ControlClass::Static, "Offset :", 343, 41, 32, 13, SS_LEFT});
    layout.AddRows(GreenLamp);
    layout.AddRows(RedLamp);
    return layout.Take();
}

}  // namespace

std::span<const ControlTemplate> PanelControls() {
    static const std::vector<ControlTemplate> controls = BuildPanelControls();
    return controls;
}

}  // namespace res
