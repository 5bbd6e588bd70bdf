// The box configuration file: fifteen boxes, four keys each, in one section.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace profile {

// A box's number, 1 to 15: the suffix of its keys and one more than its row index.
using BoxNumber = int;
inline constexpr int kBoxCount = 15;

inline constexpr const char* kBoxConfigFile = "rurizuz.ini";
inline constexpr const char* kBoxConfigSection = "zivazoz";
// Room for a location read from the file, the terminator included.
inline constexpr std::size_t kLocationCapacity = 80;
inline constexpr std::size_t kAddressCapacity = 40;

using Octets = std::array<std::uint8_t, 4>;

struct BoxConfig {
    std::int32_t enabled = 0;       // 1 enabled, 0 disabled
    std::string location;           // at most kLocationCapacity - 1 bytes, Windows-1252
    std::optional<Octets> address;  // absent when the file holds no address
    std::int32_t offset = 0;
};

using BoxTable = std::array<BoxConfig, kBoxCount>;

// A text read from a file into one of the fixed buffers the dialogs keep, cut to its room.
template <std::size_t N>
void CopyText(std::string_view text, char (&buffer)[N]) {
    const std::size_t length = text.copy(buffer, N - 1);
    buffer[length] = '\0';
}

// Reads the whole table from one consistent read of the file; anything missing reads as its
// default (disabled, empty location, no address, offset 0), and so does a file that cannot be
// read. With `failure`, also why it could not: 0 when it was read, else an errno value as
// ReadProfileFile sets it.
BoxTable ReadBoxTable(int* failure = nullptr);
// Writes all sixty keys, box by box, as one atomic replacement of the file. Returns false with
// errno set when the file could not be written; it is then unchanged.
bool WriteBoxTable(const BoxTable& table);

// "a.b.c.d" to four octets. Empty parts (runs of dots, leading or trailing dots) are skipped,
// parts after the fourth ignored, each part converted like the C runtime's decimal conversion
// and cut to its low 8 bits. Missing parts (a text like "192.168.1") read as 0, so the result
// is always four octets and nothing beyond the text is read.
Octets ParseDottedQuad(std::string_view text);
std::string FormatDottedQuad(const Octets& octets);

}  // namespace profile
