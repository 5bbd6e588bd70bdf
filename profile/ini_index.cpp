#include "profile/ini_index.h"

namespace profile {

namespace {

// The first section of each of the trimmed names, into found[i]; the nameless section is not
// looked for here. Until every name is found, each header that may be one of them is compared
// with them; the header after a found one, whatever its name, ends that section.
void FindNamed(std::string_view text, std::span<const std::string_view> names,
               std::optional<SectionSpan>* found) {
    HeaderStarts starts;
    std::size_t left = 0;
    for (std::string_view name : names) {
        if (name.empty()) continue;
        starts.Add(name);
        ++left;
    }
    const std::size_t first = FirstLine(text);
    std::optional<IniLine> header;
    if (left > 0) header = NextHeader(text, first, first, &starts);
    while (header && left > 0) {
        std::size_t match = 0;
        while (match < names.size() &&
               (found[match] || names[match].empty() || !SameName(names[match], header->name)))
            ++match;
        if (match == names.size()) {
            header = NextHeader(text, header->next, first, &starts);
            continue;
        }
        std::optional<IniLine> after = NextHeader(text, header->next, first);
        const SectionSpan span{header->begin, header->next, after ? after->begin : text.size(),
                               header->terminated()};
        for (std::size_t i = match; i < names.size(); ++i) {
            if (i == match || (!found[i] && SameName(names[i], names[match]))) {
                found[i] = span;
                --left;
            }
        }
        header = std::move(after);
    }
}

}  // namespace

std::optional<SectionSpan> FindSection(std::string_view text, std::string_view name) {
    name = Trim(name);
    std::optional<SectionSpan> found;
    if (!name.empty()) {
        FindNamed(text, std::span<const std::string_view>(&name, 1), &found);
        return found;
    }
    const std::size_t first = FirstLine(text);
    std::optional<IniLine> header = NextHeader(text, first, first);
    const std::size_t end = header ? header->begin : text.size();
    if (HasEntry(text, first, end)) return SectionSpan{0, first, end, true};
    for (; header; header = NextHeader(text, header->next, first)) {
        if (!header->name.empty()) continue;
        SectionSpan span{header->begin, header->next, text.size(), header->terminated()};
        if (const auto after = NextHeader(text, header->next, first)) span.end = after->begin;
        return span;
    }
    return std::nullopt;
}

IniIndex::IniIndex(std::string_view text, std::span<const std::string_view> wanted)
    : text_(text), spans_(wanted.size()) {
    names_.reserve(wanted.size());
    for (std::string_view name : wanted) names_.push_back(Trim(name));
    FindNamed(text, names_, spans_.data());
}

std::optional<SectionSpan> IniIndex::Wanted(std::size_t i) const {
    return names_[i].empty() ? FindSection(text_, "") : spans_[i];
}

std::optional<SectionSpan> IniIndex::SectionOf(std::string_view name) const {
    name = Trim(name);
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (SameName(names_[i], name)) return Wanted(i);
    }
    return FindSection(text_, name);
}

std::optional<std::string_view> IniIndex::Find(std::string_view section,
                                               std::string_view key) const {
    const std::optional<IniLine> entry = FindEntry(text_, SectionOf(section), key);
    return entry ? std::optional(entry->value) : std::nullopt;
}

std::optional<std::string_view> IniIndex::FindRaw(std::string_view section,
                                                  std::string_view key) const {
    const std::optional<IniLine> entry = FindEntry(text_, SectionOf(section), key);
    return entry ? std::optional(entry->raw(text_)) : std::nullopt;
}

std::vector<std::string_view> IniIndex::Keys(std::string_view section) const {
    const std::optional<SectionSpan> span = SectionOf(section);
    return span ? KeysIn(text_, *span) : std::vector<std::string_view>{};
}

}  // namespace profile
