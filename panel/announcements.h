// What a poll tells the operator outside the window: which lamps changed, whether the status file
// stopped coming or came back, and whether the taskbar entry asks for attention. It decides only;
// the panel keeps the memory from poll to poll and does the telling.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "profile/box_config.h"

namespace announce {

// A row's lamp as the window shows it; a disabled row is dark.
enum class Lamp : std::uint8_t { Dark, Green, Red };
enum class BoxNews : std::uint8_t { None, Alarm, Normal, Unsteady };
enum class FileNews : std::uint8_t { None, Stale, Unreadable, Back };

// The status data is stale when no rewrite came for kStaleGaps times the service's usual gap
// between rewrites, and never sooner than kStaleFloorSeconds. The usual gap is the upper median
// of the last kGapsLearned: one pause or one quick write does not move it.
inline constexpr std::int64_t kStaleFloorSeconds = 180;
inline constexpr std::int64_t kStaleGaps = 3;
inline constexpr std::size_t kGapsLearned = 5;
// A box that changed this often without holding still for kSettlePolls polls is unsteady.
inline constexpr int kUnsteadyFlips = 3;
inline constexpr int kSettlePolls = 3;

struct Poll {
    // The lamps before this poll's refresh and after it: refreshes, check-box clicks and the
    // first load changed the "before" already, so they are never news.
    std::array<Lamp, profile::kBoxCount> before{}, after{};
    // When the status file was written, by the file server's clock, which may run minutes off:
    // only ever compared with itself, to see a rewrite. Nothing when it is missing or unreadable.
    std::optional<std::int64_t> writtenAt;
    // The panel's own steady clock, in seconds: rhythms and staleness are counted in it alone.
    std::int64_t now = 0;
    // The panel window was activated since the last poll: the operator has looked.
    bool seen = false;
};

struct Announcement {
    std::array<BoxNews, profile::kBoxCount> boxes{};
    FileNews file = FileNews::None;
    // When the file is told stale: the seconds since a poll last saw it rewritten.
    std::int64_t staleFor = 0;
    // A box went into alarm: the taskbar entry asks until the window is activated.
    bool askAttention = false;
    // Anything but returns to normal, and the data being current again, makes it critical.
    bool critical = false;
    // The operator has looked and nothing new came: the last notification can go.
    bool withdraw = false;

    bool Any() const;
};

// What the decisions remember between polls; a new one knows nothing yet.
struct Memory {
    struct Box {
        std::uint8_t flips = 0, held = 0;
        bool unsteady = false;
    };
    std::array<Box, profile::kBoxCount> boxes{};
    std::optional<std::int64_t> writtenAt;
    // When a poll last saw the file rewritten, and the gaps between such polls, newest first.
    std::optional<std::int64_t> rewrittenAt;
    std::array<std::int64_t, kGapsLearned> gaps{};
    std::size_t gapCount = 0;
    bool stale = false, unreadable = false, unseen = false;
};

Announcement Decide(Memory& memory, const Poll& poll);

}  // namespace announce
