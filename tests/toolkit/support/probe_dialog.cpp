#include "tests/toolkit/support/probe_dialog.h"

#include <QApplication>
#include <QMessageBox>

#include "res/resource.h"
#include "res/resource_module.h"

namespace test {
namespace {

using toolkit::ControlClass;
using toolkit::ControlTemplate;

constexpr DWORD kEdit = WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
const LPCSTR kListItems[] = {"BOX 1", "BOX 2", "BOX 3"};

// Template order differs from id order on purpose: the tab order must follow the template.
const ControlTemplate kProbeControls[] = {
    {IDOK, ControlClass::Button, "OK", 10, 150, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {kText, ControlClass::Edit, "", 10, 10, 80, 14, kEdit},
    {kFirstNumber, ControlClass::Edit, "", 100, 10, 40, 14, kEdit | ES_NUMBER},
    {IDC_STATIC, ControlClass::Static, "La&bel", 150, 10, 40, 8, SS_LEFT},
    {kTick, ControlClass::Button, "Tick", 10, 30, 60, 10, BS_AUTOCHECKBOX | WS_TABSTOP},
    {kSecondNumber, ControlClass::Edit, "", 100, 30, 40, 14, kEdit},
    {kOther, ControlClass::Button, "Other", 150, 30, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
    {kAddress, ControlClass::IpAddress, "", 10, 50, 100, 15, WS_TABSTOP},
    {kList, ControlClass::ComboBox, "", 120, 50, 48, 80, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
     0, kListItems},
    {kThirdNumber, ControlClass::Edit, "", 10, 70, 40, 14, kEdit},
    {kReadOnly, ControlClass::Edit, "", 60, 70, 66, 14, kEdit | ES_READONLY},
    {kPlainCheck, ControlClass::Button, "Plain", 10, 90, 60, 10, BS_AUTOCHECKBOX},
    {IDCANCEL, ControlClass::Button, "Cancel", 70, 150, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_STATIC, ControlClass::Button, "Group", 5, 2, 200, 110, BS_GROUPBOX},
    {IDC_STATIC, ControlClass::Static, "", 140, 90, 0, 0, SS_BITMAP, IDB_LOGO},
};

const toolkit::DialogTemplate kTemplates[] = {
    {kProbeDialog, "Probe", 240, 170, "MS Sans Serif", 8,
     DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, kProbeControls},
};

const toolkit::StringResource kStrings[] = {{kGreeting, "Gr\xFC\xDF Gott"}};

}  // namespace

const toolkit::ResourceModule& TestResources() {
    static const toolkit::ResourceModule module{kTemplates, kStrings, res::EmbeddedImages()};
    return module;
}

BEGIN_MESSAGE_MAP(CProbeDlg, CDialog)
ON_BN_CLICKED(kOther, OnOther)
ON_CONTROL_COLUMN(BN_CLICKED, kFamilyRows, &FamilyRow::check, OnFamily)
ON_CBN_SELCHANGE(kList, OnSelectionChange)
ON_MESSAGE(kProbeMessage, OnProbe)
ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

CProbeDlg::CProbeDlg() : CDialog(kProbeDialog) {}

BOOL CProbeDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (onInit) onInit(*this);
    return TRUE;
}

void CProbeDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, kAddress, address);
    DDX_Control(dx, kList, list);
    DDX_Text(dx, kFirstNumber, first);
    DDX_Text(dx, kSecondNumber, second);
    DDX_Text(dx, kThirdNumber, third);
    DDX_Text(dx, kText, text);
    DDX_Text(dx, kReadOnly, readOnly);
    DDX_Check(dx, kTick, tick);
    DDX_CBIndex(dx, kList, index);
}

void CProbeDlg::OnCancel() {
    ++cancels;
    CDialog::OnCancel();
}

void CProbeDlg::OnOther() {
    ++otherClicks;
    if (onOther) onOther();
}
void CProbeDlg::OnFamily(int place) { familyPlaces.push_back(place); }
void CProbeDlg::OnSelectionChange() { selectionChanges.push_back(list.GetCurSel()); }

LRESULT CProbeDlg::OnProbe(WPARAM wParam, LPARAM) {
    probeThread = std::this_thread::get_id();
    probeSawMessageBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
    return static_cast<LRESULT>(wParam) + 1;
}

void CProbeDlg::OnSysCommand(UINT id, LPARAM lParam) {
    systemCommands.push_back(id);
    CDialog::OnSysCommand(id, lParam);
}

}  // namespace test
