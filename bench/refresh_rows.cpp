// One lamp refresh of the open panel, as the poll thread asks for it, beside one read of the
// status file it reads.
#include <QApplication>
#include <QTimer>
#include <fstream>

#include "bench/bench_table.h"
#include "bench/floors.h"
#include "panel/panel_dlg.h"
#include "panel/poll_thread.h"
#include "profile/box_status.h"
#include "profile/file_store.h"
#include "res/resource_module.h"

namespace bench {

void RefreshRows(int runs, std::vector<Row>& rows) {
    profile::BoxTable table;
    for (profile::BoxConfig& box : table) box.enabled = 1;  // every row has lamps to set
    profile::WriteBoxTable(table);
    const std::string path = profile::ResolveProfilePath(profile::kBoxStatusFile);
    toolkit::SetResourceModule(&MirelkoResources());

    CPanelDlg panel;
    QTimer::singleShot(0, [&] {
        for (auto [size, filler] : {std::pair{"2.5 KB", std::size_t{0}}, {"1 MB", 1u << 20}}) {
            std::ofstream(path, std::ios::binary) << StatusFile(filler);
            rows.push_back(Interleaved(
                std::string("RefreshLamps, 15 rows, status file ") + size, "open+read+close", runs,
                [](int) {
                    return Microseconds([] { SendMessageA(g_hPanelWnd, WM_STATUSPOLL, 0, 0); });
                },
                [&](int) { return ReadFloor(path); }));
        }
        EndDialog(g_hPanelWnd, IDCANCEL);
    });
    panel.DoModal();
}

}  // namespace bench
