// The bytes of one profile file, read and edited in memory. Nothing here touches the disk.
//
// Lookups follow the rules of ini_lines.h. Editing changes only the line concerned (or appends
// one), so comments, unknown keys, other sections and their line endings stay byte for byte.
#pragma once

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
    std::string bytes_;
};

// Text that may be written as a section name, key or value without creating other lines,
// sections or keys than the one meant.
bool IsWritableSection(std::string_view section);
bool IsWritableKey(std::string_view key);
bool IsWritableValue(std::string_view value);

}  // namespace profile
