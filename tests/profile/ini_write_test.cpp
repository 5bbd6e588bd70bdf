// The bytes the write call leaves behind, and what it refuses to write.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cerrno>
#include <string>

#include "profile/file_store.h"
#include "profile/private_profile.h"
#include "profile_dir.h"

namespace {

using WriteTest = ProfileDirTest;

BOOL Write(const char* section, const char* key, const char* value) {
    return profile::WritePrivateProfileStringA(section, key, value, "t.ini");
}

TEST_F(WriteTest, FreshFileHasExactBytes) {
    EXPECT_TRUE(Write("S", "K", "V"));
    EXPECT_EQ(Get("t.ini"), "[S]\r\nK=V\r\n");
    EXPECT_EQ(EntryCount(), 1u) << "no temporary file left behind";
}

TEST_F(WriteTest, MissingSectionIsAppendedWithoutBlankLine) {
    Put("t.ini", "[A]\r\na=1\r\n");
    EXPECT_TRUE(Write("B", "b", "2"));
    EXPECT_EQ(Get("t.ini"), "[A]\r\na=1\r\n[B]\r\nb=2\r\n");
}

TEST_F(WriteTest, AppendedSectionStartsOnItsOwnLine) {
    Put("t.ini", "[A]\r\na=1");
    EXPECT_TRUE(Write("B", "b", "2"));
    EXPECT_EQ(Get("t.ini"), "[A]\r\na=1\r\n[B]\r\nb=2\r\n");
}

const std::string kCommented =
    "; operator notes\r\n"
    "[Other]\r\n"
    "x = 1 ; keep me\r\n"
    "\r\n"
    "[S]\r\n"
    "  First = one\r\n"
    "# not a comment to us, but kept\r\n"
    "Second=two\r\n"
    "\r\n"
    "; about Tail\n"
    "[Tail]\n"
    "t=\"q\"\n";

TEST_F(WriteTest, NewKeyGoesAfterTheLastKeyOfItsSection) {
    Put("t.ini", kCommented);
    EXPECT_TRUE(Write("s", "Third", "3"));
    std::string expected = kCommented;
    expected.insert(expected.find("Second=two\r\n") + 12, "Third=3\r\n");
    EXPECT_EQ(Get("t.ini"), expected);
}

TEST_F(WriteTest, ReplacedValueKeepsKeySpellingAndEveryOtherByte) {
    Put("t.ini", kCommented);
    EXPECT_TRUE(Write("S", "FIRST", "uno"));
    std::string expected = kCommented;
    expected.replace(expected.find(" one"), 4, "uno");
    EXPECT_EQ(Get("t.ini"), expected);
}

TEST_F(WriteTest, KeyInSectionWithoutKeysGoesUnderItsHeader) {
    Put("t.ini", "[A]\n; nothing yet\n[B]\nb=1\n");
    EXPECT_TRUE(Write("A", "a", "1"));
    EXPECT_EQ(Get("t.ini"), "[A]\na=1\r\n; nothing yet\n[B]\nb=1\n");
}

TEST_F(WriteTest, KeyAfterUnterminatedLastLine) {
    Put("t.ini", "[A]\r\na=1");
    EXPECT_TRUE(Write("A", "b", "2"));
    EXPECT_EQ(Get("t.ini"), "[A]\r\na=1\r\nb=2\r\n");
}

TEST_F(WriteTest, WritesGoToTheFirstOfDuplicateSectionsAndKeys) {
    Put("t.ini", "[A]\r\nk=1\r\nk=2\r\n[A]\r\nk=3\r\n");
    EXPECT_TRUE(Write("A", "k", "9"));
    EXPECT_EQ(Get("t.ini"), "[A]\r\nk=9\r\nk=2\r\n[A]\r\nk=3\r\n");
}

TEST_F(WriteTest, SameValueLeavesTheFileUntouched) {
    Put("t.ini", "[A]\nk=v\n");
    auto before = std::filesystem::last_write_time(PathOf("t.ini"));
#ifndef _WIN32
    struct stat st1, st2;
    ASSERT_EQ(stat(PathOf("t.ini").c_str(), &st1), 0);
#endif
    EXPECT_TRUE(Write("A", "k", "v"));
#ifndef _WIN32
    ASSERT_EQ(stat(PathOf("t.ini").c_str(), &st2), 0);
    EXPECT_EQ(st1.st_ino, st2.st_ino) << "not even replaced by an identical copy";
#endif
    EXPECT_EQ(std::filesystem::last_write_time(PathOf("t.ini")), before);
}

TEST_F(WriteTest, EmptyValueKeepsTheEntry) {
    Put("t.ini", "[A]\r\nk=v\r\nj=w\r\n[B]\r\nb=1\r\n");
    EXPECT_TRUE(Write("A", "k", ""));
    EXPECT_EQ(Get("t.ini"), "[A]\r\nk=\r\nj=w\r\n[B]\r\nb=1\r\n");
}

TEST_F(WriteTest, RoundTripDropsOuterBlanksAndQuotes) {
    EXPECT_TRUE(Write("S", "k", "  \"v\"  "));
    char buf[16];
    profile::GetPrivateProfileStringA("S", "k", "", buf, sizeof buf, "t.ini");
    EXPECT_STREQ(buf, "v");
}

TEST_F(WriteTest, SingleByteTextPassesThrough) {
    EXPECT_TRUE(Write("S", "Ort",
                      "B\xFC"
                      "ro"));
    EXPECT_EQ(Get("t.ini"),
              "[S]\r\nOrt=B\xFC"
              "ro\r\n");
}

struct Refused {
    const char* what;
    const char* section;
    const char* key;
    const char* value;
};

void PrintTo(const Refused& r, std::ostream* os) { *os << r.what; }

class RefusedWrite : public ProfileDirTest, public ::testing::WithParamInterface<Refused> {};

TEST_P(RefusedWrite, WritesNothingAndSaysWhy) {
    Put("t.ini", "[S]\r\nk=v\r\n");
    const Refused& r = GetParam();
    errno = 0;
    EXPECT_FALSE(Write(r.section, r.key, r.value));
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(Get("t.ini"), "[S]\r\nk=v\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    LineInjection, RefusedWrite,
    ::testing::Values(
        Refused{"CRLF in value", "S", "k", "a\r\n[evil]\r\nBox1=1"},
        Refused{"LF in value", "S", "k", "a\nb=1"}, Refused{"CR in value", "S", "k", "a\rb"},
        Refused{"LF in key", "S", "k\nj", "v"}, Refused{"CR in section", "S\r", "k", "v"},
        Refused{"= in key", "S", "k=x", "v"},
        Refused{"key that reads as a header", "S", " [evil]", "1"},
        Refused{"bracket in section", "a]b", "k", "v"},
        Refused{"LF in section of a delete", "S\n", nullptr, nullptr},
        Refused{"null section", nullptr, "k", "v"},
        // Deleting is not offered: no program of the installation deletes.
        Refused{"null value", "S", "k", nullptr}, Refused{"null key", "S", nullptr, nullptr}));

TEST_F(WriteTest, ExplicitPathIsUsedAsGivenAndItsDirectoryIsNotCreated) {
    std::string path = dir_ + "/sub/x.ini";
    errno = 0;
    EXPECT_FALSE(profile::WritePrivateProfileStringA("S", "k", "v", path.c_str()));
    EXPECT_EQ(errno, ENOENT);
    std::filesystem::create_directory(dir_ + "/sub");
    EXPECT_TRUE(profile::WritePrivateProfileStringA("S", "k", "v", path.c_str()));
    EXPECT_EQ(Get("sub/x.ini"), "[S]\r\nk=v\r\n");
}

TEST_F(WriteTest, ProfileDirectoryIsCreatedOnFirstWrite) {
    std::string nested = dir_ + "/a/b";
    SetEnv("MIRELKO_PROFILE_DIR", nested.c_str());
    EXPECT_TRUE(Write("S", "k", "v"));
    EXPECT_EQ(Get("a/b/t.ini"), "[S]\r\nk=v\r\n");
}

}  // namespace

namespace {

#ifdef _WIN32
TEST(ProfileDirectory, IsTheWindowsDirectoryUnlessTheEnvironmentSaysOtherwise) {
    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    ASSERT_GT(length, 0u);
    UnsetEnv("MIRELKO_PROFILE_DIR");
    EXPECT_EQ(profile::ResolveProfilePath("rurizuz.ini"), std::string(windows) + "\\rurizuz.ini");
    SetEnv("MIRELKO_PROFILE_DIR", "D:\\boxes");
    EXPECT_EQ(profile::ResolveProfilePath("rurizuz.ini"), "D:\\boxes\\rurizuz.ini");
    for (const char* given : {"C:\\x\\here.ini", "sub/here.ini", ".\\here.ini", "C:here.ini"})
        EXPECT_EQ(profile::ResolveProfilePath(given), given);
    UnsetEnv("MIRELKO_PROFILE_DIR");
}
#else
TEST(ProfileDirectory, ComesFromTheEnvironmentInOrder) {
    SetEnv("HOME", "/home/op");
    SetEnv("MIRELKO_PROFILE_DIR", "/srv/boxes");
    SetEnv("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(profile::ResolveProfilePath("rurizuz.ini"), "/srv/boxes/rurizuz.ini");
    SetEnv("MIRELKO_PROFILE_DIR", "");
    EXPECT_EQ(profile::ResolveProfilePath("rurizuz.ini"), "/cfg/mirelko/rurizuz.ini");
    SetEnv("XDG_CONFIG_HOME", "relative");
    EXPECT_EQ(profile::ResolveProfilePath("rurizuz.ini"), "/home/op/.config/mirelko/rurizuz.ini");
    UnsetEnv("XDG_CONFIG_HOME");
    EXPECT_EQ(profile::ResolveProfilePath("rurizuz.ini"), "/home/op/.config/mirelko/rurizuz.ini");
    EXPECT_EQ(profile::ResolveProfilePath("./here.ini"), "./here.ini");
    UnsetEnv("MIRELKO_PROFILE_DIR");
}
#endif

}  // namespace
