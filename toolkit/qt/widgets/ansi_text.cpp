#include "toolkit/qt/widgets/ansi_text.h"

#include <array>

#include "profile/windows_1252.h"

namespace toolkit::qt {
namespace {

constexpr char16_t charOfByte(unsigned char byte) { return profile::CharOfWindows1252Byte(byte); }

// The byte that holds the character, or -1.
int byteOfChar(char16_t c) {
    if (c == 0) return -1;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (std::size_t i = 0; i < profile::kWindows1252High.size(); ++i) {
        if (profile::kWindows1252High[i] == c) return static_cast<int>(0x80 + i);
    }
    return -1;
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

}  // namespace

QString ansiToQString(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        if (byte == 0) break;
        text.append(QChar(charOfByte(byte)));
    }
    return text;
}

bool qstringToAnsi(const QString& text, std::string* out) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        const int byte = byteOfChar(c.unicode());
        if (byte < 0) return false;
        bytes.push_back(static_cast<char>(byte));
    }
    *out = std::move(bytes);
    return true;
}

bool ansiCanHold(QChar c) { return byteOfChar(c.unicode()) >= 0; }

AnsiTextValidator::AnsiTextValidator(Content content, int maxBytes, QObject* parent)
    : QValidator(parent), content_(content), maxBytes_(maxBytes) {}

QValidator::State AnsiTextValidator::validate(QString& input, int& /*pos*/) const {
    // Every character takes one byte, so the character count is the byte count.
    if (maxBytes_ > 0 && input.size() > maxBytes_) return Invalid;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        if (!ansiCanHold(c) || c == u'\r' || c == u'\n') return Invalid;
        // A leading minus stays acceptable so that a negative value put in by the program can
        // still be edited; the digit filter is about what the user types.
        if (content_ == Content::DigitsOnly && !isDigit(c) && !(i == 0 && c == u'-')) {
            return Invalid;
        }
    }
    return Acceptable;
}

}  // namespace toolkit::qt
