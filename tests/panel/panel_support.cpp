#include "tests/panel/panel_support.h"

#include <filesystem>

#include "res/resource_module.h"

namespace test {

void PanelTest::SetUp() {
    ProfileDirTest::SetUp();
    toolkit::SetResourceModule(&MirelkoResources());
}

std::string PanelTest::Text(int id) const {
    char text[256] = "";
    GetWindowTextA(GetDlgItem(panel.m_hWnd, id), text, sizeof text);
    return text;
}

// A window that is gone is not visible either.
bool PanelTest::IsOpen() const { return IsWindowVisible(panel.m_hWnd) != FALSE; }

bool PanelTest::FieldsEnabled(profile::BoxNumber box) const {
    const PanelBox& row = PanelBoxOf(box);
    return Enabled(row.location) && Enabled(row.ipAddress) && Enabled(row.offset);
}

bool PanelTest::AnyLampShown(profile::BoxNumber box) const {
    const PanelBox& row = PanelBoxOf(box);
    return IsWindowVisible(GetDlgItem(panel.m_hWnd, row.greenLamp)) ||
           IsWindowVisible(GetDlgItem(panel.m_hWnd, row.redLamp));
}

void PanelTest::PutTable(const std::function<void(profile::BoxTable&)>& edit) const {
    profile::BoxTable table;
    edit(table);
    ASSERT_TRUE(profile::WriteBoxTable(table));
}

std::string PanelTest::NativePathOf(const std::string& name) const {
    return std::filesystem::path(PathOf(name)).make_preferred().string();
}

}  // namespace test
