#include "profile/ini_text.h"

#include <cstring>

namespace profile {

namespace {

constexpr std::string_view kBreak = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
bool IsBreak(char c) { return c == '\r' || c == '\n'; }
char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

std::uint32_t FoldedHash(std::string_view name) {
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (char c : name) h = (h ^ static_cast<unsigned char>(Fold(c))) * 16777619u;
    return h;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// Where the first line starts: after a UTF-8 byte-order mark, when there is one.
std::size_t FirstLine(std::string_view text) {
    return text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
}

// One physical line: [begin, end) is its content, next is where the following line starts.
struct Line {
    std::size_t begin = 0, end = 0, next = 0;
    bool terminated() const { return next > end; }
};

// The line that starts at `begin`. CRLF, LF and a lone CR each end a line.
Line LineAt(std::string_view text, std::size_t begin) {
    Line line;
    line.begin = begin;
    std::size_t e = begin;
    while (e < text.size() && !IsBreak(text[e])) ++e;
    line.end = e;
    if (e < text.size())
        e += (text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n') ? 2 : 1;
    line.next = e;
    return line;
}

enum class Kind { kOther, kHeader, kEntry };

// What a line means. The content is cut at a NUL byte before it is looked at.
struct Parsed {
    Kind kind = Kind::kOther;
    std::string_view name;     // section name or key
    std::string_view value;    // trimmed and unquoted
    std::size_t rawValue = 0;  // offset of the byte after '=' in the file
};

Parsed Parse(std::string_view text, const Line& line) {
    std::string_view content = text.substr(line.begin, line.end - line.begin);
    if (const void* nul = std::memchr(content.data(), '\0', content.size()))
        content = content.substr(0, static_cast<const char*>(nul) - content.data());
    Parsed p;
    std::string_view t = Trim(content);
    if (!t.empty() && t.front() == '[') {
        std::size_t close = t.find(']');
        if (close != std::string_view::npos) {
            p.kind = Kind::kHeader;
            p.name = Trim(t.substr(1, close - 1));
            return p;
        }
    }
    std::size_t eq = content.find('=');
    if (eq == std::string_view::npos) return p;
    p.kind = Kind::kEntry;
    p.name = Trim(content.substr(0, eq));
    p.value = Unquote(Trim(content.substr(eq + 1)));
    p.rawValue = line.begin + eq + 1;
    return p;
}

struct Header {
    Line line;
    std::string_view name;
};

// The header lines of a text in order, found without parsing every line: a line is a header
// when its first byte other than a blank is '[' and a ']' follows before a NUL or the line's
// end, so only the '[' bytes need a look.
class Headers {
  public:
    explicit Headers(std::string_view text) : text_(text), first_(FirstLine(text)), pos_(first_) {}

    bool Next(Header& header) {
        const std::size_t size = text_.size();
        while (pos_ < size) {
            const void* hit = std::memchr(text_.data() + pos_, '[', size - pos_);
            if (!hit) break;
            const std::size_t open =
                static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data());
            pos_ = open + 1;
            std::size_t begin = open;
            while (begin > first_ && IsBlank(text_[begin - 1])) --begin;
            if (begin > first_ && !IsBreak(text_[begin - 1])) continue;
            std::size_t close = open + 1;
            while (close < size && text_[close] != ']' && text_[close] != '\0' &&
                   !IsBreak(text_[close]))
                ++close;
            if (close == size || text_[close] != ']') {
                pos_ = close;  // no other '[' of this line can open a header
                continue;
            }
            header.line = LineAt(text_, begin);
            header.name = Trim(text_.substr(open + 1, close - open - 1));
            pos_ = header.line.next;
            return true;
        }
        pos_ = size;
        return false;
    }

  private:
    std::string_view text_;
    std::size_t first_, pos_;
};

bool HasEntry(std::string_view text, std::size_t begin, std::size_t end) {
    for (std::size_t at = begin; at < end;) {
        const Line line = LineAt(text, at);
        if (Parse(text, line).kind == Kind::kEntry) return true;
        at = line.next;
    }
    return false;
}

// Where a section is: it starts at its header line (or at the start of the file for the
// nameless section of entries before the first header) and its entries lie in [bodyBegin,
// bodyEnd), which ends where the next header starts.
struct SectionSpan {
    bool found = false;
    std::size_t begin = 0, bodyBegin = 0, bodyEnd = 0;
    bool headerTerminated = true;
};

// Entries before the first header form a nameless section, but only when there are any;
// otherwise the first "[]" header is the nameless one. Reads and writes agree on this.
SectionSpan FindSection(std::string_view text, std::string_view name) {
    Headers headers(text);
    Header header;
    bool more = headers.Next(header);
    if (name.empty()) {
        const std::size_t end = more ? header.line.begin : text.size();
        if (HasEntry(text, FirstLine(text), end)) return {true, 0, FirstLine(text), end, true};
    }
    for (; more; more = headers.Next(header)) {
        if (!SameName(header.name, name)) continue;
        SectionSpan span{true, header.line.begin, header.line.next, text.size(),
                         header.line.terminated()};
        if (headers.Next(header)) span.bodyEnd = header.line.begin;
        return span;
    }
    return {};
}

}  // namespace

// Where a section and a key are, found in one pass that stops as early as it can.
struct IniText::Match {
    bool section = false;
    std::size_t sectionBegin = 0, sectionEnd = 0;
    // Where a new key goes: after the section's last entry, or after its header.
    std::size_t insertAt = 0;
    bool insertNeedsBreak = false;
    bool key = false;
    Line keyLine;
    std::size_t rawValue = 0;
    std::string_view value;
};

IniText::Match IniText::Locate(std::string_view section, std::string_view key) const {
    key = Trim(key);
    Match m;
    const SectionSpan span = FindSection(bytes_, Trim(section));
    if (!span.found) return m;
    m.section = true;
    m.sectionBegin = span.begin;
    m.sectionEnd = span.bodyEnd;
    m.insertAt = span.bodyBegin;
    m.insertNeedsBreak = !span.headerTerminated;
    for (std::size_t at = span.bodyBegin; at < span.bodyEnd;) {
        const Line line = LineAt(bytes_, at);
        at = line.next;
        const Parsed p = Parse(bytes_, line);
        if (p.kind != Kind::kEntry) continue;
        if (SameName(p.name, key)) {
            m.key = true;
            m.keyLine = line;
            m.rawValue = p.rawValue;
            m.value = p.value;
            return m;
        }
        m.insertAt = line.next;
        m.insertNeedsBreak = !line.terminated();
    }
    return m;
}

std::optional<std::string_view> IniText::Find(std::string_view section,
                                              std::string_view key) const {
    Match m = Locate(section, key);
    if (!m.key) return std::nullopt;
    return m.value;
}

std::vector<std::string_view> IniText::Keys(std::string_view section) const {
    std::vector<std::string_view> keys;
    const SectionSpan span = FindSection(bytes_, Trim(section));
    for (std::size_t at = span.bodyBegin; at < span.bodyEnd;) {
        const Line line = LineAt(bytes_, at);
        at = line.next;
        const Parsed p = Parse(bytes_, line);
        if (p.kind == Kind::kEntry) keys.push_back(p.name);
    }
    return keys;
}

std::vector<std::string_view> IniText::Sections() const {
    std::vector<std::string_view> names;
    Headers headers(bytes_);
    for (Header header; headers.Next(header);) names.push_back(header.name);
    return names;
}

bool IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    Match m = Locate(section, key);
    if (m.key) {
        std::size_t rawLength = m.keyLine.end - m.rawValue;
        if (std::string_view(bytes_).substr(m.rawValue, rawLength) == value) return false;
        bytes_.replace(m.rawValue, rawLength, value);
        return true;
    }
    std::string entry;
    entry.reserve(key.size() + value.size() + 4);
    entry.append(Trim(key)).append("=").append(value).append(kBreak);
    if (m.section) {
        if (m.insertNeedsBreak) entry.insert(0, kBreak);
        bytes_.insert(m.insertAt, entry);
        return true;
    }
    if (!bytes_.empty() && bytes_.back() != '\n' && bytes_.back() != '\r') bytes_.append(kBreak);
    bytes_.append("[").append(Trim(section)).append("]").append(kBreak).append(entry);
    return true;
}

namespace {

// Removes whole lines [begin, end). A byte-order mark that the removal would bring to the very
// start of the file would count as one there, and the name after it would change; an empty line
// stays before it instead.
void EraseLines(std::string& bytes, std::size_t begin, std::size_t end) {
    const bool markComesFirst =
        begin == 0 && std::string_view(bytes).substr(end, kUtf8Bom.size()) == kUtf8Bom;
    bytes.replace(begin, end - begin, markComesFirst ? kBreak : std::string_view());
}

}  // namespace

bool IniText::DeleteKey(std::string_view section, std::string_view key) {
    Match m = Locate(section, key);
    if (!m.key) return false;
    EraseLines(bytes_, m.keyLine.begin, m.keyLine.next);
    return true;
}

bool IniText::DeleteSection(std::string_view section) {
    const SectionSpan span = FindSection(bytes_, Trim(section));
    if (!span.found) return false;
    EraseLines(bytes_, span.begin, span.bodyEnd);
    return true;
}

void IniIndex::Names::Build() {
    slots.clear();
    if (names.size() <= 8) return;  // a plain look through a few names is quicker
    std::size_t capacity = 16;
    while (capacity < 2 * names.size()) capacity *= 2;
    slots.assign(capacity, 0);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::uint64_t hash = FoldedHash(names[i]);
        for (std::size_t s = hash & (capacity - 1);; s = (s + 1) & (capacity - 1)) {
            if (slots[s] == 0) {
                slots[s] = hash << 32 | (i + 1);
                break;
            }
            // A later repeat of a name is never reached: lookups see the first.
            if (slots[s] >> 32 == hash && SameName(names[(slots[s] & 0xFFFFFFFFu) - 1], names[i]))
                break;
        }
    }
}

std::optional<std::size_t> IniIndex::Names::First(std::string_view name) const {
    if (slots.empty()) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (SameName(names[i], name)) return i;
        }
        return std::nullopt;
    }
    const std::uint64_t hash = FoldedHash(name);
    for (std::size_t s = hash & (slots.size() - 1);; s = (s + 1) & (slots.size() - 1)) {
        if (slots[s] == 0) return std::nullopt;
        const std::size_t i = (slots[s] & 0xFFFFFFFFu) - 1;
        if (slots[s] >> 32 == hash && SameName(names[i], name)) return i;
    }
}

IniIndex::IniIndex(std::string bytes) : bytes_(std::move(bytes)) {
    Headers headers(bytes_);
    for (Header header; headers.Next(header);) {
        sections_.names.push_back(header.name);
        headerBegin_.push_back(header.line.begin);
        bodyBegin_.push_back(header.line.next);
    }
    sections_.Build();
}

std::optional<std::size_t> IniIndex::SectionOf(std::string_view name) {
    name = Trim(name);
    if (name.empty()) {
        if (!leadingHasEntries_) {
            const std::size_t end = headerBegin_.empty() ? bytes_.size() : headerBegin_.front();
            leadingHasEntries_ = HasEntry(bytes_, FirstLine(bytes_), end);
        }
        if (*leadingHasEntries_) return kLeading;
    }
    return sections_.First(name);
}

const IniIndex::Entries& IniIndex::EntriesOf(std::size_t section) {
    for (const Entries& entries : parsed_) {
        if (entries.section == section) return entries;
    }
    Entries& entries = parsed_.emplace_back();
    entries.section = section;
    std::size_t begin = FirstLine(bytes_);
    std::size_t end = headerBegin_.empty() ? bytes_.size() : headerBegin_.front();
    if (section != kLeading) {
        begin = bodyBegin_[section];
        end = section + 1 < headerBegin_.size() ? headerBegin_[section + 1] : bytes_.size();
    }
    for (std::size_t at = begin; at < end;) {
        const Line line = LineAt(bytes_, at);
        at = line.next;
        const Parsed p = Parse(bytes_, line);
        if (p.kind != Kind::kEntry) continue;
        entries.keys.names.push_back(p.name);
        entries.values.push_back(p.value);
        entries.rawValues.push_back(
            std::string_view(bytes_).substr(p.rawValue, line.end - p.rawValue));
    }
    entries.keys.Build();
    return entries;
}

std::optional<std::string_view> IniIndex::Find(std::string_view section, std::string_view key) {
    const std::optional<std::size_t> at = SectionOf(section);
    if (!at) return std::nullopt;
    const Entries& entries = EntriesOf(*at);
    const std::optional<std::size_t> i = entries.keys.First(Trim(key));
    if (!i) return std::nullopt;
    return entries.values[*i];
}

std::optional<std::string_view> IniIndex::FindRaw(std::string_view section, std::string_view key) {
    const std::optional<std::size_t> at = SectionOf(section);
    if (!at) return std::nullopt;
    const Entries& entries = EntriesOf(*at);
    const std::optional<std::size_t> i = entries.keys.First(Trim(key));
    if (!i) return std::nullopt;
    return entries.rawValues[*i];
}

std::vector<std::string_view> IniIndex::Keys(std::string_view section) {
    const std::optional<std::size_t> at = SectionOf(section);
    if (!at) return {};
    return EntriesOf(*at).keys.names;
}

namespace {
bool HasLineBreak(std::string_view s) { return s.find_first_of(kBreak) != std::string_view::npos; }
}  // namespace

bool IsWritableSection(std::string_view section) {
    return !HasLineBreak(section) && section.find(']') == std::string_view::npos;
}

bool IsWritableKey(std::string_view key) {
    std::string_view t = Trim(key);
    return !HasLineBreak(key) && key.find('=') == std::string_view::npos &&
           (t.empty() || t.front() != '[');
}

bool IsWritableValue(std::string_view value) { return !HasLineBreak(value); }

}  // namespace profile
