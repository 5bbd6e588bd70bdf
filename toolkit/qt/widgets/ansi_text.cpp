#include "toolkit/qt/widgets/ansi_text.h"

#include <array>

namespace toolkit::qt {
namespace {

// Bytes 0x80-0x9F, the only range where Windows-1252 differs from Latin-1. The five undefined
// bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

constexpr char16_t charOfByte(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char16_t{byte};
}

// The byte that holds the character, or -1.
int byteOfChar(char16_t c) {
    if (c == 0) return -1;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) return static_cast<int>(0x80 + i);
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
