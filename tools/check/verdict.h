// What mirelko-check says about what it read: one line of text and the exit status, after the
// Monitoring Plugins conventions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "profile/box_config.h"

namespace check {

enum State { kOk = 0, kWarning = 1, kCritical = 2, kUnknown = 3 };

struct Observation {
    profile::BoxTable boxes;
    std::array<std::int32_t, profile::kBoxCount> watchDogErrors{};
    // Seconds since the status file was last written; nothing when there is no status file.
    std::optional<long long> statusAgeSeconds;
    std::string statusPath;
};

struct Verdict {
    State state;
    std::string line;  // without the line break
};

Verdict Judge(const Observation& seen, std::optional<long long> maxAgeSeconds);
Verdict Unknown(std::string_view reason);

}  // namespace check
