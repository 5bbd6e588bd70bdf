#include "tools/common/ansi_to_utf8.h"

#include "profile/windows_1252.h"

namespace tools {

namespace {

void AppendUtf8(std::string& out, char16_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string Utf8FromAnsi(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char b : ansi) {
        const auto byte = static_cast<unsigned char>(b);
        AppendUtf8(out, profile::CharOfWindows1252Byte(byte));
    }
    return out;
}

}  // namespace tools
