#include "panel/announcements.h"

#include <algorithm>

namespace announce {
namespace {

// A change of a lit lamp is news unless the box keeps changing; a box that was unsteady tells
// where it came to rest once it held still.
BoxNews DecideBox(Memory::Box& box, Lamp before, Lamp after) {
    // Enabled or disabled since the last poll: the operator did that and saw the lamp.
    if (before == Lamp::Dark || after == Lamp::Dark) {
        box = {};
        return BoxNews::None;
    }
    const BoxNews state = after == Lamp::Red ? BoxNews::Alarm : BoxNews::Normal;
    if (before == after) {
        if (box.held < kSettlePolls) ++box.held;
        if (box.held < kSettlePolls) return BoxNews::None;
        const bool settled = box.unsteady;
        box = {.flips = 0, .held = box.held, .unsteady = false};
        return settled ? state : BoxNews::None;
    }
    box.held = 0;
    if (box.flips < kUnsteadyFlips) ++box.flips;
    if (box.unsteady) return BoxNews::None;
    if (box.flips < kUnsteadyFlips) return state;
    box.unsteady = true;
    return BoxNews::Unsteady;
}

FileNews DecideFile(Memory& memory, const Poll& poll) {
    if (!poll.writtenAt) {
        const bool wasThere = memory.writtenAt.has_value();
        memory.writtenAt.reset();
        memory.rewrites = 0;
        memory.regular = memory.stale = false;
        if (!wasThere || memory.unreadable) return FileNews::None;
        memory.unreadable = true;
        return FileNews::Unreadable;
    }
    const std::optional<std::int64_t> last = memory.writtenAt;
    memory.writtenAt = poll.writtenAt;
    if (memory.unreadable) {
        memory.unreadable = false;
        return FileNews::Back;
    }
    if (!last) return FileNews::None;
    if (*poll.writtenAt != *last) {
        memory.rewrites = std::min(memory.rewrites + 1, 2);
        if (memory.rewrites == 2) memory.regular = true;
        if (!memory.stale) return FileNews::None;
        memory.stale = false;
        return FileNews::Back;
    }
    memory.rewrites = 0;
    if (!memory.regular || poll.now - *poll.writtenAt < kStaleSeconds) return FileNews::None;
    // Told once; only rewrites at consecutive polls make it a file that can go stale again.
    memory.regular = false;
    memory.stale = true;
    return FileNews::Stale;
}

}  // namespace

bool Announcement::Any() const {
    return file != FileNews::None || std::any_of(boxes.begin(), boxes.end(), [](BoxNews news) {
               return news != BoxNews::None;
           });
}

Announcement Decide(Memory& memory, const Poll& poll) {
    Announcement told;
    for (std::size_t row = 0; row < told.boxes.size(); ++row) {
        const BoxNews news = DecideBox(memory.boxes[row], poll.before[row], poll.after[row]);
        told.boxes[row] = news;
        told.askAttention |= news == BoxNews::Alarm || news == BoxNews::Unsteady;
        told.critical |= news != BoxNews::None && news != BoxNews::Normal;
    }
    told.file = DecideFile(memory, poll);
    told.critical |= told.file == FileNews::Stale || told.file == FileNews::Unreadable;
    const bool wasUnseen = memory.unseen && !poll.seen;
    told.withdraw = memory.unseen && poll.seen && !told.Any();
    memory.unseen = wasUnseen || told.Any();
    return told;
}

}  // namespace announce
