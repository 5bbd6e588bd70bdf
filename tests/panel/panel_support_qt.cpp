// The panel driven with Qt's test events, as the Qt backend gets them from a person.
#include <QApplication>
#include <QTest>

#include "tests/panel/panel_support.h"
#include "tests/toolkit/support/gui_support.h"
#include "toolkit/qt/text.h"
#include "toolkit/qt/widgets/ansi_text.h"
#include "toolkit/qt/widgets/ip_address_edit.h"

namespace test {

INT_PTR PanelTest::Run(const std::function<void()>& steps, int closeWith) {
    test::WhenModalOpens([this, steps, closeWith](QWidget*) {
        steps();
        if (closeWith != 0) Click(closeWith);
    });
    return panel.DoModal();
}

QWidget* PanelTest::Widget(int id) const { return ControlWidget(panel.m_hWnd, id); }

bool PanelTest::Enabled(int id) const { return Widget(id)->isEnabled(); }

int PanelTest::FocusId() const { return FocusedControlId(); }

bool PanelTest::AddressBlank(profile::BoxNumber box) const {
    auto* address = qobject_cast<toolkit::qt::IpAddressEdit*>(Widget(PanelBoxOf(box).ipAddress));
    return address->address(nullptr) == 0;
}

void PanelTest::Click(int id) const { QTest::mouseClick(Widget(id), Qt::LeftButton); }

void PanelTest::Retype(int id, const std::string& text) const {
    QWidget* field = Widget(id);
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    Type(field, toolkit::qt::FromAnsi(text.c_str()));
}

void PanelTest::Press(int id, Key key) const {
    QWidget* control = Widget(id);
    control->setFocus();
    QTest::keyClick(control, key == Key::Enter    ? Qt::Key_Return
                             : key == Key::Escape ? Qt::Key_Escape
                                                  : Qt::Key_Space);
}

bool PanelTest::WaitFor(const std::function<bool()>& done) const {
    return QTest::qWaitFor(done, 10000);
}

void PanelTest::AtNextModal(std::function<void()> steps) const {
    test::WhenModalOpens([steps = std::move(steps)](QWidget* modal) {
        steps();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
}

std::string PanelTest::Words(int lampId) const {
    QWidget* lamp = Widget(lampId);
    EXPECT_EQ(lamp->toolTip(), lamp->accessibleName());
    std::string bytes;
    toolkit::qt::qstringToAnsi(lamp->toolTip(), &bytes);
    return bytes;
}

struct MessageBoxAnswerer::Backend {
    MessageBoxCloser closer;
};

MessageBoxAnswerer::MessageBoxAnswerer() : backend_(new Backend) {}

MessageBoxAnswerer::~MessageBoxAnswerer() { delete backend_; }

std::vector<std::string> MessageBoxAnswerer::texts() const {
    std::vector<std::string> texts;
    for (const QString& text : backend_->closer.texts()) {
        std::string bytes;
        if (!toolkit::qt::qstringToAnsi(text, &bytes)) bytes = text.toStdString();
        texts.push_back(bytes);
    }
    return texts;
}

}  // namespace test
