// The two profile files as mirelko-check reads them: through the same code and with the same
// defaults as the panel, and with the failures the panel does not tell.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "profile/box_config.h"

namespace check {

struct Observation {
    profile::BoxTable boxes;
    std::array<std::int32_t, profile::kBoxCount> watchDogErrors{};
    bool statusPresent = false;
    // Seconds since the status file was last written; nothing when there is no status file.
    std::optional<long long> statusAgeSeconds;
    // When it was last written, in seconds since 1970-01-01 UTC; nothing when there is none.
    std::optional<std::int64_t> statusWrittenAt;
    std::string statusPath;
};

struct Reading {
    // Why the box file could not be read; nothing else is read then.
    std::string boxFailure;
    // Why the status file, which is there, could not be read; the watchdog values are unknown.
    std::string statusFailure;
    Observation seen;
    // When the files were read, in seconds since 1970-01-01 UTC: a collector that serves an old
    // file on shows how old it is.
    std::int64_t readAt = 0;
};

// Reads the files in `profileDir`, or in the panel's profile directory when none is given.
Reading ReadProfile(const std::optional<std::string>& profileDir);

}  // namespace check
