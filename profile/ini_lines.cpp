#include "profile/ini_lines.h"

#include <array>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace profile {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// What a byte means to where a line's parts end, one bit each, so that a loop over a line tests
// each byte once.
enum : unsigned char { kBreak = 1, kNul = 2, kEquals = 4, kClose = 8 };

constexpr std::array<unsigned char, 256> kByteRoles = [] {
    std::array<unsigned char, 256> roles{};
    roles['\r'] = roles['\n'] = kBreak;
    roles['\0'] = kNul;
    roles['='] = kEquals;
    roles[']'] = kClose;
    return roles;
}();

// The first byte at or after `at` that has one of `roles`, or `size`. Where the processor has
// SSE2, sixteen bytes are looked at together: a byte loop costs more than the rest of a line's
// reading.
inline std::size_t Until(const char* text, std::size_t at, std::size_t size, unsigned char roles) {
#ifdef __SSE2__
    for (; at + 16 <= size; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const auto is = [&](char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
        __m128i stops = _mm_setzero_si128();
        if (roles & kBreak) stops = _mm_or_si128(stops, _mm_or_si128(is('\r'), is('\n')));
        if (roles & kNul) stops = _mm_or_si128(stops, is('\0'));
        if (roles & kEquals) stops = _mm_or_si128(stops, is('='));
        if (roles & kClose) stops = _mm_or_si128(stops, is(']'));
        if (const int bits = _mm_movemask_epi8(stops))
            return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(bits)));
    }
#endif
    while (at < size && !(kByteRoles[static_cast<unsigned char>(text[at])] & roles)) ++at;
    return at;
}

// Where the line after the break at `end` starts.
std::size_t AfterBreak(std::string_view text, std::size_t end) {
    if (end == text.size()) return end;
    return end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
}

}  // namespace

std::size_t FirstLine(std::string_view text) {
    return text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
}

bool Lines::Next(IniLine& line) {
    if (at_ >= end_) return false;
    const char* const s = text_.data();
    const std::size_t size = text_.size();
    line.begin = at_;
    // The content ends at a NUL or the break; the first '=' before that splits an entry.
    std::size_t at = Until(s, at_, size, kBreak | kNul | kEquals);
    if (at < size && s[at] == '=') {
        const std::size_t equals = at;
        at = Until(s, at + 1, size, kBreak | kNul);
        line.kind = IniLine::kEntry;
        line.name = Trim(std::string_view(s + line.begin, equals - line.begin));
        line.value = Unquote(Trim(std::string_view(s + equals + 1, at - equals - 1)));
        line.rawValue = equals + 1;
    } else {
        line.kind = IniLine::kOther;
        line.name = line.value = {};
        line.rawValue = 0;
    }
    line.end = at < size && s[at] == '\0' ? Until(s, at, size, kBreak) : at;
    line.next = AfterBreak(text_, line.end);
    at_ = line.next;
    return true;
}

std::optional<IniLine> NextHeader(std::string_view text, std::size_t from, std::size_t first,
                                  const HeaderStarts* starts) {
    const char* const s = text.data();
    const std::size_t size = text.size();
    while (from < size) {
        std::size_t open = size;
        if (starts) {
            open = starts->Next(s, from, size);
        } else if (const void* hit = std::memchr(s + from, '[', size - from)) {
            open = static_cast<std::size_t>(static_cast<const char*>(hit) - s);
        }
        if (open == size) break;
        from = open + 1;
        // A header's '[' is the first byte of its line other than a blank.
        std::size_t begin = open;
        while (begin > first && IsBlank(s[begin - 1])) --begin;
        if (begin > first && !(kByteRoles[static_cast<unsigned char>(s[begin - 1])] & kBreak))
            continue;
        const std::size_t close = Until(s, open + 1, size, kClose | kNul | kBreak);
        if (close == size || s[close] != ']') {
            from = close;  // no other '[' of this line can open a header
            continue;
        }
        IniLine header;
        header.kind = IniLine::kHeader;
        header.begin = begin;
        header.end = Until(s, close + 1, size, kBreak);
        header.next = AfterBreak(text, header.end);
        header.name = Trim(text.substr(open + 1, close - open - 1));
        return header;
    }
    return std::nullopt;
}

bool HasEntry(std::string_view text, std::size_t at, std::size_t end) {
    Lines lines(text, at, end);
    for (IniLine line; lines.Next(line);) {
        if (line.kind == IniLine::kEntry) return true;
    }
    return false;
}

std::optional<IniLine> FindEntry(std::string_view text, const SectionSpan& span,
                                 std::string_view key) {
    key = Trim(key);
    Lines lines(text, span);
    for (IniLine line; lines.Next(line);) {
        if (line.kind == IniLine::kEntry && SameName(line.name, key)) return line;
    }
    return std::nullopt;
}

std::vector<std::string_view> KeysIn(std::string_view text, const SectionSpan& span) {
    std::vector<std::string_view> keys;
    Lines lines(text, span);
    for (IniLine line; lines.Next(line);) {
        if (line.kind == IniLine::kEntry) keys.push_back(line.name);
    }
    return keys;
}

std::vector<std::string_view> SectionNames(std::string_view text) {
    std::vector<std::string_view> names;
    const std::size_t first = FirstLine(text);
    for (auto header = NextHeader(text, first, first); header;
         header = NextHeader(text, header->next, first))
        names.push_back(header->name);
    return names;
}

}  // namespace profile
