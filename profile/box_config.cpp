#include "profile/box_config.h"

#include <charconv>

#include "profile/decimal.h"
#include "profile/file_store.h"
#include "profile/ini_index.h"
#include "profile/ini_text.h"

namespace profile {

namespace {

// The sixty keys of the box file: a field's name and the box's number, "Box1" to "IpOffset15".
enum Field { kEnabled, kLocation, kAddress, kOffset, kFieldCount };
constexpr std::string_view kFieldNames[kFieldCount] = {"Box", "LocBox", "IpAddr", "IpOffset"};
constexpr int kKeyCount = kFieldCount * kBoxCount;

constexpr int SlotOf(Field field, BoxNumber box) { return field * kBoxCount + box - 1; }

std::string KeyOf(Field field, BoxNumber box) {
    return std::string(kFieldNames[field]) + std::to_string(box);
}

// The slot of a key named as one of the sixty, in any case, or -1. The first letters tell the
// field; only its name is compared.
int SlotOfKey(std::string_view key) {
    if (key.size() < 4) return -1;
    Field field;
    switch (Fold(key[0])) {
        case 'b':
            field = kEnabled;
            break;
        case 'l':
            field = kLocation;
            break;
        case 'i':
            field = Fold(key[2]) == 'a' ? kAddress : kOffset;
            break;
        default:
            return -1;
    }
    const std::string_view name = kFieldNames[field];
    if (key.size() <= name.size() || key.size() > name.size() + 2 ||
        !SameName(key.substr(0, name.size()), name))
        return -1;
    const std::string_view number = key.substr(name.size());
    if (number[0] < '1' || number[0] > '9') return -1;
    int box = number[0] - '0';
    if (number.size() == 2) {
        if (number[1] < '0' || number[1] > '9') return -1;
        box = 10 * box + number[1] - '0';
    }
    return box <= kBoxCount ? SlotOf(field, box) : -1;
}

// The first entry of each of the sixty keys in the box file's section: its value, and its bytes
// after '=' as they stand. One pass over the section, instead of one look through it per key.
struct KeyEntry {
    std::string_view value, raw;
};
using BoxEntries = std::array<std::optional<KeyEntry>, kKeyCount>;

BoxEntries EntriesOf(std::string_view text) {
    BoxEntries entries;
    const std::optional<SectionSpan> span = FindSection(text, kBoxConfigSection);
    Lines lines(text, span.value_or(SectionSpan{}));
    for (IniLine line; lines.Next(line);) {
        if (line.kind != IniLine::kEntry) continue;
        const int slot = SlotOfKey(line.name);
        if (slot >= 0 && !entries[slot]) entries[slot] = KeyEntry{line.value, line.raw(text)};
    }
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
            const std::optional<KeyEntry>& entry = entries[SlotOf(field, box)];
            if (!entry || entry->raw != ValueOf(table[box - 1], field, room)) return false;
        }
    }
    return true;
}

}  // namespace

BoxTable ReadBoxTable() {
    const std::optional<FileText> file = ReadProfileFile(kBoxConfigFile);
    const std::string_view text = TextOf(file);
    const BoxEntries entries = EntriesOf(text);
    BoxTable table;
    for (BoxNumber box = 1; box <= kBoxCount; ++box) {
        BoxConfig& config = table[box - 1];
        const auto value = [&](Field field) -> std::optional<std::string_view> {
            const std::optional<KeyEntry>& entry = entries[SlotOf(field, box)];
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
        IniText text(bytes.value_or(std::string()));
        bool changed = false;
        char room[kLocationCapacity];
        for (BoxNumber box = 1; box <= kBoxCount; ++box) {
            for (Field field : {kEnabled, kLocation, kAddress, kOffset}) {
                changed |= text.Set(kBoxConfigSection, KeyOf(field, box),
                                    ValueOf(table[box - 1], field, room));
            }
        }
        if (changed) bytes = text.bytes();
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
