// What a poll tells the operator outside the window: which lamps changed, whether the status file
// stopped coming or came back, and whether the taskbar entry asks for attention. It decides only;
// the panel keeps the memory from poll to poll and does the telling.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "profile/box_config.h"

namespace announce {

// A row's lamp as the window shows it; a disabled row is dark.
enum class Lamp : std::uint8_t { Dark, Green, Red };
enum class BoxNews : std::uint8_t { None, Alarm, Normal, Unsteady };
enum class FileNews : std::uint8_t { None, Stale, Unreadable, Back };

// A file written at consecutive polls that then rests this long has stopped being written.
inline constexpr std::int64_t kStaleSeconds = 180;
// A box that changed this often without holding still for kSettlePolls polls is unsteady.
inline constexpr int kUnsteadyFlips = 3;
inline constexpr int kSettlePolls = 3;

struct Poll {
    // The lamps before this poll's refresh and after it: refreshes, check-box clicks and the
    // first load changed the "before" already, so they are never news.
    std::array<Lamp, profile::kBoxCount> before{}, after{};
    // When the status file was written; nothing when it is missing or cannot be read.
    std::optional<std::int64_t> writtenAt;
    std::int64_t now = 0;
    // The panel window was activated since the last poll: the operator has looked.
    bool seen = false;
};

struct Announcement {
    std::array<BoxNews, profile::kBoxCount> boxes{};
    FileNews file = FileNews::None;
    // A box went into alarm: the taskbar entry asks until the window is activated.
    bool askAttention = false;
    // Anything but returns to normal makes the notification critical.
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
    int rewrites = 0;
    bool regular = false, stale = false, unreadable = false, unseen = false;
};

Announcement Decide(Memory& memory, const Poll& poll);

}  // namespace announce
