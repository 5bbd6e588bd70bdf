#include "toolkit/qt/widgets/ansi_text.h"

#include <algorithm>
#include <array>

#include "profile/windows_1252.h"

namespace toolkit::qt {
namespace {

// A look-up without a branch: text comes in a byte at a time, at every tooltip and caption.
constexpr std::array<char16_t, 256> kCharOfByte = [] {
    std::array<char16_t, 256> chars{};
    for (int byte = 0; byte < 256; ++byte) {
        chars[byte] = profile::CharOfWindows1252Byte(static_cast<unsigned char>(byte));
    }
    return chars;
}();

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
    const std::size_t length = std::min(bytes.size(), bytes.find('\0'));
    if (length == 0) return QString();
    // Written in place: appending a character at a time was half of a lamp refresh's own work.
    QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::size_t i = 0; i < length; ++i) {
        out[i] = QChar(kCharOfByte[static_cast<unsigned char>(bytes[i])]);
    }
    return text;
}

bool ansiEquals(const QString& text, std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    if (static_cast<std::size_t>(text.size()) != bytes.size()) return false;
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
    // Where a byte is its own character (all but 0x80-0x9F), a pass the compiler can vectorise.
    char16_t differ = 0;
    unsigned char bits = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        differ |= static_cast<char16_t>(chars[i] ^ byte);
        bits |= byte;
    }
    if (bits < 0x80) return differ == 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (chars[i] != kCharOfByte[static_cast<unsigned char>(bytes[i])]) return false;
    }
    return true;
}

int qstringToAnsi(const QString& text, char* out, std::size_t capacity) {
    const auto* chars = reinterpret_cast<const char16_t*>(text.constData());
    const auto size = static_cast<std::size_t>(text.size());
    // Plain ASCII, as captions mostly are, narrows in a pass the compiler can vectorise.
    char16_t bits = 0;
    char16_t least = 0xFFFF;  // a NUL would end the text
    for (std::size_t i = 0; i < size; ++i) {
        bits |= chars[i];
        least = std::min(least, chars[i]);
    }
    if (bits < 0x80 && least != 0) {
        std::copy_n(chars, std::min(size, capacity), out);
        return static_cast<int>(size);
    }
    std::size_t written = 0;
    for (QChar c : text) {
        const int byte = byteOfChar(c.unicode());
        if (byte < 0) return -1;
        if (written < capacity) out[written] = static_cast<char>(byte);
        ++written;
    }
    return static_cast<int>(written);
}

bool qstringToAnsi(const QString& text, std::string* out) {
    std::string bytes(static_cast<std::size_t>(text.size()), '\0');
    if (qstringToAnsi(text, bytes.data(), bytes.size()) < 0) return false;
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
