// A fresh, private profile directory for each test.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

// The process environment, changed so that both the C library and the system see it.
inline void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value);
    SetEnvironmentVariableA(name, value);
#else
    setenv(name, value, 1);
#endif
}

inline void UnsetEnv(const char* name) {
#ifdef _WIN32
    _putenv_s(name, "");
    SetEnvironmentVariableA(name, nullptr);
#else
    unsetenv(name);
#endif
}

// Another program that holds the writers' lock on `file` until the function returned lets go.
inline std::function<void()> HoldTheWritersLock(const std::string& file) {
#ifdef _WIN32
    // Locks are a handle's own, so another handle of this process stands in for a program.
    const HANDLE lock =
        CreateFileA(file.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    OVERLAPPED past{};
    past.Offset = 0x40000000;
    EXPECT_TRUE(LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &past));
    return [lock] { CloseHandle(lock); };
#else
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        const int fd = open(file.c_str(), O_RDWR);
        struct flock whole {};
        whole.l_type = F_WRLCK;
        if (fd < 0 || fcntl(fd, F_SETLK, &whole) != 0) _exit(1);
        (void)!write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char byte;
    EXPECT_EQ(read(ready[0], &byte, 1), 1) << "the other process took no lock";
    close(ready[0]);
    close(ready[1]);
    return [holder] {
        kill(holder, SIGKILL);
        waitpid(holder, nullptr, 0);
    };
#endif
}

#ifdef _WIN32
inline constexpr const char* kStateVariable = "LOCALAPPDATA";
#else
inline constexpr const char* kStateVariable = "XDG_STATE_HOME";
#endif

class ProfileDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
#ifdef _WIN32
        const unsigned long process = GetCurrentProcessId();
#else
        const unsigned long process = static_cast<unsigned long>(getpid());
#endif
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() /
            ("mirelko-test-" + std::to_string(process) + "-" + std::to_string(now % 1000000007) +
             "-" + std::to_string(counter++));
        ASSERT_TRUE(std::filesystem::create_directory(dir)) << dir.string();
        dir_ = dir.string();
        SetEnv("MIRELKO_PROFILE_DIR", dir_.c_str());
        // Copies kept during saves in place go beside it, never into the user's own folders.
        const char* state = std::getenv(kStateVariable);
        stateBefore_ = state ? state : "";
        SetEnv(kStateVariable, (dir_ + "-state").c_str());
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir_, ignored);
        std::filesystem::remove_all(dir_ + "-state", ignored);
        UnsetEnv("MIRELKO_PROFILE_DIR");
        if (stateBefore_.empty()) {
            UnsetEnv(kStateVariable);
        } else {
            SetEnv(kStateVariable, stateBefore_.c_str());
        }
    }

    std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }

    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }

    std::string Get(const std::string& name) const {
        std::ifstream in(PathOf(name), std::ios::binary | std::ios::ate);
        std::string bytes(in ? static_cast<std::size_t>(in.tellg()) : 0, '\0');
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

    bool Exists(const std::string& name) const { return std::filesystem::exists(PathOf(name)); }

    // Every entry of the directory, so tests can see that no temporary file is left over.
    std::size_t EntryCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_),
                                                      std::filesystem::directory_iterator()));
    }

    std::string dir_, stateBefore_;
};
