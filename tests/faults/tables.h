// Box tables that differ in every key, for telling after a crash or a race which save a file
// holds.
#pragma once

#include <string>

#include "profile/box_config.h"

namespace faults {

inline profile::BoxTable Table(int variant) {
    profile::BoxTable table;
    for (int i = 0; i < profile::kBoxCount; ++i) {
        table[i].enabled = (i + variant) % 2;
        table[i].location = "Halle " + std::to_string(i + 1) + " Fassung " +
                            std::string(static_cast<std::size_t>(variant * 7 % 23), 'x');
        table[i].address = profile::Octets{10, static_cast<std::uint8_t>(variant), 0,
                                           static_cast<std::uint8_t>(i + 1)};
        table[i].offset = variant * 1000 + i;
    }
    return table;
}

}  // namespace faults
