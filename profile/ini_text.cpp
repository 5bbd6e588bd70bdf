#include "profile/ini_text.h"

#include "profile/ini_index.h"
#include "profile/ini_lines.h"

namespace profile {

namespace {

constexpr std::string_view kBreak = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Where a key is in its section, or where a new one goes: after the section's last entry, or
// after its header.
struct Place {
    std::optional<IniLine> key;
    std::size_t insertAt = 0;
    bool insertNeedsBreak = false;
};

Place PlaceOf(std::string_view text, const SectionSpan& span, std::string_view key) {
    key = Trim(key);
    Place place{std::nullopt, span.body, !span.headerTerminated};
    Lines lines(text, span);
    for (IniLine line; lines.Next(line);) {
        if (line.kind != IniLine::kEntry) continue;
        if (SameName(line.name, key)) {
            place.key = line;
            return place;
        }
        place.insertAt = line.next;
        place.insertNeedsBreak = !line.terminated();
    }
    return place;
}

// Removes whole lines [begin, end). A byte-order mark that the removal would bring to the very
// start of the file would count as one there, and the name after it would change; an empty line
// stays before it instead.
void EraseLines(std::string& bytes, std::size_t begin, std::size_t end) {
    const bool markComesFirst =
        begin == 0 && std::string_view(bytes).substr(end, kUtf8Bom.size()) == kUtf8Bom;
    bytes.replace(begin, end - begin, markComesFirst ? kBreak : std::string_view());
}

bool HasLineBreak(std::string_view s) { return s.find_first_of(kBreak) != std::string_view::npos; }

}  // namespace

std::optional<std::string_view> IniText::Find(std::string_view section,
                                              std::string_view key) const {
    const std::optional<SectionSpan> span = FindSection(bytes_, section);
    if (!span) return std::nullopt;
    const std::optional<IniLine> entry = FindEntry(bytes_, *span, key);
    if (!entry) return std::nullopt;
    return entry->value;
}

std::vector<std::string_view> IniText::Keys(std::string_view section) const {
    const std::optional<SectionSpan> span = FindSection(bytes_, section);
    return span ? KeysIn(bytes_, *span) : std::vector<std::string_view>{};
}

std::vector<std::string_view> IniText::Sections() const { return SectionNames(bytes_); }

bool IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::optional<SectionSpan> span = FindSection(bytes_, section);
    const Place place = span ? PlaceOf(bytes_, *span, key) : Place{};
    if (place.key) {
        const std::string_view raw = place.key->raw(bytes_);
        if (raw == value) return false;
        bytes_.replace(place.key->rawValue, raw.size(), value);
        return true;
    }
    std::string entry;
    entry.reserve(key.size() + value.size() + 4);
    entry.append(Trim(key)).append("=").append(value).append(kBreak);
    if (span) {
        if (place.insertNeedsBreak) entry.insert(0, kBreak);
        bytes_.insert(place.insertAt, entry);
        return true;
    }
    if (!bytes_.empty() && bytes_.back() != '\n' && bytes_.back() != '\r') bytes_.append(kBreak);
    bytes_.append("[").append(Trim(section)).append("]").append(kBreak).append(entry);
    return true;
}

bool IniText::DeleteKey(std::string_view section, std::string_view key) {
    const std::optional<SectionSpan> span = FindSection(bytes_, section);
    if (!span) return false;
    const Place place = PlaceOf(bytes_, *span, key);
    if (!place.key) return false;
    EraseLines(bytes_, place.key->begin, place.key->next);
    return true;
}

bool IniText::DeleteSection(std::string_view section) {
    const std::optional<SectionSpan> span = FindSection(bytes_, section);
    if (!span) return false;
    EraseLines(bytes_, span->begin, span->end);
    return true;
}

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
