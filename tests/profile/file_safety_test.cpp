// The file is never torn, never loses another writer's keys, and failures say so.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

#include "profile/file_store.h"
#include "profile/private_profile.h"
#include "profile_dir.h"
#include "tests/profile/batch.h"

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

// Runs body in a child process as an ordinary user: root's children become nobody (65534), who
// then owns the test's directory. Returns the exit status, 10 when privileges could not go.
int AsUser(const std::string& dir, const std::function<int()>& body) {
    if (geteuid() == 0 && chown(dir.c_str(), 65534, 65534) != 0) return 10;
    return InChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 10;
        return body();
    });
}

// Saves as an ordinary user: a directory that takes no new file still lets a writable file be
// saved, in place; without the right to write the file the save is refused at once and says why.
TEST_F(FileSafetyTest, SavesAsAnOrdinaryUserGoInPlaceOrAreRefusedAtOnce) {
    const std::string before = "[S]\r\nk=v\r\n";
    struct Case {
        const char* what;
        mode_t dirMode, fileMode;
        int error;  // 0: saved
    } const cases[] = {
        {"read-only directory, writable file: in place", 0555, 0644, 0},
        {"read-only directory and file: no permission", 0555, 0444, EACCES},
        {"read-only file", 0755, 0444, EACCES},
    };
    for (const Case& c : cases) {
        Put("t.ini", before);
        ASSERT_EQ(chmod(PathOf("t.ini").c_str(), c.fileMode), 0);
        if (geteuid() == 0) {
            ASSERT_EQ(chown(PathOf("t.ini").c_str(), 65534, 65534), 0);
        }
        struct stat old, now;
        ASSERT_EQ(stat(PathOf("t.ini").c_str(), &old), 0);
        const int status = AsUser(dir_, [&] {
            if (chmod(dir_.c_str(), c.dirMode) != 0) return 13;
            // A save that changes nothing has nothing to refuse.
            if (!profile::WritePrivateProfileStringA("S", "k", "v", "t.ini")) return 14;
            errno = 0;
            const auto start = std::chrono::steady_clock::now();
            const bool saved = profile::WritePrivateProfileStringA("S", "k", "new", "t.ini");
            if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(500))
                return 15;
            if (saved != (c.error == 0)) return 11;
            return saved || errno == c.error ? 0 : 12;
        });
        ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
        EXPECT_EQ(status, 0) << c.what << " (10: privileges, 11: outcome, 12: errno, 13: chmod, "
                             << "14: an unchanged save failed, 15: it waited)";
        EXPECT_EQ(Get("t.ini"), c.error ? before : "[S]\r\nk=new\r\n") << c.what;
        ASSERT_EQ(stat(PathOf("t.ini").c_str(), &now), 0);
        EXPECT_TRUE(old.st_ino == now.st_ino && old.st_mode == now.st_mode) << c.what;
        EXPECT_EQ(EntryCount(), 1u) << c.what;
        EXPECT_TRUE(profile::UnfinishedSaveCopies("t.ini").empty()) << c.what;
    }
}

TEST_F(FileSafetyTest, FifoInPlaceOfTheFileDoesNotHang) {
    ASSERT_EQ(mkfifo(PathOf("t.ini").c_str(), 0600), 0);
    EXPECT_EQ(Value("S", "k"), "<missing>");
    EXPECT_FALSE(profile::WritePrivateProfileStringA("S", "k", "v", "t.ini"));
}

// A save follows a link only when the saving user owns the link and what it points to, and
// never as root: a privileged writer must not be led to another user's file.
TEST_F(FileSafetyTest, LinksAreFollowedOnlyToTheSaversOwnFiles) {
    struct LinkCase {
        const char* what;
        bool rootSaves, rootOwnsLink, rootOwnsFile, followed;
    } const cases[] = {
        {"own link to own file in another folder", false, false, false, true},
        {"root's save", true, true, true, false},
        {"own link to another's file", false, false, true, false},
        {"another's link to own file", false, true, false, false},
    };
    std::filesystem::create_directory(PathOf("other"));
    for (const LinkCase& c : cases) {
        const bool root = geteuid() == 0;
        if (!root && (c.rootSaves || c.rootOwnsLink || c.rootOwnsFile)) continue;  // needs root
        std::filesystem::remove(PathOf("t.ini"));
        Put("other/real.ini", "[S]\r\nk=1\r\n");
        ASSERT_EQ(chmod(PathOf("other/real.ini").c_str(), 0640), 0);
        std::filesystem::create_symlink(PathOf("other/real.ini"), PathOf("t.ini"));
        const uid_t user = root ? 65534 : geteuid();
        for (const auto& [path, rootOwns] : {std::pair{PathOf("other"), false},
                                             {PathOf("other/real.ini"), c.rootOwnsFile},
                                             {PathOf("t.ini"), c.rootOwnsLink}})
            ASSERT_EQ(lchown(path.c_str(), rootOwns ? 0 : user, rootOwns ? 0 : user), 0);
        const auto save = [] {
            errno = 0;
            if (profile::WritePrivateProfileStringA("S", "k", "2", "t.ini")) return 0;
            return errno == ELOOP ? 1 : 2;
        };
        const int status = c.rootSaves ? save() : AsUser(dir_, save);
        EXPECT_EQ(status, c.followed ? 0 : 1) << c.what << " (2: another errno)";
        EXPECT_TRUE(std::filesystem::is_symlink(PathOf("t.ini"))) << c.what;
        EXPECT_EQ(Get("other/real.ini"), c.followed ? "[S]\r\nk=2\r\n" : "[S]\r\nk=1\r\n");
        struct stat st;
        ASSERT_EQ(stat(PathOf("other/real.ini").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << c.what;
        if (root) {
            ASSERT_EQ(chown(dir_.c_str(), 0, 0), 0);
        }
    }
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
        Batch batch("t.ini");
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
    ASSERT_TRUE(save(3));
    EXPECT_EQ(EntryCount(), 1u) << "temporaries of killed writers are gone after the next save";
}

#endif  // !_WIN32

#ifdef _WIN32
TEST_F(FileSafetyTest, ReadOnlyFileFailsTheWriteAndKeepsTheOldFile) {
    const std::string before = "[S]\r\nk=v\r\n";
    Put("t.ini", before);
    ASSERT_TRUE(SetFileAttributesA(PathOf("t.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    errno = 0;
    EXPECT_FALSE(profile::WritePrivateProfileStringA("S", "k", "new", "t.ini"));
    EXPECT_EQ(errno, EROFS);
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
            EXPECT_EQ(error, EWOULDBLOCK);
            EXPECT_EQ(Value("S", "k"), "old");
        }
        EXPECT_EQ(EntryCount(), 1u);
    }
}

// What Windows kept for this user while the writes of an older version were redirected is named
// while it differs from the shared file, and never read.
TEST_F(FileSafetyTest, AnOlderVersionsPrivateCopyIsNamedWhileItDiffers) {
    Put("t.ini", "[S]\r\nk=shared\r\n");
    const std::string path = PathOf("t.ini");
    const std::string store = dir_ + "-state\\VirtualStore" + path.substr(2);
    EXPECT_EQ(profile::DifferingVirtualStoreCopy(path), std::nullopt);
    std::filesystem::create_directories(std::filesystem::path(store).parent_path());
    for (const auto& [copy, named] :
         {std::pair{"[S]\r\nk=private\r\n", true}, std::pair{"[S]\r\nk=shared\r\n", false}}) {
        std::ofstream(store, std::ios::binary) << copy;
        EXPECT_EQ(profile::DifferingVirtualStoreCopy(path),
                  named ? std::optional<std::string>(store) : std::nullopt);
    }
    EXPECT_EQ(Value("S", "k"), "shared");
}

// Locks are a handle's own, so two writers in one process exclude each other as two programs do.
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

// A writer that stops while it holds the lock holds up a save for two seconds at most.
TEST_F(FileSafetyTest, ASaveWaitsForAnotherWritersLockTwoSecondsAtMost) {
    const std::string before = "[S]\r\nk=v\r\n";
    Put("t.ini", before);
    const std::function<void()> letGo = HoldTheWritersLock(PathOf("t.ini"));
    const auto start = std::chrono::steady_clock::now();
    errno = 0;
    EXPECT_FALSE(profile::WritePrivateProfileStringA("S", "k", "new", "t.ini"));
    EXPECT_EQ(errno, EWOULDBLOCK);
    const auto waited = std::chrono::steady_clock::now() - start;
    letGo();
    EXPECT_GE(waited, std::chrono::milliseconds(1900));
    EXPECT_LT(waited, std::chrono::seconds(5));
    EXPECT_EQ(Get("t.ini"), before);
    EXPECT_TRUE(profile::WritePrivateProfileStringA("S", "k", "new", "t.ini")) << "once let go";
}

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
    Batch batch("t.ini");
    batch.Write("S", "a", "1");
    batch.Write("S", "b", "2\r\n[x]");
    errno = 0;
    EXPECT_FALSE(batch.Commit());
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(Get("t.ini"), "[S]\r\nk=v\r\n");
}

TEST_F(FileSafetyTest, LargeFilesAndLinesAreReadAndKeptUpToTheLimit) {
    // Filler up to the limit, a line of 1 MB, and the key at the very end.
    std::string bytes = "[Filler]\r\nLong=" + std::string(1u << 20, 'l') + "\r\n";
    const std::string line = "Filler=" + std::string(1000, 'f') + "\r\n";
    const std::string tail = "[S]\r\nk=end\r\n";
    while (bytes.size() + line.size() + tail.size() + 4 <= profile::kMaxFileSize) bytes += line;
    bytes += tail;
    Put("t.ini", bytes);
    EXPECT_EQ(Value("S", "k"), "end");
    EXPECT_EQ(Value("Filler", "Long"), std::string(255, 'l'));
    EXPECT_TRUE(profile::WritePrivateProfileStringA("S", "k", "changed", "t.ini"));
    bytes.replace(bytes.size() - 5, 3, "changed");
    EXPECT_TRUE(Get("t.ini") == bytes) << "every other byte of the big file is kept";

    // A save that would go past the limit is refused, and a file past it is neither read nor
    // overwritten.
    errno = 0;
    EXPECT_FALSE(
        profile::WritePrivateProfileStringA("S", "more", std::string(2000, 'x').c_str(), "t.ini"));
    EXPECT_EQ(errno, EOVERFLOW);
    bytes.append(profile::kMaxFileSize + 1 - bytes.size(), ';');
    Put("t.ini", bytes);
    EXPECT_EQ(Value("S", "k"), "<missing>");
    errno = 0;
    EXPECT_FALSE(profile::WritePrivateProfileStringA("S", "k", "v", "t.ini"));
    EXPECT_EQ(errno, EOVERFLOW);
    EXPECT_TRUE(Get("t.ini") == bytes);
    EXPECT_EQ(EntryCount(), 1u);
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
