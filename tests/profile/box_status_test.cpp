// The box status file as the service leaves it: whole, torn, garbled or being rewritten.
#include "profile/box_status.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "profile/file_store.h"
#include "profile/private_profile.h"
#include "profile_dir.h"

namespace profile {
void PrintTo(const BoxStatus& s, std::ostream* os) {
    *os << "{" << s.watchDogError << ", \"" << s.lastStringReceivedAt << "\", \""
        << s.lastAlarmForC1 << "\", \"" << s.lastAlarmForC2 << "\"}";
}
}  // namespace profile

namespace {

using profile::BoxStatus;
using profile::kBoxCount;
using profile::kBoxStatusFile;
using Boxes = std::array<BoxStatus, kBoxCount>;

using BoxStatusTest = ProfileDirTest;

// The one lookup of a box's flag, as the profile call makes it.
int FlagByTheProfileCall(int box) {
    return static_cast<int>(profile::GetPrivateProfileIntA(("Box" + std::to_string(box)).c_str(),
                                                           "WatchDogError", 0, kBoxStatusFile));
}

// Every box as all three reads see it; they must agree on its flag.
Boxes ReadAllBoxes() {
    std::array<std::int32_t, kBoxCount> flags = profile::ReadWatchDogErrors();
    Boxes boxes;
    for (int box = 1; box <= kBoxCount; ++box) {
        boxes[box - 1] = profile::ReadBoxStatus(box);
        EXPECT_EQ(flags[box - 1], boxes[box - 1].watchDogError) << "box " << box;
        EXPECT_EQ(FlagByTheProfileCall(box), boxes[box - 1].watchDogError) << "box " << box;
    }
    return boxes;
}

// A literal with its NUL bytes, without counting them by hand.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// All boxes missing but one.
Boxes OnlyBox(int box, BoxStatus status) {
    Boxes boxes{};
    if (box) boxes[box - 1] = std::move(status);
    return boxes;
}

// Runs every read on a thread of its own first, so a hang fails the test instead of stopping
// the whole run; a hung thread is left behind, and the run ends as soon as it can.
bool ReadsFinishWithin(unsigned seconds) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread([done] {
        (void)profile::ReadWatchDogErrors();
        for (int box = 1; box <= kBoxCount; ++box) {
            (void)FlagByTheProfileCall(box);
            (void)profile::ReadBoxStatus(box);
        }
        *done = true;
    }).detach();
    for (unsigned tick = 0; tick < seconds * 100 && !*done; ++tick)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return *done;
}

// Puts `bytes` in place of `to` in one step, as a service that replaces its file does.
void ReplaceWith(const std::string& from, const std::string& to, const std::string& bytes) {
    std::ofstream(from, std::ios::binary) << bytes;
#ifdef _WIN32
    MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
#else
    std::rename(from.c_str(), to.c_str());
#endif
}

TEST_F(BoxStatusTest, MissingFileSectionOrKeyReadsAsNoErrorAndNoText) {
    EXPECT_EQ(ReadAllBoxes(), Boxes{}) << "no file";
    Put(kBoxStatusFile, "[Box3]\r\nOther=1\r\n[Status]\r\nWatchDogError=5\r\nLastAlarmForC1=x\r\n");
    EXPECT_EQ(ReadAllBoxes(), Boxes{}) << "no box section holds a key";
}

TEST_F(BoxStatusTest, EachBoxHasItsOwnFlagByTheIntegerRules) {
    // Box N in the file as "[BoxN]", listed backwards so that "Box10" comes before "Box1".
    const std::vector<std::pair<int, const char*>> values = {
        {15, "-15"}, {12, "12"}, {10, "10"}, {8, nullptr}, {7, ""}, {6, "abc"},
        {5, "-1"},   {4, "3"},   {3, "2"},   {2, "1"},     {1, "0"}};
    std::string file;
    for (auto [box, value] : values) {
        file += "[Box" + std::to_string(box) + "]\r\n";
        if (value) file += std::string("WatchDogError=") + value + "\r\n";
    }
    Put(kBoxStatusFile, file);
    const std::array<std::int32_t, kBoxCount> expected = {0, 1,  2, 3,  -1, 0, 0,  0,
                                                          0, 10, 0, 12, 0,  0, -15};
    Boxes boxes = ReadAllBoxes();
    for (int i = 0; i < kBoxCount; ++i) EXPECT_EQ(boxes[i].watchDogError, expected[i]) << i + 1;
}

TEST_F(BoxStatusTest, TextsAreTheirBoxsBytesCutTo79) {
    Put(kBoxStatusFile,
        "[Box10]\r\nLastStringReceivedAt=10\r\nLastAlarmForC1=10\r\nLastAlarmForC2=10\r\n"
        "[Box1]\r\nLastAlarmForC2=T\xFCr 2 offen\r\nLastStringReceivedAt=" +
            std::string(100, 's') + "\r\n");
    Boxes expected{};
    expected[0] = {0, std::string(79, 's'), "", "T\xFCr 2 offen"};
    expected[9] = {0, "10", "10", "10"};
    EXPECT_EQ(ReadAllBoxes(), expected);
}

struct DamagedCase {
    const char* what;
    std::string bytes;
    int box;  // the one box that reads anything, 0 for none
    BoxStatus status;
};

void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.what; }

class BoxStatusDamaged : public ProfileDirTest,
                         public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(BoxStatusDamaged, ReadsWhatIsWholeAndNothingElse) {
    Put(kBoxStatusFile, GetParam().bytes);
    EXPECT_EQ(ReadAllBoxes(), OnlyBox(GetParam().box, GetParam().status));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoxStatusDamaged,
    ::testing::Values(
        DamagedCase{"cut mid-value",
                    "[Box2]\r\nWatchDogError=3\r\nLastAlarmForC1=12.03. 10:4",
                    2,
                    {3, "", "12.03. 10:4", ""}},
        DamagedCase{"cut mid-key", "[Box2]\r\nWatchDogError=3\r\nLastAlarmFo", 2, {3, "", "", ""}},
        DamagedCase{"cut mid-number", "[Box2]\r\nWatchDogError=-", 2, {0, "", "", ""}},
        DamagedCase{"cut mid-header", "[Box2]\r\nWatchDogError=1\r\n[Box1", 2, {1, "", "", ""}},
        DamagedCase{
            "cut before the header's bracket closes", "[Box1\r\nWatchDogError=1\r\n", 0, {}},
        DamagedCase{"CR-only lines",
                    "[Box2]\rWatchDogError=2\rLastStringReceivedAt=10:41\rLastAlarmForC2=10:40\r",
                    2,
                    {2, "10:41", "", "10:40"}},
        DamagedCase{"NUL ends a value, not the file",
                    Bytes("[Box2]\r\nLastAlarmForC1=ab\0cd\r\nWatchDogError=5\r\n"),
                    2,
                    {5, "", "ab", ""}},
        DamagedCase{"NUL inside a header", Bytes("[Bo\0x2]\r\nWatchDogError=5\r\n"), 0, {}},
        DamagedCase{"larger than any status file, so not read at all",
                    "[Box2]\r\nWatchDogError=5\r\n" + std::string(profile::kMaxFileSize, ';'),
                    0,
                    {}}));

TEST_F(BoxStatusTest, JunkAndHugeFilesNeitherCrashNorHang) {
    std::mt19937 random(11);
    auto junk = [&](std::size_t size) {
        // Mostly the bytes that matter to the parser (NUL and lone CRs among them), some arbitrary.
        static const char kAlphabet[] = "[]=;\"' \t\r\r\n\0\xFC";
        std::string bytes(size, '\0');
        for (char& c : bytes)
            c = random() % 4 ? kAlphabet[random() % (sizeof kAlphabet - 1)]
                             : static_cast<char>(random());
        return bytes;
    };
    // Each file: junk, one readable box on CR-only lines, junk.
    std::vector<std::pair<std::string, std::string>> around;
    for (int round = 0; round < 20; ++round)
        around.emplace_back(junk(random() % 4096), junk(random() % 4096));
    around.emplace_back(junk(1u << 20), "");
    around.emplace_back(std::string(1u << 20, '='), std::string(1u << 20, '['));
    for (std::size_t i = 0; i < around.size(); ++i) {
        int box = 1 + static_cast<int>(i % kBoxCount);
        Put(kBoxStatusFile, around[i].first + "\r[Box" + std::to_string(box) + "]\rWatchDogError=" +
                                std::to_string(box) + "\rLastAlarmForC1=ok\r" + around[i].second);
        ASSERT_TRUE(ReadsFinishWithin(20)) << "file " << i;
        EXPECT_EQ(ReadAllBoxes(), OnlyBox(box, {box, "", "ok", ""})) << "file " << i;
    }
}

TEST_F(BoxStatusTest, TheFlagsTellWhenTheirFileWasWrittenOrWhyItWasNotRead) {
    std::optional<std::int64_t> writtenAt = 0;
    int failure = 0;
    EXPECT_EQ(profile::ReadWatchDogErrors(&writtenAt, &failure)[0], 0);
    EXPECT_EQ(writtenAt, std::nullopt) << "no file";
    EXPECT_EQ(failure, ENOENT);
    Put(kBoxStatusFile, "[Box1]\r\nWatchDogError=1\r\n");
    EXPECT_EQ(profile::ReadWatchDogErrors(&writtenAt, &failure)[0], 1);
    const auto written =
        std::chrono::file_clock::to_sys(std::filesystem::last_write_time(PathOf(kBoxStatusFile)));
    EXPECT_EQ(writtenAt,
              std::chrono::floor<std::chrono::seconds>(written).time_since_epoch().count());
    EXPECT_EQ(failure, 0);
    Put(kBoxStatusFile, std::string(profile::kMaxFileSize + 1, '\n'));
    EXPECT_EQ(profile::ReadWatchDogErrors(&writtenAt, &failure)[0], 0);
    EXPECT_EQ(writtenAt, std::nullopt) << "too large";
    EXPECT_EQ(failure, EOVERFLOW);
}

TEST_F(BoxStatusTest, EveryCallSeesTheFileAsItIsNow) {
    // Same size and most likely the same time stamp: a cache keyed on either would miss it.
    Put(kBoxStatusFile, "[Box4]\r\nWatchDogError=1\r\nLastAlarmForC2=old\r\n");
    EXPECT_EQ(ReadAllBoxes(), OnlyBox(4, {1, "", "", "old"}));
    Put(kBoxStatusFile, "[Box4]\r\nWatchDogError=0\r\nLastAlarmForC2=new\r\n");
    EXPECT_EQ(ReadAllBoxes(), OnlyBox(4, {0, "", "", "new"}));
    std::filesystem::remove(PathOf(kBoxStatusFile));
    EXPECT_EQ(ReadAllBoxes(), Boxes{});
}

TEST_F(BoxStatusTest, ARewriteDuringAReadIsNeverMixedIn) {
    // The service replaces the file with one of two versions, over and over. Every box reads
    // flag N with all its texts "vN", so a read that took parts of both shows.
    std::array<std::string, 2> versions;
    for (int v = 1; v <= 2; ++v)
        for (int box = 1; box <= kBoxCount; ++box)
            versions[v - 1] += "[Box" + std::to_string(box) + "]\r\nLastStringReceivedAt=v" +
                               std::to_string(v) + "\r\nLastAlarmForC1=v" + std::to_string(v) +
                               "\r\nLastAlarmForC2=v" + std::to_string(v) +
                               "\r\nWatchDogError=" + std::to_string(v) + "\r\n";
    Put(kBoxStatusFile, versions[0]);
    const std::string path = PathOf(kBoxStatusFile), temporary = PathOf("next.tmp");
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 1; !stop; ++i) ReplaceWith(temporary, path, versions[i % 2]);
    });
    int mixed = 0;
    std::array<int, 3> seen{};
    for (int round = 0; round < 3000; ++round) {
        BoxStatus s = profile::ReadBoxStatus(1 + round % kBoxCount);
        std::string text = "v" + std::to_string(s.watchDogError);
        mixed +=
            s.lastStringReceivedAt != text || s.lastAlarmForC1 != text || s.lastAlarmForC2 != text;
        std::array<std::int32_t, kBoxCount> flags = profile::ReadWatchDogErrors();
        for (std::int32_t flag : flags) mixed += flag != flags[0];
        if (flags[0] == 1 || flags[0] == 2) ++seen[flags[0]];
    }
    stop = true;
    writer.join();
    EXPECT_EQ(mixed, 0);
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(seen[2], 0) << "the file never changed under the reads";
}

TEST_F(BoxStatusTest, ReadingNeverWritesOrCreatesAFile) {
    ReadAllBoxes();
    EXPECT_EQ(EntryCount(), 0u) << "reading a missing file creates nothing";
    const std::string bytes = "[Box1]\r\nWatchDogError=1\r\nLastAlarmForC1=12:00\r\n";
    Put(kBoxStatusFile, bytes);
    // An old time stamp, so that any write, even of the same bytes, moves it.
    const auto old =
        std::filesystem::last_write_time(PathOf(kBoxStatusFile)) - std::chrono::hours(24);
    std::filesystem::last_write_time(PathOf(kBoxStatusFile), old);
#ifndef _WIN32
    struct stat before, after;
    ASSERT_EQ(stat(PathOf(kBoxStatusFile).c_str(), &before), 0);
#endif
    EXPECT_EQ(ReadAllBoxes()[0], (BoxStatus{1, "", "12:00", ""}));
    EXPECT_EQ(Get(kBoxStatusFile), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(PathOf(kBoxStatusFile)), old);
#ifndef _WIN32
    ASSERT_EQ(stat(PathOf(kBoxStatusFile).c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "not replaced";
#endif
    EXPECT_EQ(EntryCount(), 1u) << "no lock or temporary file left beside it";
}

}  // namespace
