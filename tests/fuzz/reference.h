// Plain models of the file rules, written for obviousness, not speed: every line is classified
// first, then searched. The fuzz targets hold the real code to them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace reference {

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

inline std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

inline std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        return v.substr(1, v.size() - 2);
    return v;
}

inline bool Same(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

// The text as its lines, each classified. Views into the text, which must outlive it.
class Model {
  public:
    struct Line {
        enum Kind { kOther, kHeader, kEntry } kind = kOther;
        std::string_view name, value;
    };

    explicit Model(std::string_view text) {
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        std::size_t i = 0;
        while (i < text.size()) {
            std::size_t end = i;
            while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
            std::string_view content = text.substr(i, end - i);
            content = content.substr(0, content.find('\0'));
            i = end;
            if (text.substr(i, 2) == "\r\n")
                i += 2;
            else if (i < text.size())
                ++i;
            Line line;
            std::string_view t = Trim(content);
            if (!t.empty() && t[0] == '[' && t.find(']') != std::string_view::npos) {
                line.kind = Line::kHeader;
                line.name = Trim(t.substr(1, t.find(']') - 1));
            } else if (content.find('=') != std::string_view::npos) {
                line.kind = Line::kEntry;
                line.name = Trim(content.substr(0, content.find('=')));
                line.value = Unquote(Trim(content.substr(content.find('=') + 1)));
            }
            lines_.push_back(line);
        }
    }

    // The lines [first, last) of a section: the first section of that name, or for "" the
    // entries before the first header when there are any.
    std::optional<std::pair<std::size_t, std::size_t>> Section(std::string_view name) const {
        name = Trim(name);
        std::size_t firstHeader = 0;
        while (firstHeader < lines_.size() && lines_[firstHeader].kind != Line::kHeader)
            ++firstHeader;
        if (name.empty()) {
            for (std::size_t i = 0; i < firstHeader; ++i)
                if (lines_[i].kind == Line::kEntry)
                    return std::make_pair(std::size_t{0}, firstHeader);
        }
        for (std::size_t i = firstHeader; i < lines_.size(); ++i) {
            if (lines_[i].kind != Line::kHeader || !Same(lines_[i].name, name)) continue;
            std::size_t last = i + 1;
            while (last < lines_.size() && lines_[last].kind != Line::kHeader) ++last;
            return std::make_pair(i + 1, last);
        }
        return std::nullopt;
    }

    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const {
        auto range = Section(section);
        if (!range) return std::nullopt;
        for (std::size_t i = range->first; i < range->second; ++i)
            if (lines_[i].kind == Line::kEntry && Same(lines_[i].name, Trim(key)))
                return lines_[i].value;
        return std::nullopt;
    }

    std::vector<std::string_view> Keys(std::string_view section) const {
        std::vector<std::string_view> keys;
        if (auto range = Section(section)) {
            for (std::size_t i = range->first; i < range->second; ++i)
                if (lines_[i].kind == Line::kEntry) keys.push_back(lines_[i].name);
        }
        return keys;
    }

    std::vector<std::string_view> Sections() const {
        std::vector<std::string_view> names;
        for (const Line& line : lines_)
            if (line.kind == Line::kHeader) names.push_back(line.name);
        return names;
    }

    std::size_t EntryCount() const {
        std::size_t n = 0;
        for (const Line& line : lines_) n += line.kind == Line::kEntry;
        return n;
    }

  private:
    std::vector<Line> lines_;
};

// The C runtime's decimal conversion, wrapped to 32 bits as the platform does.
inline std::int32_t Decimal(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    std::uint64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        v = (v * 10 + (s[i] - '0')) % 4294967296u;
    if (negative) v = (4294967296u - v) % 4294967296u;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

// A dotted quad: parts between dots, empty ones skipped, the first four converted and cut to
// their low 8 bits; missing parts are 0.
inline std::vector<int> DottedQuad(std::string_view text) {
    std::vector<int> octets;
    std::string part;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '.') {
            part += text[i];
            continue;
        }
        if (!part.empty() && octets.size() < 4) octets.push_back(Decimal(part) & 0xFF);
        part.clear();
    }
    octets.resize(4, 0);
    return octets;
}

}  // namespace reference
