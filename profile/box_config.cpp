#include "profile/box_config.h"

#include <cerrno>
#include <charconv>

#include "profile/decimal.h"
#include "profile/file_store.h"
#include "profile/ini_editor.h"
#include "profile/ini_reader.h"

namespace profile {

namespace {

// The sixty keys of the box file, box by box as a save writes them: "Box1", "LocBox1",
// "IpAddr1", "IpOffset1", "Box2" … "IpOffset15".
enum Field { kEnabled, kLocation, kAddress, kOffset, kFieldCount };
constexpr std::string_view kFieldNames[kFieldCount] = {"Box", "LocBox", "IpAddr", "IpOffset"};
constexpr int kKeyCount = kFieldCount * kBoxCount;

constexpr int SlotOf(Field field, BoxNumber box) { return (box - 1) * kFieldCount + field; }

const std::array<std::string, kKeyCount>& BoxKeys() {
    static const auto names = [] {
        std::array<std::string, kKeyCount> keys;
        for (BoxNumber box = 1; box <= kBoxCount; ++box) {
            for (int field = 0; field < kFieldCount; ++field)
                keys[SlotOf(Field(field), box)] =
                    std::string(kFieldNames[field]) + std::to_string(box);
        }
        return keys;
    }();
    return names;
}

const Lookups& BoxLookups() {
    static const Lookups lookups = [] {
        std::array<Wanted, kKeyCount> all;
        for (int slot = 0; slot < kKeyCount; ++slot)
            all[slot] = {kBoxConfigSection, BoxKeys()[slot]};
        return Lookups(all);
    }();
    return lookups;
}

// The first entry of each of the sixty keys, from one pass over the file.
using BoxEntries = std::array<Found, kKeyCount>;

BoxEntries EntriesOf(std::string_view text) {
    BoxEntries entries;
    FindAll(text, BoxLookups(), entries);
    return entries;
}

// "a.b.c.d" into `out`, which has room for 15 bytes; returns where it ends.
char* WriteDottedQuad(const Octets& octets, char* out) {
    for (std::size_t i = 0; i < octets.size(); ++i) {
        if (i > 0) *out++ = '.';
        const int octet = octets[i];
        if (octet >= 100) *out++ = static_cast<char>('0' + octet / 100);
        if (octet >= 10) *out++ = static_cast<char>('0' + octet / 10 % 10);
        *out++ = static_cast<char>('0' + octet % 10);
    }
    return out;
}

// The value a save writes for one field of a box, made in `room`.
std::string_view ValueOf(const BoxConfig& config, Field field, char (&room)[kLocationCapacity]) {
    char* end = room;
    switch (field) {
        case kEnabled:
            end = std::to_chars(room, room + sizeof room, config.enabled).ptr;
            break;
        case kLocation:
            // One value line: line breaks become blanks, and it is cut at a NUL and to what a
            // read can give back.
            for (char c : config.location) {
                if (c == '\0' || end == room + kLocationCapacity - 1) break;
                *end++ = c == '\r' || c == '\n' ? ' ' : c;
            }
            break;
        case kAddress:
            // A missing address is written as the blank address control reads: 0.0.0.0.
            end = WriteDottedQuad(config.address.value_or(Octets{}), room);
            break;
        default:
            end = std::to_chars(room, room + sizeof room, config.offset).ptr;
            break;
    }
    return {room, static_cast<std::size_t>(end - room)};
}

// True when every one of the sixty keys holds its value byte for byte already.
bool HoldsAlready(std::string_view text, const BoxTable& table) {
    const BoxEntries entries = EntriesOf(text);
    char room[kLocationCapacity];
    for (BoxNumber box = 1; box <= kBoxCount; ++box) {
        for (Field field : {kEnabled, kLocation, kAddress, kOffset}) {
            const std::optional<IniLine>& entry = entries[SlotOf(field, box)].entry;
            if (!entry || entry->raw(text) != ValueOf(table[box - 1], field, room)) return false;
        }
    }
    return true;
}

}  // namespace

BoxTable ReadBoxTable(int* failure) {
    const std::optional<FileText> file = ReadProfileFile(kBoxConfigFile);
    if (failure) *failure = file ? 0 : errno;
    const std::string_view text = TextOf(file);
    const BoxEntries entries = EntriesOf(text);
    BoxTable table;
    for (BoxNumber box = 1; box <= kBoxCount; ++box) {
        BoxConfig& config = table[box - 1];
        const auto value = [&](Field field) -> std::optional<std::string_view> {
            const std::optional<IniLine>& entry = entries[SlotOf(field, box)].entry;
            return entry ? std::optional(entry->value) : std::nullopt;
        };
        // As the profile calls read them: texts cut to the room a read gives them.
        config.enabled = ProfileInt(value(kEnabled), 0);
        config.location = value(kLocation).value_or("").substr(0, kLocationCapacity - 1);
        const std::string_view address =
            value(kAddress).value_or("").substr(0, kAddressCapacity - 1);
        if (!address.empty()) config.address = ParseDottedQuad(address);
        config.offset = ProfileInt(value(kOffset), 0);
    }
    return table;
}

bool WriteBoxTable(const BoxTable& table) {
    return UpdateFile(kBoxConfigFile, [&](std::optional<std::string>& bytes) {
        // Saving what is already there is the common case.
        if (bytes && HoldsAlready(*bytes, table)) return false;
        std::string text = bytes.value_or(std::string());
        bool changed = false;
        char room[kLocationCapacity];
        for (BoxNumber box = 1; box <= kBoxCount; ++box) {
            for (Field field : {kEnabled, kLocation, kAddress, kOffset}) {
                changed |= SetEntry(text, kBoxConfigSection, BoxKeys()[SlotOf(field, box)],
                                    ValueOf(table[box - 1], field, room));
            }
        }
        if (changed) bytes = std::move(text);
        return changed;
    });
}

Octets ParseDottedQuad(std::string_view text) {
    Octets octets{};
    std::size_t filled = 0;
    for (std::size_t begin = 0, at = 0; filled < octets.size() && begin < text.size();
         begin = ++at) {
        while (at < text.size() && text[at] != '.') ++at;
        if (at == begin) continue;
        octets[filled++] = static_cast<std::uint8_t>(
            static_cast<std::uint32_t>(ParseDecimal(text.substr(begin, at - begin))));
    }
    return octets;
}

std::string FormatDottedQuad(const Octets& octets) {
    char text[16];
    return std::string(text, WriteDottedQuad(octets, text));
}

}  // namespace profile
