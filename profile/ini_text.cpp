#include "profile/ini_text.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define MIRELKO_HAVE_AVX2_PATH 1
#endif

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

// The first ']', NUL, CR or LF at or after `from`, or `size`: where a section name ends.
std::size_t NameEnd(const char* text, std::size_t from, std::size_t size) {
#if defined(__SSE2__)
    // Sixteen bytes at a time: names are short, and a loop over their bytes mispredicts its end.
    for (; from + 16 <= size; from += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from));
        const __m128i ends =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(']')),
                                      _mm_cmpeq_epi8(v, _mm_setzero_si128())),
                         _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                      _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
        if (const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(ends)))
            return from + static_cast<std::size_t>(__builtin_ctz(bits));
    }
#endif
    while (from < size && text[from] != ']' && text[from] != '\0' && !IsBreak(text[from])) ++from;
    return from;
}

}  // namespace

// The bytes that may follow the '[' of a wanted header: blanks, the first letter of a wanted
// name in either case, and ']' when the nameless section is wanted.
struct IniIndex::Starts {
    bool table[256] = {};
    // The same, coarser, for looking at many bytes at once: a byte b may follow when (b | 0x20)
    // is one of `folded`, or b <= 0x20. Only when there are at most two such values.
    unsigned char folded[2] = {};
    int foldedCount = 0;

    void Add(unsigned char c) {
        table[c] = true;
        const unsigned char f = static_cast<unsigned char>(c | 0x20);
        if (c <= 0x20 || std::find(folded, folded + std::min(foldedCount, 2), f) !=
                             folded + std::min(foldedCount, 2))
            return;
        if (foldedCount < 2) folded[foldedCount] = f;
        ++foldedCount;
    }
};

namespace {

using Starts = IniIndex::Starts;

// Where a '[' that may open a wanted header is: the first '[' at or after `from` followed by a
// byte that `starts` allows, or `size`.
std::size_t PlainCandidate(const char* text, std::size_t from, std::size_t size,
                           const Starts& starts) {
    while (from < size) {
        const void* hit = std::memchr(text + from, '[', size - from);
        if (!hit) return size;
        const std::size_t open = static_cast<std::size_t>(static_cast<const char*>(hit) - text);
        if (open + 1 < size && starts.table[static_cast<unsigned char>(text[open + 1])])
            return open;
        from = open + 1;
    }
    return size;
}

#ifdef MIRELKO_HAVE_AVX2_PATH
// The same, 32 bytes at a time without a branch for each '[' passed over: in a long file of
// other sections the '[' bytes are many, and a branch for each of them mispredicts.
__attribute__((target("avx2"))) std::size_t Avx2Candidate(const char* text, std::size_t from,
                                                          std::size_t size,
                                                          const Starts& starts) {
    const __m256i open = _mm256_set1_epi8('[');
    const __m256i space = _mm256_set1_epi8(0x20);
    const __m256i first = _mm256_set1_epi8(static_cast<char>(starts.folded[0]));
    const __m256i second =
        _mm256_set1_epi8(static_cast<char>(starts.folded[starts.foldedCount > 1 ? 1 : 0]));
    for (; from + 33 <= size; from += 32) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + from));
        const __m256i next =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + from + 1));
        const __m256i folded = _mm256_or_si256(next, space);
        const __m256i allowed = _mm256_or_si256(
            _mm256_or_si256(_mm256_cmpeq_epi8(folded, first), _mm256_cmpeq_epi8(folded, second)),
            _mm256_cmpeq_epi8(_mm256_min_epu8(next, space), next));
        const __m256i hits = _mm256_and_si256(_mm256_cmpeq_epi8(here, open), allowed);
        if (!_mm256_testz_si256(hits, hits)) {
            const auto bits = static_cast<unsigned>(_mm256_movemask_epi8(hits));
            const std::size_t at = from + static_cast<std::size_t>(__builtin_ctz(bits));
            if (starts.table[static_cast<unsigned char>(text[at + 1])]) return at;
            from = at + 1 - 32;  // on after this one
        }
    }
    return PlainCandidate(text, from, size, starts);
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

std::size_t Candidate(const char* text, std::size_t from, std::size_t size, const Starts& starts) {
#ifdef MIRELKO_HAVE_AVX2_PATH
    if (starts.foldedCount <= 2 && HasAvx2()) return Avx2Candidate(text, from, size, starts);
#endif
    return PlainCandidate(text, from, size, starts);
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
    explicit Headers(std::string_view text) : Headers(text, FirstLine(text)) {}
    Headers(std::string_view text, std::size_t first) : text_(text), first_(first), pos_(first) {}

    // The same text, longer now and perhaps elsewhere in memory. Until the text is complete it
    // must end with a line feed, so that every line looked at has its end.
    void Extend(std::string_view text) { text_ = text; }

    // The next header; with `starts`, only one whose first byte after '[' is marked there: the
    // others are passed over without a look at their lines.
    bool Next(Header& header, const Starts* starts = nullptr) {
        const char* const text = text_.data();
        const std::size_t size = text_.size();
        while (pos_ < size) {
            std::size_t open;
            if (starts) {
                open = Candidate(text, pos_, size, *starts);
                if (open == size) break;
            } else {
                const void* hit = std::memchr(text + pos_, '[', size - pos_);
                if (!hit) break;
                open = static_cast<std::size_t>(static_cast<const char*>(hit) - text);
            }
            std::size_t begin = open;
            while (begin > first_ && IsBlank(text[begin - 1])) --begin;
            if (begin > first_ && !IsBreak(text[begin - 1])) {
                pos_ = open + 1;
                continue;
            }
            const std::size_t close = NameEnd(text, open + 1, size);
            if (close == size || text[close] != ']') {
                pos_ = close;  // no other '[' of this line can open a header
                continue;
            }
            // Nothing from the line's start to ']' ends it: only the rest needs a look.
            std::size_t end = close + 1;
            while (end < size && !IsBreak(text[end])) ++end;
            header.line.begin = begin;
            header.line.end = end;
            header.line.next =
                end == size ? end
                            : end + ((text[end] == '\r' && end + 1 < size && text[end + 1] == '\n') ? 2 : 1);
            header.name = Trim(std::string_view(text + open + 1, close - open - 1));
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

void IniIndex::NameTable::Build(const std::string_view* names, std::size_t count) {
    slots.clear();
    if (count <= 8) return;  // a plain look through a few names is quicker
    std::size_t capacity = 16;
    while (capacity < 2 * count) capacity *= 2;
    slots.assign(capacity, 0);
    for (std::size_t i = 0; i < count; ++i) {
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

std::optional<std::size_t> IniIndex::NameTable::First(const std::string_view* names,
                                                      std::size_t count,
                                                      std::string_view name) const {
    if (slots.empty()) {
        for (std::size_t i = 0; i < count; ++i) {
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

namespace {

// Only the shape of a name, to pass over most headers without comparing their names.
std::size_t ShapeOf(std::string_view name) {
    const std::size_t first = name.empty() ? 0 : static_cast<unsigned char>(Fold(name.front()));
    return (name.size() & 31) << 5 | (first & 31);
}

}  // namespace

class IniIndex::Scanner : public Headers {
    using Headers::Headers;
};

IniIndex::IniIndex(std::string bytes) : owned_(std::move(bytes)), text_(owned_) {}

IniIndex::IniIndex(TextBuffer memory, std::vector<std::string> wanted)
    : memory_(std::move(memory)), wantedStarts_(std::make_unique<Starts>()) {
    wanted_.reserve(wanted.size());
    for (std::string& name : wanted) {
        Wanted& w = wanted_.emplace_back();
        w.name = Trim(name);
        const std::size_t shape = ShapeOf(w.name);
        wantedShapes_[shape >> 6] |= std::uint64_t{1} << (shape & 63);
        if (w.name.empty()) {
            wantedStarts_->Add(']');
        } else {
            const char c = Fold(w.name.front());
            wantedStarts_->Add(static_cast<unsigned char>(c));
            if (c >= 'a' && c <= 'z') wantedStarts_->Add(static_cast<unsigned char>(c - 'a' + 'A'));
        }
    }
    for (char blank : {' ', '\t', '\v', '\f'}) wantedStarts_->Add(static_cast<unsigned char>(blank));
    wantedLeft_ = wanted_.size();
}

IniIndex::~IniIndex() = default;

TextBuffer IniIndex::TakeMemory() {
    text_ = {};
    return std::move(memory_);
}

void IniIndex::ResetScan() {
    scanner_.reset();
    scannedTo_ = 0;
    firstHeader_ = kOpen;
    wantedLeft_ = wanted_.size();
    wantedOpen_ = false;
    for (Wanted& w : wanted_) w = Wanted{std::move(w.name)};
    indexed_ = false;
    sectionNames_.clear();
    sectionTable_ = {};
    headerBegin_.clear();
    bodyBegin_.clear();
    leadingHasEntries_.reset();
    parsed_.clear();
    keyNames_.clear();
    values_.clear();
    rawValues_.clear();
}

// The headers up to `limit`, each checked against the wanted names, until all are found and the
// header after the last of them.
void IniIndex::Scan(std::size_t limit) {
    if (wantedLeft_ == 0 && !wantedOpen_) return;
    if (!scanner_) scanner_ = std::make_unique<Scanner>(text_, FirstLine(text_));
    scanner_->Extend(text_.substr(0, limit));
    // Once the first header is known, and while no wanted section waits for its end, only a
    // header that can start with a wanted name matters.
    for (Header header; (wantedLeft_ > 0 || wantedOpen_) &&
                        scanner_->Next(header, firstHeader_ == kOpen || wantedOpen_
                                                   ? nullptr
                                                   : wantedStarts_.get());) {
        if (firstHeader_ == kOpen) firstHeader_ = header.line.begin;
        if (wantedOpen_) {
            for (Wanted& w : wanted_) {
                if (w.found && w.end == kOpen) w.end = header.line.begin;
            }
            wantedOpen_ = false;
        }
        const std::size_t shape = ShapeOf(header.name);
        if ((wantedShapes_[shape >> 6] >> (shape & 63) & 1) == 0) continue;
        for (Wanted& w : wanted_) {
            if (w.found || !SameName(w.name, header.name)) continue;
            w.found = true;
            w.begin = header.line.next;
            wantedOpen_ = true;
            --wantedLeft_;
        }
    }
}

bool IniIndex::Arrived(std::size_t size) {
    if (size < text_.size()) ResetScan();
    text_ = std::string_view(memory_.data(), size);
    if (wanted_.empty()) return true;
    // Only whole lines, and not before the first line's start is known.
    std::size_t limit = size;
    while (limit > scannedTo_ && text_[limit - 1] != '\n') --limit;
    if (limit > scannedTo_ && limit >= kUtf8Bom.size()) {
        Scan(limit);
        scannedTo_ = limit;
    }
    return wantedLeft_ > 0 || wantedOpen_;
}

void IniIndex::Complete(std::size_t size) {
    if (size < text_.size()) ResetScan();
    text_ = std::string_view(memory_.data(), size);
    if (wanted_.empty()) return;
    Scan(size);
    scannedTo_ = size;
    for (Wanted& w : wanted_) {
        if (w.found && w.end == kOpen) w.end = size;
    }
    wantedOpen_ = false;
}

void IniIndex::IndexAll() {
    if (indexed_) return;
    indexed_ = true;
    Headers headers(text_);
    for (Header header; headers.Next(header);) {
        sectionNames_.push_back(header.name);
        headerBegin_.push_back(header.line.begin);
        bodyBegin_.push_back(header.line.next);
    }
    sectionTable_.Build(sectionNames_.data(), sectionNames_.size());
}

std::size_t IniIndex::FirstHeaderBegin() {
    // The scan for the wanted sections passed the first header, if there is one.
    if (!wanted_.empty()) return firstHeader_ != kOpen ? firstHeader_ : text_.size();
    IndexAll();
    return headerBegin_.empty() ? text_.size() : headerBegin_.front();
}

std::vector<std::string_view> IniIndex::Sections() {
    IndexAll();
    return sectionNames_;
}

std::optional<IniIndex::Span> IniIndex::SectionOf(std::string_view name) {
    name = Trim(name);
    if (name.empty()) {
        const std::size_t end = FirstHeaderBegin();
        if (!leadingHasEntries_) leadingHasEntries_ = HasEntry(text_, FirstLine(text_), end);
        if (*leadingHasEntries_) return Span{kLeading, FirstLine(text_), end};
    }
    for (const Wanted& w : wanted_) {
        if (!SameName(w.name, name)) continue;
        if (!w.found) return std::nullopt;
        return Span{w.begin, w.begin, w.end};
    }
    IndexAll();
    const std::optional<std::size_t> at =
        sectionTable_.First(sectionNames_.data(), sectionNames_.size(), name);
    if (!at) return std::nullopt;
    const std::size_t end = *at + 1 < headerBegin_.size() ? headerBegin_[*at + 1] : text_.size();
    return Span{bodyBegin_[*at], bodyBegin_[*at], end};
}

const IniIndex::Entries& IniIndex::EntriesOf(const Span& span) {
    for (const Entries& entries : parsed_) {
        if (entries.section == span.key) return entries;
    }
    if (parsed_.empty()) parsed_.reserve(std::max<std::size_t>(wanted_.size(), 4));
    Entries& entries = parsed_.emplace_back();
    entries.section = span.key;
    entries.first = keyNames_.size();
    for (std::size_t at = span.begin; at < span.end;) {
        const Line line = LineAt(text_, at);
        at = line.next;
        const Parsed p = Parse(text_, line);
        if (p.kind != Kind::kEntry) continue;
        keyNames_.push_back(p.name);
        values_.push_back(p.value);
        rawValues_.push_back(text_.substr(p.rawValue, line.end - p.rawValue));
    }
    entries.count = keyNames_.size() - entries.first;
    entries.keys.Build(keyNames_.data() + entries.first, entries.count);
    return entries;
}

std::optional<std::size_t> IniIndex::KeyOf(std::string_view section, std::string_view key) {
    const std::optional<Span> at = SectionOf(section);
    if (!at) return std::nullopt;
    const Entries& entries = EntriesOf(*at);
    const std::optional<std::size_t> i =
        entries.keys.First(keyNames_.data() + entries.first, entries.count, Trim(key));
    if (!i) return std::nullopt;
    return entries.first + *i;
}

std::optional<std::string_view> IniIndex::Find(std::string_view section, std::string_view key) {
    const std::optional<std::size_t> i = KeyOf(section, key);
    if (!i) return std::nullopt;
    return values_[*i];
}

std::optional<std::string_view> IniIndex::FindRaw(std::string_view section, std::string_view key) {
    const std::optional<std::size_t> i = KeyOf(section, key);
    if (!i) return std::nullopt;
    return rawValues_[*i];
}

std::vector<std::string_view> IniIndex::Keys(std::string_view section) {
    const std::optional<Span> at = SectionOf(section);
    if (!at) return {};
    const Entries& entries = EntriesOf(*at);
    return std::vector<std::string_view>(keyNames_.begin() + entries.first,
                                         keyNames_.begin() + entries.first + entries.count);
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
