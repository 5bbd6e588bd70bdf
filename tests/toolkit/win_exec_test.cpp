// WinExec starts programs without waiting, finds bare names like Windows, and reports why not.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/win_api.h"

namespace {

namespace fs = std::filesystem;

// Waits (boundedly) for something a started program does; false if it never happens.
template <class Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 2000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool HasZombieChild() {
    const std::string parent = std::to_string(getpid());
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string stat = ReadAll(entry.path() / "stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos || close + 4 >= stat.size()) continue;
        // After "(name)": the state, then the parent's pid.
        const char state = stat[close + 2];
        const std::string rest = stat.substr(close + 4);
        if (state == 'Z' && rest.substr(0, rest.find(' ')) == parent) return true;
    }
    return false;
}

class WinExecTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("mirelko_winexec_" + std::to_string(getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_ / "with space");
        oldPath_ = std::getenv("PATH") == nullptr ? "" : std::getenv("PATH");
        oldFolder_ = fs::current_path();
    }
    void TearDown() override {
        setenv("PATH", oldPath_.c_str(), 1);
        fs::current_path(oldFolder_);
        fs::remove_all(folder_);
    }

    // A program that writes its arguments, one a line, into `out` in the folder it runs in.
    fs::path Script(const fs::path& path, const std::string& body, bool executable = true) {
        std::ofstream(path) << body;
        fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read);
        return path;
    }
    fs::path Recorder(const fs::path& path) {
        return Script(path, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"" +
                                (folder_ / "out").string() + ".tmp\"\n/bin/mv \"" +
                                (folder_ / "out").string() + ".tmp\" \"" +
                                (folder_ / "out").string() + "\"\n");
    }
    // A program that writes only its tag, to tell which of several of one name was started.
    fs::path Tagged(const fs::path& path, const std::string& tag) {
        const std::string out = (folder_ / "out").string();
        return Script(path, "#!/bin/sh\necho " + tag + " > \"" + out + ".tmp\"\n/bin/mv \"" + out +
                                ".tmp\" \"" + out + "\"\n");
    }
    std::string Output() {
        const fs::path out = folder_ / "out";
        if (!Eventually([&] { return fs::exists(out); })) return "<nothing>";
        return ReadAll(out);
    }

    fs::path folder_;
    std::string oldPath_;
    fs::path oldFolder_;
};

TEST_F(WinExecTest, StartsTheProgramWithItsArgumentsAndReturns33) {
    const fs::path program = Recorder(folder_ / "with space" / "didozur");
    const std::string command = "\"" + program.string() + "\" 42 \"two words\" -7 a\\\"b";
    EXPECT_EQ(WinExec(command.c_str(), SW_SHOW), 33u);
    EXPECT_EQ(Output(), "42\ntwo words\n-7\na\"b\n");
}

TEST_F(WinExecTest, ABareNameIsSearchedInTheOwnFolderThenPathButNeverTheCurrentFolderAlone) {
    const std::string name = "winexec_probe_" + std::to_string(getpid());
    const fs::path own = fs::read_symlink("/proc/self/exe").parent_path() / name;
    const fs::path onPath = folder_ / "with space" / name;
    Tagged(own, "own");
    Tagged(folder_ / name, "planted");
    Tagged(onPath, "path");
    fs::current_path(folder_);
    setenv("PATH", ("/nonexistent:" + onPath.parent_path().string()).c_str(), 1);
    std::vector<std::string> found;
    for (const fs::path& next : {own, onPath}) {
        fs::remove(folder_ / "out");
        EXPECT_EQ(WinExec(name.c_str(), SW_SHOW), 33u);
        found.push_back(Output());
        fs::remove(next);
    }
    EXPECT_EQ(found, (std::vector<std::string>{"own\n", "path\n"}));
    EXPECT_EQ(WinExec(name.c_str(), SW_SHOW), 2u);
    // An empty PATH entry is the current folder, as for a shell.
    setenv("PATH", "/nonexistent::", 1);
    fs::remove(folder_ / "out");
    EXPECT_EQ(WinExec(name.c_str(), SW_SHOW), 33u);
    EXPECT_EQ(Output(), "planted\n");
}

TEST_F(WinExecTest, NeverWaitsForTheProgramToEnd) {
    const fs::path release = folder_ / "release";
    const fs::path finished = folder_ / "finished";
    Script(folder_ / "waiter", "#!/bin/sh\nwhile [ ! -e \"" + release.string() +
                                   "\" ]; do /bin/sleep 0.01; done\n/bin/touch \"" +
                                   finished.string() + "\"\n");
    EXPECT_EQ(WinExec((folder_ / "waiter").c_str(), SW_SHOW), 33u);
    // Returned while the program still waits for us.
    EXPECT_FALSE(fs::exists(finished));
    std::ofstream(release) << "go";
    EXPECT_TRUE(Eventually([&] { return fs::exists(finished); }));
    EXPECT_TRUE(Eventually([] { return !HasZombieChild(); }));
}

TEST_F(WinExecTest, ReportsNotFoundAndNotAProgram) {
    setenv("PATH", folder_.c_str(), 1);
    EXPECT_EQ(WinExec("no_such_program_anywhere 1", SW_SHOW), 2u);
    EXPECT_EQ(WinExec((folder_ / "missing").c_str(), SW_SHOW), 2u);
    EXPECT_EQ(WinExec("", SW_SHOW), 2u);
    EXPECT_EQ(WinExec("   ", SW_SHOW), 2u);
    Script(folder_ / "plain_text", "this is no program\n");
    Script(folder_ / "not_executable", "#!/bin/sh\nexit 0\n", false);
    EXPECT_EQ(WinExec((folder_ / "plain_text").c_str(), SW_SHOW), 11u);
    EXPECT_EQ(WinExec((folder_ / "not_executable").c_str(), SW_SHOW), 11u);
    EXPECT_EQ(WinExec(folder_.c_str(), SW_SHOW), 11u);
    EXPECT_EQ(WinExec("plain_text", SW_SHOW), 11u);
}

TEST_F(WinExecTest, WithoutAThreadToBeHadNothingStartsAndTheResultIsZero) {
    const pid_t forked = fork();
    if (forked == 0) {
        const rlimit one{1, 1};
        setrlimit(RLIMIT_NPROC, &one);  // which holds an ordinary user, not root
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
        const UINT result = WinExec("/bin/true", SW_SHOW);
        _exit(wait(nullptr) == -1 ? static_cast<int>(result) : 98);  // -1: it has no child
    }
    int status = -1;
    ASSERT_EQ(waitpid(forked, &status, 0), forked);
    EXPECT_EQ(status, 0) << "exit code " << WEXITSTATUS(status);
}

}  // namespace
