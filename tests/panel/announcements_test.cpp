// What the polls announce, poll after poll, from the lamps and the status file's time.
#include "panel/announcements.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using namespace announce;

// A poll and its news. Lamps from box 1: '.' dark, 'G', 'R'; news: '.', 'A'larm, 'N'ormal,
// 'U'nsteady; flags: 'a'ttention, 'c'ritical, 'w'ithdraw; `written` -1: no status file.
struct Step {
    const char *before, *after;
    long long written, now;
    bool seen;
    const char* news;
    FileNews file;
    const char* flags;
};

constexpr FileNews kNone = FileNews::None;
constexpr Step Box(const char* before, const char* after, const char* news, const char* flags = "",
                   bool seen = false) {
    return {before, after, 1, 0, seen, news, kNone, flags};
}
// A poll of the lamps alone; one of box 1 steadily green with the file written at `written`.
constexpr Step File(long long written, long long now, FileNews file = kNone,
                    const char* flags = "") {
    return {"G", "G", written, now, false, "", file, flags};
}

constexpr std::string_view kLampLetters = ".GR";  // in the order of Lamp
std::array<Lamp, profile::kBoxCount> LampsOf(const std::string& letters) {
    std::array<Lamp, profile::kBoxCount> lamps{};
    for (std::size_t i = 0; i < letters.size(); ++i) lamps[i] = Lamp(kLampLetters.find(letters[i]));
    return lamps;
}

std::string NewsOf(const Announcement& told) {
    std::string news;
    for (BoxNews box : told.boxes) news += ".ANU"[static_cast<int>(box)];
    return news.substr(0, news.find_last_not_of('.') + 1);
}

const std::pair<const char*, std::vector<Step>> kCases[] = {
    {"a new alarm, standing, then cleared but unseen: the notice stays",
     {Box("GG", "GR", ".A", "ac"), Box("GR", "GR", ""), Box("GR", "GG", ".N"), Box("G", "G", "")}},
    {"seen: the notice goes, once; news while seen is told",
     {Box("G", "R", "A", "ac"), Box("R", "R", "", "w", true), Box("R", "R", "", "", true),
      Box("RG", "RR", ".A", "ac", true)}},
    {"a flood is one notice",
     {Box("GGGGGGGGGGGGGGG", "RRRRRRRRRRRRRRR", "AAAAAAAAAAAAAAA", "ac"),
      Box("RRRG", "GGRR", "NN.A", "ac")}},
    {"a 30 s rhythm that stops: stale after 3 min by the panel's clock, once; then back",
     {File(100, 110), File(130, 140), File(160, 170), File(160, 349),
      File(160, 350, FileNews::Stale, "c"), File(160, 370), File(400, 400, FileNews::Back)}},
    {"a 60 s rhythm that stops, then a 5 min one: stale after three of its gaps",
     {File(0, 0), File(60, 60), File(120, 120), File(120, 299),
      File(120, 300, FileNews::Stale, "c"), File(0, 400, FileNews::Back), File(300, 700),
      File(600, 1000), File(600, 1899), File(600, 1900, FileNews::Stale, "c")}},
    {"the usual gap: one quick write or one pause does not move it",
     {File(0, 0), File(300, 300), File(330, 330), File(630, 630), File(630, 1529), File(5000, 5000),
      File(5300, 5300), File(5300, 6199), File(5300, 6200, FileNews::Stale, "c")}},
    {"a file server's clock 4 min behind and a late write: no news",
     {File(10, 250), File(40, 280), File(70, 310), File(70, 340), File(130, 370)}},
    {"missing from the start, once; back once; missing again, once; never stale when seen "
     "rewritten once or not at all",
     {File(-1, 100, FileNews::Unreadable, "c"), File(-1, 130), File(100, 160, FileNews::Back),
      File(100, 9000), File(-1, 9030, FileNews::Unreadable, "c"), File(50, 9060, FileNews::Back),
      File(80, 9090), File(80, 90000)}},
    {"flapping: unsteady once, quiet, then where it came to rest",
     {Box("G", "R", "A", "ac"), Box("R", "G", "N"), Box("G", "R", "U", "ac"), Box("R", "G", ""),
      Box("G", "R", ""), Box("R", "R", ""), Box("R", "R", ""), Box("R", "R", "A", "ac"),
      Box("R", "G", "N")}},
    {"a disabled row is no news, and enabling it again starts afresh",
     {Box("G", "R", "A", "ac"), Box("R", "G", "N"), Box(".", ".", ""), Box("G", "R", "A", "ac")}},
};

TEST(Announcements, EachPollAnnouncesWhatChangedOnceAndNoFloods) {
    for (const auto& [name, steps] : kCases) {
        Memory memory;
        for (const Step& step : steps) {
            Poll poll{LampsOf(step.before), LampsOf(step.after), std::nullopt, step.now, step.seen};
            if (step.written >= 0) poll.writtenAt = step.written;
            const Announcement told = Decide(memory, poll);
            const std::string flags = std::string(told.askAttention ? "a" : "") +
                                      (told.critical ? "c" : "") + (told.withdraw ? "w" : "");
            SCOPED_TRACE(std::string(name) + ", poll " + std::to_string(&step - steps.data() + 1));
            EXPECT_EQ(NewsOf(told), step.news);
            EXPECT_EQ(told.file, step.file);
            EXPECT_EQ(flags, step.flags);
        }
    }
}

}  // namespace
