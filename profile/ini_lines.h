// How the lines of a profile file read: where a line ends, what it holds, which are headers.
// Plain functions over bytes; nothing here touches the disk or keeps anything.
//
// The platform's profile rules: CRLF, LF and a lone CR each end a line, and a NUL ends the
// content of the line it is in. Section and key names match without regard to ASCII case, blanks
// around names and values are trimmed, one pair of enclosing quotes is dropped. Only the first
// section of a name is seen, and within it the first occurrence of a key.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "profile/header_starts.h"

namespace profile {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
constexpr char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

constexpr bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

// Where the first line starts: after a UTF-8 byte-order mark, when there is one.
std::size_t FirstLine(std::string_view text);

// Where a section is: it begins at its header line (or at the first line, for the nameless
// section of entries before the first header), and its entries lie in [body, end), which ends
// where the next header begins.
struct SectionSpan {
    std::size_t begin = 0, body = 0, end = 0;
    bool headerTerminated = true;
};

// One physical line: [begin, end) is its content up to the line break, next is where the
// following line starts.
struct IniLine {
    enum Kind { kOther, kHeader, kEntry };
    Kind kind = kOther;
    std::size_t begin = 0, end = 0, next = 0;
    std::string_view name;     // the section name or the key, trimmed
    std::string_view value;    // trimmed and unquoted
    std::size_t rawValue = 0;  // where the bytes after '=' begin

    bool terminated() const { return next > end; }
    // The bytes after '=' as they stand, to the line's end: what a write compares a value with.
    std::string_view raw(std::string_view text) const {
        return text.substr(rawValue, end - rawValue);
    }
};

// The lines of [begin, end), one after the other: the lines between two headers (a section's
// entries, or those before the first header), where `end` is the end of the text or the start of
// a header line. No line there is a header, so one whose content holds a '=' is an entry.
class Lines {
  public:
    Lines(std::string_view text, std::size_t begin, std::size_t end)
        : text_(text), at_(begin), end_(end) {}
    // The entries of a section.
    Lines(std::string_view text, const SectionSpan& span) : Lines(text, span.body, span.end) {}

    bool Next(IniLine& line);

  private:
    std::string_view text_;
    std::size_t at_, end_;
};

// The first header line that begins at or after `from` (a place at or after `first`, where the
// text's first line starts). Only the '[' bytes are looked at; with `starts`, only those it finds.
std::optional<IniLine> NextHeader(std::string_view text, std::size_t from, std::size_t first,
                                  const HeaderStarts* starts = nullptr);

// Whether [at, end) holds an entry.
bool HasEntry(std::string_view text, std::size_t at, std::size_t end);
// The first entry of `key` in [body, end), and the keys there in file order.
std::optional<IniLine> FindEntry(std::string_view text, const SectionSpan& span,
                                 std::string_view key);
// The same where the section may be missing: then there is no entry.
inline std::optional<IniLine> FindEntry(std::string_view text,
                                        const std::optional<SectionSpan>& span,
                                        std::string_view key) {
    return span ? FindEntry(text, *span, key) : std::nullopt;
}
std::vector<std::string_view> KeysIn(std::string_view text, const SectionSpan& span);
// The names of every header, in file order.
std::vector<std::string_view> SectionNames(std::string_view text);

}  // namespace profile
