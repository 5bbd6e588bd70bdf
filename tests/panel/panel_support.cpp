#include "tests/panel/panel_support.h"

#include <QApplication>
#include <QTest>

#include "res/resource_module.h"
#include "tests/toolkit/support/gui_support.h"

namespace test {

void PanelTest::SetUp() {
    ProfileDirTest::SetUp();
    toolkit::SetResourceModule(&MirelkoResources());
}

INT_PTR PanelTest::Run(const std::function<void()>& steps, int closeWith) {
    WhenModalOpens([this, steps, closeWith](QWidget*) {
        steps();
        if (closeWith != 0) Click(closeWith);
    });
    return panel.DoModal();
}

QWidget* PanelTest::Widget(int id) const { return ControlWidget(panel.m_hWnd, id); }

std::string PanelTest::Text(int id) const {
    char text[256] = "";
    GetWindowTextA(GetDlgItem(panel.m_hWnd, id), text, sizeof text);
    return text;
}

void PanelTest::Click(int id) const { QTest::mouseClick(Widget(id), Qt::LeftButton); }

void PanelTest::Retype(int id, const QString& text) const {
    QWidget* field = Widget(id);
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    Type(field, text);
}

bool PanelTest::FieldsEnabled(profile::BoxNumber box) const {
    const PanelBox& row = PanelBoxOf(box);
    return IsWindowEnabled(GetDlgItem(panel.m_hWnd, row.location)) &&
           IsWindowEnabled(GetDlgItem(panel.m_hWnd, row.ipAddress)) &&
           IsWindowEnabled(GetDlgItem(panel.m_hWnd, row.offset));
}

bool PanelTest::AnyLampShown(profile::BoxNumber box) const {
    const PanelBox& row = PanelBoxOf(box);
    return IsWindowVisible(GetDlgItem(panel.m_hWnd, row.greenLamp)) ||
           IsWindowVisible(GetDlgItem(panel.m_hWnd, row.redLamp));
}

bool PanelTest::AddressBlank(profile::BoxNumber box) const {
    return SendMessageA(GetDlgItem(panel.m_hWnd, PanelBoxOf(box).ipAddress), IPM_ISBLANK, 0, 0) !=
           0;
}

void PanelTest::PutTable(const std::function<void(profile::BoxTable&)>& edit) const {
    profile::BoxTable table;
    edit(table);
    ASSERT_TRUE(profile::WriteBoxTable(table));
}

}  // namespace test
