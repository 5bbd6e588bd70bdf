#include "toolkit/qt/widgets/ip_address_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "tests/toolkit/widgets/qstring_printer.h"

namespace toolkit::qt {
namespace {

// The control between two edits in a dialog, the tab order set over the top-level controls only
// and against the order of creation, as the dialog layer does from its templates.
class IpAddressEditTest : public ::testing::Test {
  protected:
    void SetUp() override {
        after_ = new QLineEdit(&dialog_);
        ip_ = new IpAddressEdit(&dialog_);
        before_ = new QLineEdit(&dialog_);
        before_->setGeometry(10, 10, 150, 23);
        ip_->setGeometry(10, 40, 150, 23);
        after_->setGeometry(10, 70, 150, 23);
        QWidget::setTabOrder(before_, ip_);
        QWidget::setTabOrder(ip_, after_);
        dialog_.resize(170, 100);
        dialog_.show();
        dialog_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
        ip_->setFocus(Qt::TabFocusReason);
    }

    // Sends each character to whichever widget has the focus, as the keyboard does.
    static void type(const QString& keys) {
        for (QChar c : keys) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    int focusedField() const {
        for (int i = 0; i < IpAddressEdit::kFieldCount; ++i) {
            if (ip_->field(i)->hasFocus()) return i;
        }
        return -1;
    }
    int caret() const { return ip_->field(focusedField())->cursorPosition(); }
    QStringList fieldTexts() const {
        QStringList texts;
        for (int i = 0; i < IpAddressEdit::kFieldCount; ++i) texts << ip_->field(i)->text();
        return texts;
    }

    QDialog dialog_;
    QLineEdit* before_ = nullptr;
    IpAddressEdit* ip_ = nullptr;
    QLineEdit* after_ = nullptr;
};

TEST_F(IpAddressEditTest, FocusFromOutsideLandsInTheFirstField) { EXPECT_EQ(focusedField(), 0); }

TEST_F(IpAddressEditTest, ThreeDigitsMoveToTheStartOfTheNextFieldButNotPastTheLast) {
    type("192168");
    EXPECT_EQ(focusedField(), 2);
    EXPECT_EQ(caret(), 0);
    type("1.254");
    EXPECT_EQ(focusedField(), 3);
    EXPECT_EQ(fieldTexts(), QStringList({"192", "168", "1", "254"}));

    quint32 packed = 0;
    EXPECT_EQ(ip_->address(&packed), 4);
    EXPECT_EQ(packed, 0xC0A801FEu);
    EXPECT_EQ(ip_->text(), QStringLiteral("192.168.1.254"));
}

TEST_F(IpAddressEditTest, DotAndSpaceMoveOnOnlyFromAFieldWithDigitsAndAreNeverInserted) {
    type(". ");
    EXPECT_EQ(focusedField(), 0);
    type("10 .");
    EXPECT_EQ(focusedField(), 1);
    type("5.7");
    EXPECT_EQ(fieldTexts(), QStringList({"10", "5", "7", ""}));
    EXPECT_EQ(focusedField(), 2);
    type("..");  // the second dot is in the empty last field: nowhere to go, nothing typed
    type(".");
    EXPECT_EQ(focusedField(), 3);
    EXPECT_EQ(ip_->field(3)->text(), QString());
}

TEST_F(IpAddressEditTest, OnlyDigitsAreTaken) {
    type("1a-2");
    EXPECT_EQ(fieldTexts(), QStringList({"12", "", "", ""}));
}

TEST_F(IpAddressEditTest, ValueAboveTwoFiftyFiveIsClampedAtOnceAndTheFocusStays) {
    type("300");
    EXPECT_EQ(ip_->field(0)->text(), QStringLiteral("255"));
    EXPECT_EQ(focusedField(), 0);
    type(".26");
    EXPECT_EQ(focusedField(), 1);
    type("0");
    EXPECT_EQ(ip_->field(1)->text(), QStringLiteral("255"));
    EXPECT_EQ(focusedField(), 1);
}

TEST_F(IpAddressEditTest, BackspaceAtAFieldStartDeletesTheLastDigitOfThePreviousField) {
    type("12.34");
    press(Qt::Key_Home);
    press(Qt::Key_Backspace);
    EXPECT_EQ(focusedField(), 0);
    EXPECT_EQ(fieldTexts(), QStringList({"1", "34", "", ""}));
    EXPECT_EQ(caret(), 1);
    press(Qt::Key_Backspace);
    press(Qt::Key_Backspace);  // at the start of the first field: nothing before it
    EXPECT_EQ(focusedField(), 0);
    EXPECT_EQ(fieldTexts(), QStringList({"", "34", "", ""}));
}

TEST_F(IpAddressEditTest, ArrowsCrossFieldsAtTheEdgesAndHomeEndStayInTheField) {
    type("12.34");
    press(Qt::Key_Left);
    EXPECT_EQ(focusedField(), 1);
    EXPECT_EQ(caret(), 1);
    press(Qt::Key_Home);
    EXPECT_EQ(focusedField(), 1);
    EXPECT_EQ(caret(), 0);
    press(Qt::Key_Left);
    EXPECT_EQ(focusedField(), 0);
    EXPECT_EQ(caret(), 2);
    press(Qt::Key_Right);
    EXPECT_EQ(focusedField(), 1);
    EXPECT_EQ(caret(), 0);
    press(Qt::Key_End);
    EXPECT_EQ(focusedField(), 1);
    EXPECT_EQ(caret(), 2);

    press(Qt::Key_Right);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    press(Qt::Key_Right);  // the end of the last field
    EXPECT_EQ(focusedField(), 3);
    ip_->field(0)->setFocus();
    press(Qt::Key_Home);
    press(Qt::Key_Left);  // the start of the first field
    EXPECT_EQ(focusedField(), 0);
    EXPECT_EQ(fieldTexts(), QStringList({"12", "34", "", ""}));
}

TEST_F(IpAddressEditTest, LeadingZerosStayInTheTextAndReadAsDecimal) {
    type("007");
    EXPECT_EQ(focusedField(), 1);
    type("010");
    EXPECT_EQ(fieldTexts(), QStringList({"007", "010", "", ""}));
    quint32 packed = 0;
    EXPECT_EQ(ip_->address(&packed), 2);
    EXPECT_EQ(packed, 0x070A0000u);
}

TEST_F(IpAddressEditTest, BlankFieldsReadAsZeroButDoNotCount) {
    type("10.");
    press(Qt::Key_Right);  // the empty second field: its end is its start
    type("5");
    EXPECT_EQ(fieldTexts(), QStringList({"10", "", "5", ""}));
    quint32 packed = 1;
    EXPECT_EQ(ip_->address(&packed), 2);
    EXPECT_EQ(packed, 0x0A000500u);
    EXPECT_EQ(ip_->text(), QStringLiteral("10.0.5.0"));
}

TEST_F(IpAddressEditTest, SetAddressFillsEveryField) {
    QSignalSpy changed(ip_, &IpAddressEdit::addressChanged);
    ip_->setAddress(0);
    EXPECT_EQ(fieldTexts(), QStringList({"0", "0", "0", "0"}));
    quint32 packed = 1;
    EXPECT_EQ(ip_->address(&packed), 4);
    EXPECT_EQ(packed, 0u);
    EXPECT_EQ(changed.count(), 1);

    ip_->setAddress(0);
    EXPECT_EQ(changed.count(), 1);  // nothing changed

    ip_->setAddress(0xC0A80001u);
    EXPECT_EQ(fieldTexts(), QStringList({"192", "168", "0", "1"}));
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(IpAddressEditTest, TabLeavesTheWholeControlFromAnyField) {
    before_->setFocus();
    press(Qt::Key_Tab);
    EXPECT_EQ(focusedField(), 0);
    press(Qt::Key_Tab);
    EXPECT_TRUE(after_->hasFocus());
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focusedField(), 0);
    press(Qt::Key_Backtab);
    EXPECT_TRUE(before_->hasFocus());

    // From a middle field reached by the mouse, either direction still leaves the control.
    QTest::mouseClick(ip_->field(2), Qt::LeftButton);
    ASSERT_EQ(focusedField(), 2);
    press(Qt::Key_Tab);
    EXPECT_TRUE(after_->hasFocus());
    QTest::mouseClick(ip_->field(2), Qt::LeftButton);
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(before_->hasFocus());
}

TEST_F(IpAddressEditTest, DisabledControlGreysEveryPartAndTakesNoTabStop) {
    ip_->setEnabled(false);
    for (int i = 0; i < IpAddressEdit::kFieldCount; ++i) EXPECT_FALSE(ip_->field(i)->isEnabled());
    for (const QLabel* dot : ip_->findChildren<QLabel*>()) EXPECT_FALSE(dot->isEnabled());
    before_->setFocus();
    press(Qt::Key_Tab);
    EXPECT_TRUE(after_->hasFocus());
    ip_->setEnabled(true);
    EXPECT_TRUE(ip_->field(3)->isEnabled());
}

TEST_F(IpAddressEditTest, FieldsShareTheWidthEvenlyInsideTheControl) {
    const int width0 = ip_->field(0)->width();
    int lastRight = 0;
    for (int i = 0; i < IpAddressEdit::kFieldCount; ++i) {
        const QRect r = ip_->field(i)->geometry();
        EXPECT_NEAR(r.width(), width0, 1);
        EXPECT_GT(r.left(), lastRight);  // a dot lies between neighbours
        lastRight = r.right();
    }
    EXPECT_LT(lastRight, ip_->width());
    EXPECT_GT(width0 * IpAddressEdit::kFieldCount, ip_->width() * 3 / 4);
}

}  // namespace
}  // namespace toolkit::qt
