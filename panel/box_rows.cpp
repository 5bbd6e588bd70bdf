// The box rows: loading them from the configuration file, saving them, enabling a row.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "panel/panel_dlg.h"
#include "profile/file_store.h"

namespace {

void ReportSaveFailure(int error) {
    const std::string path = profile::ResolveProfilePath(profile::kBoxConfigFile);
    char text[1024];
    std::snprintf(text, sizeof text,
                  "The box configuration could not be saved to \"%s\": %s.\n\n"
                  "The file is unchanged and your changes are still in the panel.",
                  path.c_str(), profile::DescribeFailure(error, true).c_str());
    AfxMessageBox(text, MB_ICONEXCLAMATION);
}

}  // namespace

void CPanelDlg::LoadConfig() {
    const profile::BoxTable table = profile::ReadBoxTable();
    for (int row = 0; row < profile::kBoxCount; ++row) {
        const profile::BoxConfig& box = table[row];
        enabled[row] = box.enabled;
        profile::CopyText(box.location, location[row]);
        offset[row] = box.offset;
        // Without an address in the file the control keeps what it shows.
        if (box.address) {
            const profile::Octets& a = *box.address;
            ipAddress[row].SendMessage(IPM_SETADDRESS, 0, MAKEIPADDRESS(a[0], a[1], a[2], a[3]));
        }
    }
    UpdateData(FALSE);
    for (profile::BoxNumber box = 1; box <= profile::kBoxCount; ++box) ApplyRowState(box);
}

BOOL CPanelDlg::SaveConfig() {
    // A pull that stopped half-way would store values the operator never chose.
    if (!UpdateData(TRUE)) return FALSE;
    profile::BoxTable table;
    for (int row = 0; row < profile::kBoxCount; ++row) {
        profile::BoxConfig& box = table[row];
        box.enabled = enabled[row];
        box.location = location[row];
        box.offset = offset[row];
        BYTE field[4];
        ipAddress[row].GetAddress(field[0], field[1], field[2], field[3]);
        box.address = profile::Octets{field[0], field[1], field[2], field[3]};
    }
    bool saved = false;
    int error = 0;
    {
        // A save may wait up to two seconds for another program that holds the file.
        CWaitCursor waiting;
        saved = profile::WriteBoxTable(table);
        error = errno;
    }
    if (saved) return TRUE;
    ReportSaveFailure(error);
    return FALSE;
}

void CPanelDlg::ApplyRowState(profile::BoxNumber box) {
    const PanelBox& row = PanelBoxOf(box);
    // A pull stopped by an offset that does not parse leaves every check state stale; this row
    // follows its own check box all the same, and its lamps with it.
    if (!UpdateData(TRUE)) {
        enabled[box - 1] = static_cast<int>(GetDlgItem(row.checkBox)->SendMessage(BM_GETCHECK));
    }
    const BOOL enable = enabled[box - 1] != 0 ? TRUE : FALSE;
    for (int field : {row.location, row.ipAddress, row.offset}) {
        GetDlgItem(field)->EnableWindow(enable);
    }
    if (enable) {
        RefreshLamps();
    } else {
        GetDlgItem(row.greenLamp)->ShowWindow(SW_HIDE);
        GetDlgItem(row.redLamp)->ShowWindow(SW_HIDE);
        m_lamps[box - 1] = announce::Lamp::Dark;
    }
}
