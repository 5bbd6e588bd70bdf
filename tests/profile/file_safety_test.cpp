// The file is never torn, never loses another writer's keys, and failures say so.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

#include "profile/private_profile.h"
#include "profile_dir.h"

namespace {

using FileSafetyTest = ProfileDirTest;

std::string Value(const char* section, const char* key, const std::string& path = "t.ini") {
    char buf[256];
    profile::GetPrivateProfileStringA(section, key, "<missing>", buf, sizeof buf, path.c_str());
    return buf;
}

#ifndef _WIN32
// Runs body in a child process and returns its exit status (-1 when it did not exit).
int InChild(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(FileSafetyTest, FileSizeLimitFailsTheWriteAndKeepsTheOldFile) {
    const std::string before = "[S]\r\nk=small\r\n";
    Put("t.ini", before);
    int status = InChild([] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64, 64};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
        errno = 0;
        if (profile::WritePrivateProfileStringA("S", "k", std::string(200, 'x').c_str(), "t.ini"))
            return 11;
        return errno == EFBIG ? 0 : 12;
    });
    EXPECT_EQ(status, 0) << "10: setrlimit, 11: reported success, 12: wrong errno";
    EXPECT_EQ(Get("t.ini"), before);
    EXPECT_EQ(EntryCount(), 1u) << "the failed temporary file is removed";
}

TEST_F(FileSafetyTest, ReadOnlyDirectoryFailsTheWriteAndKeepsTheOldFile) {
    const std::string before = "[S]\r\nk=v\r\n";
    Put("t.ini", before);
    // Root ignores permissions, so the write is tried as an unprivileged user.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(dir_.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(chmod(dir_.c_str(), 0555), 0);
    int status = InChild([] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 10;
        errno = 0;
        if (profile::WritePrivateProfileStringA("S", "k", "new", "t.ini")) return 11;
        return errno == EACCES ? 0 : 12;
    });
    EXPECT_EQ(status, 0) << "10: could not drop privileges, 11: reported success, 12: errno";
    EXPECT_EQ(Get("t.ini"), before);
}

TEST_F(FileSafetyTest, FifoInPlaceOfTheFileDoesNotHang) {
    ASSERT_EQ(mkfifo(PathOf("t.ini").c_str(), 0600), 0);
    EXPECT_EQ(Value("S", "k"), "<missing>");
    EXPECT_FALSE(profile::WritePrivateProfileStringA("S", "k", "v", "t.ini"));
}

TEST_F(FileSafetyTest, ReplacementKeepsPermissionsAndFollowsSymlinks) {
    Put("real.ini", "[S]\r\nk=1\r\n");
    ASSERT_EQ(chmod(PathOf("real.ini").c_str(), 0640), 0);
    std::filesystem::create_symlink(PathOf("real.ini"), PathOf("t.ini"));
    EXPECT_TRUE(profile::WritePrivateProfileStringA("S", "k", "2", "t.ini"));
    EXPECT_TRUE(std::filesystem::is_symlink(PathOf("t.ini")));
    EXPECT_EQ(Get("real.ini"), "[S]\r\nk=2\r\n");
    struct stat st;
    ASSERT_EQ(stat(PathOf("real.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(FileSafetyTest, NewFileFollowsTheUmask) {
    mode_t old = umask(027);
    EXPECT_TRUE(profile::WritePrivateProfileStringA("S", "k", "v", "t.ini"));
    umask(old);
    struct stat st;
    ASSERT_EQ(stat(PathOf("t.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(FileSafetyTest, TwoProcessesWritingAtOnceLoseNoKey) {
    constexpr int kKeys = 60;
    auto writer = [](char who) {
        return [who] {
            for (int i = 0; i < kKeys; ++i) {
                std::string key = std::string(1, who) + std::to_string(i);
                if (!profile::WritePrivateProfileStringA("S", key.c_str(), "v", "t.ini")) return 1;
            }
            return 0;
        };
    };
    pid_t a = fork();
    if (a == 0) _exit(writer('a')());
    int other = InChild(writer('b'));
    int status = 0;
    waitpid(a, &status, 0);
    ASSERT_EQ(other, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    int missing = 0;
    for (char who : {'a', 'b'})
        for (int i = 0; i < kKeys; ++i)
            missing += Value("S", (std::string(1, who) + std::to_string(i)).c_str()) != "v";
    EXPECT_EQ(missing, 0);
}

TEST_F(FileSafetyTest, KillsDuringSavesNeverLeaveATornFile) {
    // Two whole files, each written as one batch; a reader must only ever see one of them.
    auto save = [](int variant) {
        profile::Batch batch("t.ini");
        for (int i = 0; i < 60; ++i) {
            std::string key = "Key" + std::to_string(i);
            batch.Write("S", key.c_str(), (std::to_string(variant) + std::string(40, 'x')).c_str());
        }
        return batch.Commit();
    };
    ASSERT_TRUE(save(1));
    const std::string one = Get("t.ini");
    ASSERT_TRUE(save(2));
    const std::string two = Get("t.ini");
    std::mt19937 random(7);
    int torn = 0;
    for (int round = 0; round < 15; ++round) {
        pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0;; ++i) save(1 + i % 2);
        }
        auto until =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(5 + random() % 30);
        while (std::chrono::steady_clock::now() < until) {
            std::string seen = Get("t.ini");
            torn += seen != one && seen != two;
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        std::string after = Get("t.ini");
        torn += after != one && after != two;
    }
    EXPECT_EQ(torn, 0);
    ASSERT_TRUE(save(1));
    EXPECT_EQ(EntryCount(), 1u) << "temporaries of killed writers are gone";
}

#endif  // !_WIN32

#ifdef _WIN32
TEST_F(FileSafetyTest, ReadOnlyFileFailsTheWriteAndKeepsTheOldFile) {
    const std::string before = "[S]\r\nk=v\r\n";
    Put("t.ini", before);
    ASSERT_TRUE(SetFileAttributesA(PathOf("t.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    errno = 0;
    EXPECT_FALSE(profile::WritePrivateProfileStringA("S", "k", "new", "t.ini"));
    EXPECT_EQ(errno, EACCES);
    SetFileAttributesA(PathOf("t.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Get("t.ini"), before);
    EXPECT_EQ(EntryCount(), 1u) << "the failed temporary file is removed";
}

// Another program reading the file without letting it be replaced meanwhile: a short hold is
// waited out, a long one fails the write and leaves the file as it was.
TEST_F(FileSafetyTest, AFileHeldOpenByAnotherProgramIsWaitedForAMomentOnly) {
    Put("t.ini", "[S]\r\nk=old\r\n");
    for (const int holdMs : {300, 3000}) {
        HANDLE held = CreateFileA(PathOf("t.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::thread release([&] {
            Sleep(holdMs);
            CloseHandle(held);
        });
        errno = 0;
        const BOOL wrote = profile::WritePrivateProfileStringA("S", "k", "new", "t.ini");
        const int error = errno;
        release.join();
        if (holdMs < 1000) {
            EXPECT_TRUE(wrote) << "held for " << holdMs << " ms";
            EXPECT_EQ(Value("S", "k"), "new");
            Put("t.ini", "[S]\r\nk=old\r\n");
        } else {
            EXPECT_FALSE(wrote) << "held for " << holdMs << " ms";
            EXPECT_TRUE(error == EBUSY || error == EACCES) << error;
            EXPECT_EQ(Value("S", "k"), "old");
        }
        EXPECT_EQ(EntryCount(), 1u);
    }
}

// The lock is a file opened exclusively, so two writers in one process exclude each other as
// two programs do.
TEST_F(FileSafetyTest, TwoWritersAtOnceLoseNoKey) {
    constexpr int kKeys = 60;
    auto writer = [](char who, bool* ok) {
        for (int i = 0; i < kKeys; ++i) {
            const std::string key = std::string(1, who) + std::to_string(i);
            *ok = *ok && profile::WritePrivateProfileStringA("S", key.c_str(), "v", "t.ini");
        }
    };
    bool okA = true, okB = true;
    std::thread a(writer, 'a', &okA), b(writer, 'b', &okB);
    a.join();
    b.join();
    EXPECT_TRUE(okA && okB);
    int missing = 0;
    for (char who : {'a', 'b'})
        for (int i = 0; i < kKeys; ++i)
            missing += Value("S", (std::string(1, who) + std::to_string(i)).c_str()) != "v";
    EXPECT_EQ(missing, 0);
}
#endif

TEST_F(FileSafetyTest, UnreadableFileInTheWayIsNeverOverwritten) {
    std::filesystem::create_directory(PathOf("t.ini"));
    errno = 0;
    EXPECT_FALSE(profile::WritePrivateProfileStringA("S", "k", "v", "t.ini"));
#ifdef _WIN32
    EXPECT_EQ(errno, EACCES);
#else
    EXPECT_EQ(errno, EISDIR);
#endif
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("t.ini")));
    EXPECT_EQ(Value("S", "k"), "<missing>");
}

TEST_F(FileSafetyTest, TemporariesOfAKilledWriterAreClearedByTheNextWrite) {
    Put(".t.ini.tmp-99999-0", "[S]\r\nk=half");
    EXPECT_TRUE(profile::WritePrivateProfileStringA("S", "k", "v", "t.ini"));
    EXPECT_FALSE(Exists(".t.ini.tmp-99999-0"));
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(FileSafetyTest, BatchWithOneRefusedWriteWritesNothing) {
    Put("t.ini", "[S]\r\nk=v\r\n");
    profile::Batch batch("t.ini");
    batch.Write("S", "a", "1");
    batch.Write("S", "b", "2\r\n[x]");
    errno = 0;
    EXPECT_FALSE(batch.Commit());
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(Get("t.ini"), "[S]\r\nk=v\r\n");
}

TEST_F(FileSafetyTest, HugeFilesAndLinesAreReadAndKept) {
    // 100 MB of filler, a line of 4 MB, and the key at the very end.
    std::string bytes = "[Filler]\r\n";
    const std::string line = "Filler=" + std::string(1000, 'f') + "\r\n";
    while (bytes.size() < 100u << 20) bytes += line;
    bytes += "Long=" + std::string(4u << 20, 'l') + "\r\n[S]\r\nk=end\r\n";
    Put("t.ini", bytes);
    EXPECT_EQ(Value("S", "k"), "end");
    EXPECT_EQ(Value("Filler", "Long"), std::string(255, 'l'));
    EXPECT_TRUE(profile::WritePrivateProfileStringA("S", "k", "changed", "t.ini"));
    bytes.replace(bytes.size() - 5, 3, "changed");
    EXPECT_TRUE(Get("t.ini") == bytes) << "every other byte of the big file is kept";
}

TEST_F(FileSafetyTest, RandomBytesNeverCrashAReadOrAWrite) {
    std::mt19937 random(42);
    for (int round = 0; round < 50; ++round) {
        std::string bytes(1 + random() % 4096, '\0');
        for (char& c : bytes) {
            // Mostly the characters that matter to the parser, some arbitrary bytes.
            static const char kAlphabet[] = "[]=;\"' \t\r\nSk\0\xEF\xBB\xBF";
            c = random() % 4 ? kAlphabet[random() % (sizeof kAlphabet - 1)]
                             : static_cast<char>(random());
        }
        Put("t.ini", bytes);
        (void)Value("S", "k");
        (void)profile::GetPrivateProfileIntA("S", "k", 0, "t.ini");
        ASSERT_TRUE(profile::WritePrivateProfileStringA("S", "k", "v", "t.ini"))
            << "round " << round;
        EXPECT_EQ(Value("S", "k"), "v") << "round " << round;
    }
}

}  // namespace
