// box-simulator as the demo and a site's tests run it: what it writes, how it writes it, how it
// stops.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "profile/box_status.h"
#include "profile/private_profile.h"
#include "tests/profile/profile_dir.h"
#include "tests/tools/child_process.h"

namespace {

using Args = std::vector<std::string>;

const Args kReplay = {"--start", "01.02.2026 10:00:00", "--interval", "5"};
const std::regex kTime(R"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d)");

Args With(Args args, const Args& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

class BoxSimulator : public ProfileDirTest {
  protected:
    test::Finished Simulate(const Args& args) const { return test::Run(BOX_SIMULATOR, args); }
    ino_t InodeOf(const std::string& name) const {
        struct stat st {};
        return ::stat(PathOf(name).c_str(), &st) == 0 ? st.st_ino : 0;
    }
};

TEST_F(BoxSimulator, TheSameSeedReplaysTheSameRunInEitherWritingMode) {
    const Args run = With(kReplay, {"--boxes", "1-5", "--ticks", "40"});
    const test::Finished first = Simulate(With(run, {"--seed", "7"}));
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::string written = Get("zivazoz.ini");
    for (profile::BoxNumber box = 1; box <= profile::kBoxCount; ++box) {
        SCOPED_TRACE("Box" + std::to_string(box));
        const profile::BoxStatus status = profile::ReadBoxStatus(box);
        if (box > 5) {
            EXPECT_EQ(status, profile::BoxStatus());
            continue;
        }
        EXPECT_TRUE(status.watchDogError == 0 || status.watchDogError == 1);
        EXPECT_TRUE(std::regex_match(status.lastStringReceivedAt, kTime));
        for (const std::string& alarm : {status.lastAlarmForC1, status.lastAlarmForC2})
            EXPECT_TRUE(alarm.empty() || std::regex_match(alarm, kTime)) << alarm;
    }

    std::filesystem::remove(PathOf("zivazoz.ini"));
    const test::Finished again = Simulate(With(run, {"--seed", "7", "--in-place"}));
    EXPECT_EQ(again.out, first.out);
    EXPECT_EQ(Get("zivazoz.ini"), written);

    std::filesystem::remove(PathOf("zivazoz.ini"));
    const test::Finished other = Simulate(With(run, {"--seed", "8"}));
    EXPECT_NE(Get("zivazoz.ini"), written);
}

// A watcher polling every 30 seconds sees the lamps change within a minute, and the events
// printed are the ones the file shows.
TEST_F(BoxSimulator, SomeWatchdogChangesAtLeastEvery45SecondsAndTheFileAgrees) {
    const std::vector<std::pair<const char*, const char*>> runs = {
        {"1", "1"}, {"2", "1-5"}, {"3", "2,9,15"}, {"4", "1-15"}};
    for (const auto& [seed, boxes] : runs) {
        SCOPED_TRACE(std::string("seed ") + seed + ", boxes " + boxes);
        std::filesystem::remove(PathOf("zivazoz.ini"));
        // Ten minutes of five-second steps.
        const test::Finished run =
            Simulate(With(kReplay, {"--seed", seed, "--boxes", boxes, "--ticks", "120"}));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::regex event(R"(01\.02\.2026 10:(\d\d):(\d\d)  Box(\d+) *  (.*))");
        std::istringstream lines(run.out);
        std::map<int, int> lastError;
        int lastChange = 0, alarms = 0;
        for (std::string line; std::getline(lines, line);) {
            std::smatch m;
            ASSERT_TRUE(std::regex_match(line, m, event)) << line;
            const int at = std::stoi(m[1]) * 60 + std::stoi(m[2]);
            if (m[4].str().starts_with("alarm on contact ")) {
                ++alarms;
                continue;
            }
            EXPECT_LE(at - lastChange, 45) << line;
            lastChange = at;
            lastError[std::stoi(m[3])] = m[4] == "watchdog error" ? 1 : 0;
        }
        EXPECT_GE(595 - lastChange, 0);
        EXPECT_LE(595 - lastChange, 45);
        EXPECT_GT(alarms, 0);
        const auto flags = profile::ReadWatchDogErrors();
        for (const auto& [box, error] : lastError) EXPECT_EQ(flags[box - 1], error) << "Box" << box;
    }
}

struct Mode {
    const char* name;
    Args args;
    bool replaced;  // a new file took the old one's place
};

void PrintTo(const Mode& mode, std::ostream* os) { *os << mode.name; }

class WritingMode : public BoxSimulator, public ::testing::WithParamInterface<Mode> {};

TEST_P(WritingMode, KeepsWhatElseTheFileHolds) {
    Put("zivazoz.ini", "; kept\r\n[Service]\r\nVersion=3\r\n[Box9]\r\nWatchDogError=1\r\n");
    // Held open, so that a replacement cannot be given the same inode number.
    const int old = ::open(PathOf("zivazoz.ini").c_str(), O_RDONLY);
    const ino_t before = InodeOf("zivazoz.ini");
    const test::Finished run =
        Simulate(With(With(kReplay, GetParam().args), {"--boxes", "1,2", "--ticks", "3"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(InodeOf("zivazoz.ini") != before, GetParam().replaced);
    ::close(old);
    EXPECT_TRUE(Get("zivazoz.ini")
                    .starts_with("; kept\r\n[Service]\r\nVersion=3\r\n[Box9]\r\n"
                                 "WatchDogError=1\r\n[Box1]\r\nWatchDogError="));
    EXPECT_FALSE(profile::ReadBoxStatus(2).lastStringReceivedAt.empty());
    EXPECT_EQ(EntryCount(), 1u) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Modes, WritingMode,
                         ::testing::Values(Mode{"Replace", {}, true},
                                           Mode{"InPlace", {"--in-place"}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Stop {
    const char* name;
    int signal;
    Args args;
};

void PrintTo(const Stop& stop, std::ostream* os) { *os << stop.name; }

class StopSignal : public BoxSimulator, public ::testing::WithParamInterface<Stop> {};

TEST_P(StopSignal, EndsAtOnceWithTheFileWhole) {
    test::ChildProcess simulator(BOX_SIMULATOR,
                                 With(GetParam().args, {"--boxes", "1-3", "--interval", "60"}));
    ASSERT_TRUE(simulator.started());
    for (int i = 0; i < 200 && profile::ReadBoxStatus(3).lastStringReceivedAt.empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_FALSE(profile::ReadBoxStatus(3).lastStringReceivedAt.empty());

    const auto sent = std::chrono::steady_clock::now();
    simulator.Signal(GetParam().signal);
    const test::Finished run = simulator.Wait(10000);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(5));
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (profile::BoxNumber box = 1; box <= 3; ++box)
        EXPECT_FALSE(profile::ReadBoxStatus(box).lastStringReceivedAt.empty()) << box;
    EXPECT_EQ(EntryCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignal,
                         ::testing::Values(Stop{"TermReplacing", SIGTERM, {}},
                                           Stop{"IntReplacing", SIGINT, {}},
                                           Stop{"TermInPlace", SIGTERM, {"--in-place"}},
                                           Stop{"IntInPlace", SIGINT, {"--in-place"}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Refusal {
    const char* name;
    Args args;
    int exitCode;
    const char* says;  // a part of what it prints on standard error
};

void PrintTo(const Refusal& refusal, std::ostream* os) { *os << refusal.name; }

class Refused : public BoxSimulator, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refused, SaysWhyAndWritesNothing) {
    const bool blocked = GetParam().exitCode == 1;
    if (blocked) std::filesystem::create_directory(PathOf("zivazoz.ini"));
    const test::Finished run = Simulate(With(GetParam().args, {"--boxes=1", "--ticks=1"}));
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    if (!blocked) {
        EXPECT_FALSE(Exists("zivazoz.ini"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, Refused,
    ::testing::Values(
        Refusal{"ZeroInterval", {"--interval", "0"}, 2, "--interval needs seconds above 0"},
        Refusal{"NegativeInterval", {"--interval=-1"}, 2, "not \"-1\""},
        Refusal{"WordInterval", {"--interval", "soon"}, 2, "not \"soon\""},
        Refusal{"BoxZero", {"--boxes", "0"}, 2, "--boxes needs box numbers 1 to 15"},
        Refusal{"BoxSixteen", {"--boxes", "1-16"}, 2, "not \"1-16\""},
        Refusal{"BackwardRange", {"--boxes", "5-3"}, 2, "not \"5-3\""},
        Refusal{"TrailingComma", {"--boxes", "1,"}, 2, "not \"1,\""},
        Refusal{"NegativeSeed", {"--seed", "-1"}, 2, "--seed needs a whole number"},
        Refusal{"HugeSeed", {"--seed", "4294967296"}, 2, "--seed needs a whole number"},
        Refusal{"NoTicks", {"--ticks", "0"}, 2, "--ticks needs a whole number above 0"},
        Refusal{"BadStart", {"--start", "tomorrow"}, 2, "--start needs a time"},
        Refusal{"Unknown", {"--fast"}, 2, "unknown option --fast"},
        Refusal{"ADirectoryInThePlaceOfTheFile", {}, 1, "zivazoz.ini: not a regular file"},
        Refusal{"ADirectoryInThePlaceOfTheFileInPlace",
                {"--in-place"},
                1,
                "zivazoz.ini: not a regular file"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoxSimulator, StartWithoutTicksIsRefused) {
    const test::Finished run = Simulate({"--start", "01.02.2026 10:00:00"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--start needs --ticks"), std::string::npos) << run.err;
}

// Without --boxes it simulates the boxes enabled in the box file, the demo's among them; the
// demo's box file never replaces one that is there.
TEST_F(BoxSimulator, FollowsTheBoxesEnabledInTheDemoBoxFile) {
    ASSERT_EQ(test::Run(DEMO_BOXES, {dir_}).exitCode, 0);
    const std::string boxFile = Get("rurizuz.ini");
    ASSERT_EQ(Simulate(With(kReplay, {"--ticks", "1"})).exitCode, 0);
    std::string simulated;
    for (profile::BoxNumber box = 1; box <= profile::kBoxCount; ++box)
        if (!profile::ReadBoxStatus(box).lastStringReceivedAt.empty())
            simulated += std::to_string(box) + " ";
    EXPECT_EQ(simulated, "1 2 3 5 6 ");

    Put("rurizuz.ini", "[zivazoz]\r\nBox1=1\r\n");
    EXPECT_EQ(test::Run(DEMO_BOXES, {dir_}).exitCode, 0);
    EXPECT_EQ(Get("rurizuz.ini"), "[zivazoz]\r\nBox1=1\r\n");
    EXPECT_TRUE(boxFile.starts_with("[zivazoz]\r\nBox1=1\r\nLocBox1=Pumpwerk Nord\r\n")) << boxFile;
}

}  // namespace
