#include "profile/ini_editor.h"

#include "profile/ini_reader.h"

namespace profile {

namespace {

constexpr std::string_view kBreak = "\r\n";

bool HasLineBreak(std::string_view s) { return s.find_first_of(kBreak) != std::string_view::npos; }

}  // namespace

bool SetEntry(std::string& bytes, std::string_view section, std::string_view key,
              std::string_view value) {
    const Wanted wanted{section, key};
    Found found;
    FindAll(bytes, Lookups({&wanted, 1}), {&found, 1});
    if (found.entry) {
        const std::string_view raw = found.entry->raw(bytes);
        if (raw == value) return false;
        bytes.replace(found.entry->rawValue, raw.size(), value);
        return true;
    }
    std::string entry;
    entry.reserve(key.size() + value.size() + 4);
    entry.append(Trim(key)).append("=").append(value).append(kBreak);
    if (found.section) {
        if (found.section->insertNeedsBreak) entry.insert(0, kBreak);
        bytes.insert(found.section->insertAt, entry);
        return true;
    }
    if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') bytes.append(kBreak);
    bytes.append("[").append(Trim(section)).append("]").append(kBreak).append(entry);
    return true;
}

bool IsWritableSection(std::string_view section) {
    return !HasLineBreak(section) && section.find(']') == std::string_view::npos;
}

bool IsWritableKey(std::string_view key) {
    const std::string_view t = Trim(key);
    return !HasLineBreak(key) && key.find('=') == std::string_view::npos &&
           (t.empty() || t.front() != '[');
}

bool IsWritableValue(std::string_view value) { return !HasLineBreak(value); }

}  // namespace profile
