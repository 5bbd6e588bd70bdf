// Editing the bytes of one profile file in memory. Nothing here touches the disk.
//
// An edit changes only the line concerned (or adds one), so comments, unknown keys, other
// sections and their line endings stay byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace profile {

// Gives `key` in `section` the value, as the platform's write does: an existing key keeps its
// spelling and place, a new one goes after the last entry of its section, a new section at the
// end of the file; new lines end in CRLF. Returns whether the bytes changed.
bool SetEntry(std::string& bytes, std::string_view section, std::string_view key,
              std::string_view value);

// Text that may be written as a section name, key or value without creating other lines,
// sections or keys than the one meant.
bool IsWritableSection(std::string_view section);
bool IsWritableKey(std::string_view key);
bool IsWritableValue(std::string_view value);

}  // namespace profile
