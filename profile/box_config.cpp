#include "profile/box_config.h"

#include <algorithm>

#include "profile/decimal.h"
#include "profile/private_profile.h"

namespace profile {

namespace {

struct BoxKeys {
    std::string enabled, location, address, offset;
};

BoxKeys KeysOf(BoxNumber box) {
    std::string n = std::to_string(box);
    return {"Box" + n, "LocBox" + n, "IpAddr" + n, "IpOffset" + n};
}

// A location goes into one value line: line breaks become blanks and it is cut to what a read
// can give back.
std::string StorableLocation(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    if (std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    if (text.size() > kLocationCapacity - 1) text.resize(kLocationCapacity - 1);
    return text;
}

}  // namespace

BoxTable ReadBoxTable() {
    Snapshot file(kBoxConfigFile, {kBoxConfigSection});
    BoxTable table;
    for (BoxNumber box = 1; box <= kBoxCount; ++box) {
        BoxConfig& config = table[box - 1];
        BoxKeys keys = KeysOf(box);
        char location[kLocationCapacity];
        char address[kAddressCapacity];
        config.enabled =
            static_cast<std::int32_t>(file.GetInt(kBoxConfigSection, keys.enabled.c_str(), 0));
        file.GetString(kBoxConfigSection, keys.location.c_str(), "", location, sizeof location);
        config.location = location;
        file.GetString(kBoxConfigSection, keys.address.c_str(), "", address, sizeof address);
        if (*address) config.address = ParseDottedQuad(address);
        config.offset =
            static_cast<std::int32_t>(file.GetInt(kBoxConfigSection, keys.offset.c_str(), 0));
    }
    return table;
}

bool WriteBoxTable(const BoxTable& table) {
    Batch file(kBoxConfigFile);
    for (BoxNumber box = 1; box <= kBoxCount; ++box) {
        const BoxConfig& config = table[box - 1];
        BoxKeys keys = KeysOf(box);
        // A missing address is written as the blank address control reads: 0.0.0.0.
        file.Write(kBoxConfigSection, keys.enabled.c_str(), std::to_string(config.enabled).c_str());
        file.Write(kBoxConfigSection, keys.location.c_str(),
                   StorableLocation(config.location).c_str());
        file.Write(kBoxConfigSection, keys.address.c_str(),
                   FormatDottedQuad(config.address.value_or(Octets{})).c_str());
        file.Write(kBoxConfigSection, keys.offset.c_str(), std::to_string(config.offset).c_str());
    }
    return file.Commit() == TRUE;
}

Octets ParseDottedQuad(std::string_view text) {
    Octets octets{};
    std::size_t filled = 0;
    while (filled < octets.size() && !text.empty()) {
        std::size_t dot = text.find('.');
        std::string_view part = text.substr(0, dot);
        text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
        if (part.empty()) continue;
        octets[filled++] =
            static_cast<std::uint8_t>(static_cast<std::uint32_t>(ParseDecimal(part)));
    }
    return octets;
}

std::string FormatDottedQuad(const Octets& o) {
    return std::to_string(o[0]) + "." + std::to_string(o[1]) + "." + std::to_string(o[2]) + "." +
           std::to_string(o[3]);
}

}  // namespace profile
