// Where the sections of a profile file are, and lookups in bytes that no longer change: the
// sections asked for are found together, in one pass that looks only at the headers that can
// start with one of their names.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "profile/ini_lines.h"

namespace profile {

// The first section of that name. Entries before the first header form a nameless section, but
// only when there are any; otherwise the first "[]" header is the nameless one.
std::optional<SectionSpan> FindSection(std::string_view text, std::string_view name);

// Every lookup answers as IniText would.
class IniIndex {
  public:
    // `text` and the wanted names must stay as they are while the index is used. The sections
    // named in `wanted` are found now; any other is looked for when it is asked for.
    explicit IniIndex(std::string_view text, std::span<const std::string_view> wanted = {});

    // The section of wanted[i], or of any name.
    std::optional<SectionSpan> Wanted(std::size_t i) const;
    std::optional<SectionSpan> SectionOf(std::string_view name) const;

    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    // The bytes after '=' as they stand, untrimmed: what a write compares a value with.
    std::optional<std::string_view> FindRaw(std::string_view section, std::string_view key) const;
    std::vector<std::string_view> Keys(std::string_view section) const;
    std::vector<std::string_view> Sections() const { return SectionNames(text_); }

  private:
    std::string_view text_;
    std::vector<std::string_view> names_;  // trimmed
    std::vector<std::optional<SectionSpan>> spans_;
};

}  // namespace profile
