// How the lines of a profile file read, and the one way entries are found in them. Plain
// functions over bytes; nothing here touches the disk or keeps anything.
//
// The platform's profile rules: CRLF, LF and a lone CR each end a line, and a NUL ends the
// content of the line it is in. A line whose first byte other than a blank is '[' and which holds
// a ']' is a header; any other line holding a '=' is an entry. Section and key names match
// without regard to ASCII case, blanks around names and values are trimmed, one pair of enclosing
// quotes is dropped. Only the first section of a name is seen, and within it the first
// occurrence of a key. Entries before the first header form a nameless section when there are
// any; otherwise the first "[]" header is the nameless one.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

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

// Where a found section is: its header line begins at `begin` (0 for the nameless entries before
// the first header), its entries lie in [body, end), and a new key goes at `insertAt`, after its
// last entry or its header, with a line break first when that line has none.
struct SectionSpan {
    std::size_t begin = 0, body = 0, end = 0, insertAt = 0;
    bool insertNeedsBreak = false;
};

// What a lookup asks for, names as the caller gives them (they are trimmed here).
struct Wanted {
    std::string_view section, key;
};

// What it found: the key's first entry in the first section of that name, and that section.
struct Found {
    std::optional<IniLine> entry;
    std::optional<SectionSpan> section;
};

// Lookups to make together, their names trimmed once. The names must stay as they are while it
// is used.
class Lookups {
  public:
    explicit Lookups(std::span<const Wanted> wanted);

  private:
    friend void FindAll(std::string_view, const Lookups&, std::span<Found>);
    std::vector<Wanted> wanted_;
    // Whether another lookup asks for the same section and key: an entry that fills a lookup
    // without one is done with the lookups.
    std::vector<char> twinned_;
};

// Answers every lookup in one pass over the text, found[i] for the i-th: the first header of a
// section opens the lookups of that section, and an entry fills the open lookups of its key that
// have none yet. The lines after the last section asked for are not read.
void FindAll(std::string_view text, const Lookups& lookups, std::span<Found> found);

// One key's value, or nothing when the section or the key is missing. An entry "Key=" gives an
// empty value, which is not the same as missing.
std::optional<std::string_view> FindValue(std::string_view text, std::string_view section,
                                          std::string_view key);

}  // namespace profile
