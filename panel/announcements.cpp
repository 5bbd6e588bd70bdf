#include "panel/announcements.h"

#include <algorithm>
#include <utility>

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

// The usual gap between two rewrites, times kStaleGaps, and never less than the floor.
std::int64_t StaleAfter(const Memory& memory) {
    // The gaps not learned yet are 0 and sort first.
    std::array<std::int64_t, kGapsLearned> gaps = memory.gaps;
    std::sort(gaps.begin(), gaps.end());
    const std::int64_t usual = gaps[kGapsLearned - memory.gapCount + memory.gapCount / 2];
    return std::max(kStaleFloorSeconds, kStaleGaps * usual);
}

FileNews DecideFile(Memory& memory, const Poll& poll, std::int64_t& staleFor) {
    if (!poll.writtenAt) {
        // Its rhythm is learned afresh once it is back: another service may write it then.
        memory.writtenAt = memory.rewrittenAt = std::nullopt;
        memory.gaps = {};
        memory.gapCount = 0;
        memory.stale = false;
        // Told also at the first poll: every lamp is green then with nothing behind it.
        if (memory.unreadable) return FileNews::None;
        memory.unreadable = true;
        return FileNews::Unreadable;
    }
    const std::optional<std::int64_t> last = std::exchange(memory.writtenAt, poll.writtenAt);
    if (memory.unreadable) {
        memory.unreadable = false;
        return FileNews::Back;
    }
    if (!last) return FileNews::None;
    if (*poll.writtenAt != *last) {
        if (memory.rewrittenAt) {
            std::copy_backward(memory.gaps.begin(), memory.gaps.end() - 1, memory.gaps.end());
            memory.gaps[0] = poll.now - *memory.rewrittenAt;
            memory.gapCount = std::min(memory.gapCount + 1, kGapsLearned);
        }
        memory.rewrittenAt = poll.now;
        if (!memory.stale) return FileNews::None;
        memory.stale = false;
        return FileNews::Back;
    }
    // A file not yet seen rewritten twice has no rhythm to be late for.
    if (memory.stale || memory.gapCount == 0) return FileNews::None;
    if (poll.now - *memory.rewrittenAt < StaleAfter(memory)) return FileNews::None;
    memory.stale = true;
    staleFor = poll.now - *memory.rewrittenAt;
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
    told.file = DecideFile(memory, poll, told.staleFor);
    told.critical |= told.file == FileNews::Stale || told.file == FileNews::Unreadable;
    const bool wasUnseen = memory.unseen && !poll.seen;
    told.withdraw = memory.unseen && poll.seen && !told.Any();
    memory.unseen = wasUnseen || told.Any();
    return told;
}

}  // namespace announce
