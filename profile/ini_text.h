// The bytes of one profile file, read and edited in memory. Nothing here touches the disk.
//
// Reading follows the platform's profile rules: section and key names match without regard to
// ASCII case, blanks around names and values are trimmed, one pair of enclosing quotes is
// dropped, a NUL ends the line it is in, only the first section of a name is seen and within it
// the first occurrence of a key. Editing changes only the line concerned (or appends one), so
// comments, unknown keys, other sections and their line endings stay byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace profile {

class IniText {
  public:
    IniText() = default;
    explicit IniText(std::string bytes) : bytes_(std::move(bytes)) {}

    const std::string& bytes() const { return bytes_; }

    // The value of key in section, or nothing when the section or key is missing. An entry
    // "Key=" gives an empty value, which is not the same as missing.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    // The key names of a section, and the section names of the file, in file order.
    std::vector<std::string_view> Keys(std::string_view section) const;
    std::vector<std::string_view> Sections() const;

    // Each edit returns whether the bytes changed. New lines end in CRLF.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);

  private:
    struct Match;
    Match Locate(std::string_view section, std::string_view key) const;

    std::string bytes_;
};

// The same answers as IniText for bytes that no longer change, made cheap for many lookups:
// every section header is found in one pass, and a section's entries are parsed the first time
// a key is looked up in it. Not for use from two threads at once.
class IniIndex {
  public:
    explicit IniIndex(std::string bytes);
    IniIndex(const IniIndex&) = delete;
    IniIndex& operator=(const IniIndex&) = delete;

    std::optional<std::string_view> Find(std::string_view section, std::string_view key);
    // The bytes after '=' as they stand, untrimmed: what IniText::Set compares a value with.
    std::optional<std::string_view> FindRaw(std::string_view section, std::string_view key);
    std::vector<std::string_view> Keys(std::string_view section);
    std::vector<std::string_view> Sections() const { return sections_.names; }

  private:
    // Names in file order with the first of each reachable by its case-folded hash.
    struct Names {
        std::vector<std::string_view> names;
        std::vector<std::uint64_t> slots;  // hash << 32 | (position + 1); empty when few names

        void Build();
        std::optional<std::size_t> First(std::string_view name) const;
    };
    struct Entries {
        std::size_t section;  // position of the header, or kLeading
        Names keys;
        std::vector<std::string_view> values, rawValues;
    };
    static constexpr std::size_t kLeading = SIZE_MAX;

    std::optional<std::size_t> SectionOf(std::string_view name);
    const Entries& EntriesOf(std::size_t section);

    std::string bytes_;
    Names sections_;
    std::vector<std::size_t> headerBegin_, bodyBegin_;  // by header position
    std::optional<bool> leadingHasEntries_;
    std::vector<Entries> parsed_;
};

// Text that may be written as a section name, key or value without creating other lines,
// sections or keys than the one meant.
bool IsWritableSection(std::string_view section);
bool IsWritableKey(std::string_view key);
bool IsWritableValue(std::string_view value);

}  // namespace profile
