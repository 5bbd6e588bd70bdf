// The box status file: written by the communication service, only ever read here. One section
// per box ("Box1" to "Box15") holding its watchdog flag and the times of its last messages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "profile/box_config.h"

namespace profile {

inline constexpr const char* kBoxStatusFile = "zivazoz.ini";
// Room for a text read from the file, the terminator included.
inline constexpr std::size_t kStatusTextCapacity = 80;

struct BoxStatus {
    std::int32_t watchDogError = 0;  // 0 no error (green), anything else an error (red)
    // Display text as the service wrote it, at most kStatusTextCapacity - 1 bytes, never parsed.
    std::string lastStringReceivedAt, lastAlarmForC1, lastAlarmForC2;

    friend bool operator==(const BoxStatus&, const BoxStatus&) = default;
};

// Each call reads the file as it is now; nothing is kept between calls. A missing file, section
// or key reads as 0 or "", and so does a file that cannot be read. `box` is 1 to kBoxCount.
// One box's status from one read of the file, so its fields never come from two versions.
BoxStatus ReadBoxStatus(BoxNumber box);
// Every box's flag, index box - 1, from one read of the file: one lamp refresh never mixes two
// versions of a file the service is rewriting. With `writtenAt`, also when that version was
// written (seconds since 1970, UTC; nothing when it was not read): the flags alone cannot tell an
// operator that the service has stopped writing. With `failure`, why it was not read: 0 when it
// was, ENOENT when there is none, else an errno value as ReadProfileFile sets it.
std::array<std::int32_t, kBoxCount> ReadWatchDogErrors(
    std::optional<std::int64_t>* writtenAt = nullptr, int* failure = nullptr);

}  // namespace profile
