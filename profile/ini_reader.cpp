#include "profile/ini_reader.h"

#include <array>
#include <cstring>
#include <vector>

namespace profile {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// Where the line after a break at `at` starts: CRLF is one break.
std::size_t AfterBreak(std::string_view text, std::size_t at) {
    if (at == text.size()) return at;
    return at + (text[at] == '\r' && text.substr(at + 1, 1) == "\n" ? 2 : 1);
}

// What a byte means to where a line's parts end, one bit each, so that a line is looked at in one
// pass that tests each byte once.
enum : unsigned char { kBreak = 1, kNul = 2, kEquals = 4 };

constexpr std::array<unsigned char, 256> kByteRoles = [] {
    std::array<unsigned char, 256> roles{};
    roles['\r'] = roles['\n'] = kBreak;
    roles['\0'] = kNul;
    roles['='] = kEquals;
    return roles;
}();

// The first byte at or after `at` that has one of `roles`, or the text's end.
std::size_t Until(std::string_view text, std::size_t at, unsigned char roles) {
    while (at < text.size() && !(kByteRoles[static_cast<unsigned char>(text[at])] & roles)) ++at;
    return at;
}

// The lines of a text one after the other, from after a UTF-8 byte-order mark.
class LineReader {
  public:
    explicit LineReader(std::string_view text)
        : text_(text), at_(text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0) {}

    std::size_t at() const { return at_; }
    bool Next(IniLine& line);
    // Passes over the lines before the next one whose first byte other than a blank is '[': no
    // other line can be a header. memchr finds the candidates, so long stretches of lines that
    // no lookup wants cost little.
    void SkipToBracketLine();

  private:
    std::string_view text_;
    std::size_t at_;
};

bool LineReader::Next(IniLine& line) {
    if (at_ >= text_.size()) return false;
    const char* const s = text_.data();
    // The content ends at a NUL or the break; the first '=' before that splits an entry.
    std::size_t content = Until(text_, at_, kBreak | kNul | kEquals);
    const std::size_t equals = content < text_.size() && s[content] == '=' ? content : text_.size();
    if (equals < text_.size()) content = Until(text_, equals + 1, kBreak | kNul);
    const std::size_t lineBreak =
        content < text_.size() && s[content] == '\0' ? Until(text_, content, kBreak) : content;
    line = IniLine{};
    line.begin = at_;
    line.end = lineBreak;
    line.next = AfterBreak(text_, lineBreak);
    std::size_t open = at_;
    while (open < content && IsBlank(s[open])) ++open;
    const void* close = open < content && s[open] == '['
                            ? std::memchr(s + open + 1, ']', content - open - 1)
                            : nullptr;
    if (close) {
        line.kind = IniLine::kHeader;
        line.name =
            Trim(std::string_view(s + open + 1, static_cast<const char*>(close) - s - open - 1));
    } else if (equals < content) {
        line.kind = IniLine::kEntry;
        line.name = Trim(std::string_view(s + at_, equals - at_));
        line.value = Unquote(Trim(std::string_view(s + equals + 1, content - equals - 1)));
        line.rawValue = equals + 1;
    }
    at_ = line.next;
    return true;
}

void LineReader::SkipToBracketLine() {
    const char* const s = text_.data();
    for (std::size_t from = at_; from < text_.size();) {
        const void* hit = std::memchr(s + from, '[', text_.size() - from);
        if (!hit) break;
        const std::size_t open = static_cast<std::size_t>(static_cast<const char*>(hit) - s);
        std::size_t begin = open;
        while (begin > at_ && IsBlank(s[begin - 1])) --begin;
        if (begin == at_ || kByteRoles[static_cast<unsigned char>(s[begin - 1])] & kBreak) {
            at_ = begin;
            return;
        }
        from = open + 1;
    }
    at_ = text_.size();
}

}  // namespace

Lookups::Lookups(std::span<const Wanted> wanted) {
    wanted_.reserve(wanted.size());
    for (const Wanted& w : wanted) wanted_.push_back({Trim(w.section), Trim(w.key)});
    twinned_.assign(wanted_.size(), 0);
    for (std::size_t i = 0; i < wanted_.size(); ++i) {
        for (std::size_t j = i + 1; j < wanted_.size(); ++j) {
            if (SameName(wanted_[i].key, wanted_[j].key) &&
                SameName(wanted_[i].section, wanted_[j].section))
                twinned_[i] = twinned_[j] = 1;
        }
    }
}

void FindAll(std::string_view text, const Lookups& lookups, std::span<Found> found) {
    const std::vector<Wanted>& wanted = lookups.wanted_;
    for (Found& f : found) f = Found{};
    // Each lookup waits for its section, is open while the lines are in it, and is done after.
    std::vector<char> waits(wanted.size(), 1);
    std::size_t waiting = wanted.size();
    std::vector<std::size_t> open;  // the lookups of the section the lines are in
    std::size_t unfound = 0;        // open[unfound] is the first of them without an entry yet

    LineReader lines(text);
    SectionSpan span{0, lines.at(), text.size(), lines.at(), false};
    bool leading = true, hasEntries = false;
    const auto openSection = [&](std::string_view name) {
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if (waits[i] && SameName(wanted[i].section, name)) {
                waits[i] = 0;
                --waiting;
                open.push_back(i);
            }
        }
    };
    // Without entries of its own, the nameless section is the first "[]" header's: its lookups
    // wait for that.
    const auto closeSection = [&] {
        const bool keepWaiting = leading && !hasEntries;
        for (std::size_t i : open) {
            if (keepWaiting)
                waits[i] = 1;
            else
                found[i].section = span;
        }
        if (keepWaiting) waiting += open.size();
        open.clear();
        unfound = 0;
    };
    openSection({});  // the entries before the first header
    for (IniLine line; !open.empty() || waiting > 0;) {
        // Between the sections asked for only the headers matter, and after them nothing.
        if (open.empty()) lines.SkipToBracketLine();
        if (!lines.Next(line)) break;
        if (line.kind == IniLine::kHeader) {
            span.end = line.begin;
            closeSection();
            span = SectionSpan{line.begin, line.next, text.size(), line.next, !line.terminated()};
            leading = hasEntries = false;
            openSection(line.name);
            continue;
        }
        if (line.kind != IniLine::kEntry) continue;
        hasEntries = true;
        span.insertAt = line.next;
        span.insertNeedsBreak = !line.terminated();
        // Only a key's first entry counts: it is given to every lookup of the key still open.
        // The lookups are mostly asked in the order the keys stand in, so the first is usually it.
        for (std::size_t k = unfound; k < open.size(); ++k) {
            const std::size_t i = open[k];
            if (found[i].entry || !SameName(wanted[i].key, line.name)) continue;
            found[i].entry = line;
            while (unfound < open.size() && found[open[unfound]].entry) ++unfound;
            if (!lookups.twinned_[i]) break;
        }
    }
    span.end = text.size();
    closeSection();
}

std::optional<std::string_view> FindValue(std::string_view text, std::string_view section,
                                          std::string_view key) {
    const Wanted wanted{section, key};
    Found found;
    FindAll(text, Lookups({&wanted, 1}), {&found, 1});
    return found.entry ? std::optional(found.entry->value) : std::nullopt;
}

}  // namespace profile
