#include "toolkit/qt/widgets/ansi_text.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <string>

#include "tests/toolkit/widgets/qstring_printer.h"

namespace toolkit::qt {
namespace {

using namespace std::string_literals;

TEST(AnsiText, EveryByteButNulRoundTripsToADistinctCharacter) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const QString text = ansiToQString(all);
    ASSERT_EQ(text.size(), 255);
    EXPECT_EQ(QSet<QChar>(text.begin(), text.end()).size(), 255);
    std::string back;
    ASSERT_TRUE(qstringToAnsi(text, &back));
    EXPECT_EQ(back, all);
}

TEST(AnsiText, BytesMapToTheirWindows1252Characters) {
    const struct {
        unsigned char byte;
        char16_t character;
    } cases[] = {
        {0x41, u'A'},   {0x80, 0x20AC}, {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F},
        {0x90, 0x0090}, {0x9D, 0x009D}, {0x8A, 0x0160}, {0x9F, 0x0178}, {0xA0, 0x00A0},
        {0xE4, u'ä'},   {0xDF, u'ß'},   {0xFC, u'ü'},   {0xFF, 0x00FF},
    };
    for (const auto& c : cases) {
        const std::string byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(ansiToQString(byte), QString(QChar(c.character))) << int(c.byte);
        std::string back;
        ASSERT_TRUE(qstringToAnsi(QString(QChar(c.character)), &back)) << int(c.byte);
        EXPECT_EQ(back, byte);
    }
}

TEST(AnsiText, NulEndsTheText) {
    EXPECT_EQ(ansiToQString("Gr\xFC\0ss"s), QStringLiteral("Grü"));
    EXPECT_EQ(ansiToQString(""), QString());
}

TEST(AnsiText, CharactersOutsideTheCodePageAreRefusedAndNothingIsWritten) {
    const QString refused[] = {
        QStringLiteral("Zhong \u4E2D"),
        QString::fromUtf8("smile \xF0\x9F\x98\x80"),  // a surrogate pair
        QString(QChar(0x0080)),  // a C1 control whose byte 1252 gives to the euro sign
        QString(QChar(0x0100)),
        QString(QChar(0xD800)),  // a lone surrogate
        QStringLiteral("a") + QChar(0) + QStringLiteral("b"),
    };
    for (const QString& text : refused) {
        std::string out = "kept";
        EXPECT_FALSE(qstringToAnsi(text, &out)) << text.toStdString();
        EXPECT_EQ(out, "kept");
    }
    EXPECT_FALSE(ansiCanHold(QChar(0x4E2D)));
    EXPECT_FALSE(ansiCanHold(QChar(0)));
    EXPECT_TRUE(ansiCanHold(QChar(0x20AC)));
    EXPECT_TRUE(ansiCanHold(QChar(u'ü')));
}

TEST(AnsiText, BytesAreComparedWithTextAndCutToRoomWithoutMakingEitherAnew) {
    const QString euro = QString(QChar(0x20AC));
    const struct {
        QString text;
        std::string bytes;
        bool same;
    } comparisons[] = {
        {QStringLiteral("IP Controller 2: watchdog OK"), "IP Controller 2: watchdog OK", true},
        {QStringLiteral("Grü"), "Gr\xFC", true},
        {euro + "5",
         "\x80"
         "5",
         true},
        {QString(QChar(0x0080)), "\x80", false},  // byte 0x80 is the euro sign
        {QStringLiteral("Grü"), "Gru", false},
        {QString(QChar(0x0141)), "A", false},  // the same low byte
        {QStringLiteral("Gr"), "Gr\0ss"s, true},
        {QStringLiteral("ab"), "abc", false},
        {QString(), "", true},
    };
    for (const auto& c : comparisons) EXPECT_EQ(ansiEquals(c.text, c.bytes), c.same) << c.bytes;

    const struct {
        QString text;
        std::size_t capacity;
        int length;
        std::string written;
    } cuts[] = {
        {QStringLiteral("IP Controller 2"), 40, 15, "IP Controller 2"},
        {QStringLiteral("IP Controller 2"), 3, 15, "IP "},
        {QStringLiteral("Grüße"), 3, 5, "Gr\xFC"},
        {euro, 1, 1, "\x80"},
        {QStringLiteral("ab") + QChar(0x4E2D), 1, -1, ""},
    };
    for (const auto& c : cuts) {
        char out[40] = {};
        EXPECT_EQ(qstringToAnsi(c.text, out, c.capacity), c.length) << c.written;
        EXPECT_EQ(std::string(out, c.written.size()), c.written);
    }
}

// Types as a keyboard would, one key per character, also beyond ASCII where QTest::keyClicks
// cannot go.
void type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void paste(QLineEdit* edit, const QString& text) {
    QApplication::clipboard()->setText(text);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

TEST(AnsiTextValidator, TextFieldTakesWindows1252AndRefusesTheRestWhole) {
    QLineEdit edit;
    edit.setValidator(new AnsiTextValidator(AnsiTextValidator::Content::AnyText, 0, &edit));
    type(&edit, QStringLiteral("Grüße 5\u20AC"));
    EXPECT_EQ(edit.text(), QStringLiteral("Grüße 5\u20AC"));

    type(&edit, QStringLiteral("\u4E2D"));
    paste(&edit, QString::fromUtf8("a\xF0\x9F\x98\x80"));
    paste(&edit, QStringLiteral("x\ny"));
    EXPECT_EQ(edit.text(), QStringLiteral("Grüße 5\u20AC"));

    paste(&edit, QStringLiteral(" ok"));
    EXPECT_EQ(edit.text(), QStringLiteral("Grüße 5\u20AC ok"));
}

TEST(AnsiTextValidator, MaximumLengthStopsTypingAndOverlongPastes) {
    QLineEdit edit;
    edit.setValidator(new AnsiTextValidator(AnsiTextValidator::Content::AnyText, 5, &edit));
    type(&edit, QStringLiteral("abcdefg"));
    EXPECT_EQ(edit.text(), QStringLiteral("abcde"));

    edit.clear();
    paste(&edit, QStringLiteral("123456"));
    EXPECT_EQ(edit.text(), QString());
    paste(&edit, QStringLiteral("äöüß€"));
    EXPECT_EQ(edit.text(), QStringLiteral("äöüß€"));
}

TEST(AnsiTextValidator, DigitsOnlyRefusesOtherCharactersButKeepsALeadingMinus) {
    QLineEdit edit;
    edit.setValidator(new AnsiTextValidator(AnsiTextValidator::Content::DigitsOnly, 0, &edit));
    type(&edit, QStringLiteral("1a2 -3.4"));
    EXPECT_EQ(edit.text(), QStringLiteral("1234"));

    // A negative value set by the program stays editable.
    edit.setText(QStringLiteral("-7"));
    QTest::keyClick(&edit, Qt::Key_End);
    type(&edit, QStringLiteral("5-"));
    EXPECT_EQ(edit.text(), QStringLiteral("-75"));
}

}  // namespace
}  // namespace toolkit::qt
