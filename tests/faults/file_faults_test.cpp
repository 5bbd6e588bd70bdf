// Saves that are killed half-way and saves from two processes at once leave a whole table.
// A small program that does nothing but save stands in for the panel here: the save is the
// same call the panel's "save" makes, and it can be killed two hundred times in seconds.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "tests/faults/tables.h"
#include "tests/profile/profile_dir.h"

namespace {

using SaveFaults = ProfileDirTest;

// A running save_loop; killed with SIGKILL when it goes, if still running.
class Saver {
  public:
    explicit Saver(int firstVariant) {
        int out[2];
        EXPECT_EQ(pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string variant = std::to_string(firstVariant);
        char* argv[] = {const_cast<char*>(SAVE_LOOP), variant.data(), nullptr};
        EXPECT_EQ(posix_spawn(&pid_, SAVE_LOOP, &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char line[16];
        started_ = read(out[0], line, sizeof line) > 0;  // it has begun saving
        close(out[0]);
    }
    ~Saver() { Kill(); }
    bool started() const { return started_; }
    // True when it was still saving, as it should be until killed.
    bool Kill() {
        if (pid_ <= 0) return false;
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

  private:
    pid_t pid_ = 0;
    bool started_ = false;
};

std::set<std::string> Temporaries(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename();
        if (name != profile::kBoxConfigFile) names.insert(name);
    }
    return names;
}

TEST_F(SaveFaults, KilledAtRandomMomentsTheFileIsAlwaysTheOldOrTheNewTableByteForByte) {
    std::set<std::string> whole;
    for (int variant : {0, 1}) {
        ASSERT_TRUE(profile::WriteBoxTable(faults::Table(variant)));
        whole.insert(Get(profile::kBoxConfigFile));
    }
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::set<std::string> leftOver;
    for (int kill = 0; kill < 200; ++kill) {
        Saver saver(0);
        ASSERT_TRUE(saver.started());
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 10000));
        ASSERT_TRUE(saver.Kill()) << "the saver stopped by itself";
        ASSERT_EQ(whole.count(Get(profile::kBoxConfigFile)), 1u) << "after kill " << kill;
        const std::set<std::string> temporaries = Temporaries(dir_);
        // One may be left by the save that was cut; the next save clears it away.
        ASSERT_LE(temporaries.size(), 1u) << "after kill " << kill;
        leftOver.insert(temporaries.begin(), temporaries.end());
    }
    ASSERT_TRUE(profile::WriteBoxTable(faults::Table(5)));
    EXPECT_TRUE(Temporaries(dir_).empty());
    // Not a test condition, but shows the kills did land inside saves.
    std::printf("kills that left a temporary file: %zu of 200\n", leftOver.size());
}

TEST_F(SaveFaults, TwoProcessesSavingAtOnceLandWholeOneAfterTheOther) {
    std::map<std::string, int> saverOf;  // each whole table and the process that saves it
    for (int variant : {10, 11, 20, 21}) {
        ASSERT_TRUE(profile::WriteBoxTable(faults::Table(variant)));
        saverOf[Get(profile::kBoxConfigFile)] = variant / 10;
    }
    std::set<int> seenFrom;
    {
        Saver first(10), second(20);
        ASSERT_TRUE(first.started() && second.started());
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < end) {
            const auto whole = saverOf.find(Get(profile::kBoxConfigFile));
            ASSERT_NE(whole, saverOf.end()) << "a reader saw a mixed or partial table";
            seenFrom.insert(whole->second);
        }
        EXPECT_TRUE(first.Kill() && second.Kill()) << "a saver failed or crashed";
    }
    EXPECT_TRUE(saverOf.count(Get(profile::kBoxConfigFile)));
    EXPECT_EQ(seenFrom, (std::set<int>{1, 2})) << "the saves of both processes landed";
}

}  // namespace
