#include "profile/ini_text.h"

#include <cstring>

namespace profile {

namespace {

constexpr std::string_view kBreak = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// One physical line: [begin, end) is its content, next is where the following line starts.
struct Line {
    std::size_t begin = 0, end = 0, next = 0;
    bool terminated() const { return next > end; }
};

enum class Kind { kOther, kHeader, kEntry };

// What a line means. The content is cut at a NUL byte before it is looked at.
struct Parsed {
    Kind kind = Kind::kOther;
    std::string_view name;     // section name or key
    std::string_view value;    // trimmed and unquoted
    std::size_t rawValue = 0;  // offset of the byte after '=' in the file
};

class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {
        if (text_.substr(0, kUtf8Bom.size()) == kUtf8Bom) pos_ = kUtf8Bom.size();
    }

    bool Next(Line& line) {
        if (pos_ >= text_.size()) return false;
        line.begin = pos_;
        std::size_t e = text_.find_first_of(kBreak, pos_);
        if (e == std::string_view::npos) e = text_.size();
        line.end = e;
        if (e < text_.size()) {
            e += (text_[e] == '\r' && e + 1 < text_.size() && text_[e + 1] == '\n') ? 2 : 1;
        }
        line.next = pos_ = e;
        return true;
    }

    Parsed Parse(const Line& line) const {
        std::string_view content = text_.substr(line.begin, line.end - line.begin);
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

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

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

// Entries before the first header form a nameless section, but only when there are any;
// otherwise the first "[]" header is the nameless one. Reads and writes agree on this.
IniText::Match IniText::Locate(std::string_view section, std::string_view key) const {
    section = Trim(section);
    key = Trim(key);
    Match m;
    Lines lines(bytes_);
    Line line;
    bool inside = section.empty();  // provisionally, the leading region
    bool leading = true;
    while (lines.Next(line)) {
        Parsed p = lines.Parse(line);
        if (p.kind == Kind::kHeader) {
            if (m.section) {
                m.sectionEnd = line.begin;
                return m;
            }
            leading = false;
            inside = SameName(p.name, section);
            if (inside) {
                m.section = true;
                m.sectionBegin = line.begin;
                m.insertAt = line.next;
                m.insertNeedsBreak = !line.terminated();
            }
            continue;
        }
        if (!inside || p.kind != Kind::kEntry) continue;
        if (leading && !m.section) {
            m.section = true;
            m.sectionBegin = 0;
        }
        if (SameName(p.name, key)) {
            m.key = true;
            m.keyLine = line;
            m.rawValue = p.rawValue;
            m.value = p.value;
            m.sectionEnd = bytes_.size();  // not needed once the key is found
            return m;
        }
        m.insertAt = line.next;
        m.insertNeedsBreak = !line.terminated();
    }
    if (m.section) m.sectionEnd = bytes_.size();
    return m;
}

std::optional<std::string_view> IniText::Find(std::string_view section,
                                              std::string_view key) const {
    Match m = Locate(section, key);
    if (!m.key) return std::nullopt;
    return m.value;
}

std::vector<std::string_view> IniText::Keys(std::string_view section) const {
    section = Trim(section);
    std::vector<std::string_view> keys;
    Lines lines(bytes_);
    Line line;
    bool inside = section.empty(), leading = true, found = false;
    while (lines.Next(line)) {
        Parsed p = lines.Parse(line);
        if (p.kind == Kind::kHeader) {
            if (found) break;
            leading = false;
            inside = SameName(p.name, section);
            found = inside;
        } else if (inside && p.kind == Kind::kEntry) {
            found = found || leading;
            keys.push_back(p.name);
        }
    }
    return keys;
}

std::vector<std::string_view> IniText::Sections() const {
    std::vector<std::string_view> names;
    Lines lines(bytes_);
    Line line;
    while (lines.Next(line)) {
        Parsed p = lines.Parse(line);
        if (p.kind == Kind::kHeader) names.push_back(p.name);
    }
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

bool IniText::DeleteKey(std::string_view section, std::string_view key) {
    Match m = Locate(section, key);
    if (!m.key) return false;
    bytes_.erase(m.keyLine.begin, m.keyLine.next - m.keyLine.begin);
    return true;
}

bool IniText::DeleteSection(std::string_view section) {
    // A key name no entry can have, so the scan runs to the section's end.
    Match m = Locate(section, "\n");
    if (!m.section) return false;
    bytes_.erase(m.sectionBegin, m.sectionEnd - m.sectionBegin);
    return true;
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
