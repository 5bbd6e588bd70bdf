// What the profile calls read back from files as other programs write them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile/private_profile.h"
#include "profile_dir.h"

namespace {

constexpr const char* kMissing = "<missing>";

// A literal with its NUL bytes, without counting them by hand.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

struct ReadCase {
    const char* what;
    std::string file;
    const char* section;
    const char* key;
    const char* expected;  // kMissing when the default must come back
};

std::string Read(const char* section, const char* key, const char* def = kMissing, DWORD size = 256,
                 DWORD* length = nullptr) {
    std::string buffer(size ? size : 1, '\x7f');
    DWORD n = profile::GetPrivateProfileStringA(section, key, def, buffer.data(), size, "t.ini");
    if (length) *length = n;
    return buffer.c_str();
}

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.what; }

class ReadTable : public ProfileDirTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadTable, FindsWhatThePlatformFinds) {
    const ReadCase& c = GetParam();
    Put("t.ini", c.file);
    EXPECT_EQ(Read(c.section, c.key), c.expected) << c.what;
}

const std::vector<ReadCase> kReadCases = {
    {"plain", "[S]\r\nK=v\r\n", "S", "K", "v"},
    {"section case", "[MySec]\r\nMyKey=v\r\n", "mysec", "MYKEY", "v"},
    {"blanks around header", "  [ Sec ]  \r\nk=v\r\n", "Sec", "k", "v"},
    {"tabs around key and value", "[S]\r\n\tKey\t=\tv\t\r\n", "S", "Key", "v"},
    {"inner blanks kept", "[S]\r\nKey 3 = v 3\r\n", "S", "Key 3", "v 3"},
    {"text after bracket ignored", "[S] ; note\r\nk=v\r\n", "S", "k", "v"},
    {"header without bracket is not one", "[S]\r\n[T\r\nk=v\r\n", "T", "k", kMissing},
    {"...and keys go on in the section", "[S]\r\n[T\r\nk=v\r\n", "S", "k", "v"},
    {"double quotes", "[S]\r\nk=\"dq\"\r\n", "S", "k", "dq"},
    {"single quotes", "[S]\r\nk='sq'\r\n", "S", "k", "sq"},
    {"empty quotes", "[S]\r\nk=\"\"\r\n", "S", "k", ""},
    {"mixed quotes stay", "[S]\r\nk=\"mixed'\r\n", "S", "k", "\"mixed'"},
    {"lone quote stays", "[S]\r\nk=\"lead\r\n", "S", "k", "\"lead"},
    {"inner quotes stay", "[S]\r\nk=a\"b\"c\r\n", "S", "k", "a\"b\"c"},
    {"semicolon is value text", "[S]\r\nk=v ; c\r\n", "S", "k", "v ; c"},
    {"semicolon key is a key", "[S]\r\n;k=v\r\n", "S", ";k", "v"},
    {"hash key is a key", "[S]\r\n#k=v\r\n", "S", "#k", "v"},
    {"line without = is no key", "[S]\r\nk\r\n", "S", "k", kMissing},
    {"first section wins", "[S]\r\na=1\r\n[T]\r\n[s]\r\na=2\r\nb=3\r\n", "S", "b", kMissing},
    {"first key wins", "[S]\r\na=1\r\nA=2\r\n", "S", "a", "1"},
    {"empty value is not missing", "[S]\r\nk=\r\n", "S", "k", ""},
    {"blank value is empty", "[S]\r\nk=   \r\n", "S", "k", ""},
    {"missing key", "[S]\r\nk=v\r\n", "S", "x", kMissing},
    {"missing section", "[S]\r\nk=v\r\n", "T", "k", kMissing},
    {"key of another section", "[S]\r\n[T]\r\nk=v\r\n", "S", "k", kMissing},
    {"LF endings", "[S]\nk=v\nj=w\n", "S", "j", "w"},
    {"CR endings", "[S]\rk=v\rj=w\r", "S", "j", "w"},
    {"no final break", "[S]\r\nk=v", "S", "k", "v"},
    {"byte-order mark", "\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", "v"},
    {"single-byte text",
     "[S]\r\nk=Gr\xFC\xDF"
     "e\r\n",
     "S", "k",
     "Gr\xFC\xDF"
     "e"},
    {"NUL ends the value", Bytes("[S]\r\nk=ab\0cd\r\nj=w\r\n"), "S", "k", "ab"},
    {"lines after a NUL still read", Bytes("[S]\r\nk=ab\0cd\r\nj=w\r\n"), "S", "j", "w"},
    {"value with =", "[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
    {"blank lines", "\r\n\r\n[S]\r\n\r\nk=v\r\n", "S", "k", "v"},
    {"leading keys form a nameless section", "a=1\r\n[S]\r\nk=v\r\n", "", "a", "1"},
    {"query names are trimmed", "[S]\r\nk=v\r\n", " S ", " k ", "v"},
    {"binary junk", Bytes("\x01\x02\xff[\x80]=\x00\r\n[S]\r\nk=v\r\n"), "S", "k", "v"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReadTable, ::testing::ValuesIn(kReadCases));

using ReadTest = ProfileDirTest;

TEST_F(ReadTest, MissingFileGivesTheDefault) {
    EXPECT_EQ(Read("S", "k", "dflt"), "dflt");
    EXPECT_EQ(Read("S", "k", nullptr), "");
    EXPECT_EQ(Read("S", "k", "trail  "), "trail") << "trailing blanks of the default go";
}

TEST_F(ReadTest, EmptyValueBeatsTheDefault) {
    Put("t.ini", "[S]\r\nk=\r\n");
    EXPECT_EQ(Read("S", "k", "dflt"), "");
}

TEST_F(ReadTest, LongValuesAreCutToCapacityMinusOne) {
    Put("t.ini", "[S]\r\nk=" + std::string(100, 'x') + "\r\n");
    DWORD n = 0;
    EXPECT_EQ(Read("S", "k", "", 80, &n), std::string(79, 'x'));
    EXPECT_EQ(n, 79u);
    EXPECT_EQ(Read("S", "k", "", 40, &n), std::string(39, 'x'));
    EXPECT_EQ(Read("S", "k", "", 1, &n), "");
    EXPECT_EQ(n, 0u);
    std::string untouched = "z";
    EXPECT_EQ(profile::GetPrivateProfileStringA("S", "k", "", untouched.data(), 0, "t.ini"), 0u);
    EXPECT_EQ(untouched, "z");
}

TEST_F(ReadTest, EveryCallSeesTheFileAsItIsNow) {
    Put("t.ini", "[S]\r\nk=old\r\n");
    EXPECT_EQ(Read("S", "k"), "old");
    Put("t.ini", "[S]\r\nk=new\r\n");
    EXPECT_EQ(Read("S", "k"), "new");
}

struct IntCase {
    const char* value;
    int expected;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << "value " << c.value; }

class IntTable : public ProfileDirTest, public ::testing::WithParamInterface<IntCase> {};

TEST_P(IntTable, ConvertsLikeThePlatform) {
    Put("t.ini", std::string("[S]\r\nk=") + GetParam().value + "\r\n");
    EXPECT_EQ(static_cast<int>(profile::GetPrivateProfileIntA("S", "k", 77, "t.ini")),
              GetParam().expected)
        << "value " << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Cases, IntTable,
                         ::testing::Values(IntCase{"42", 42}, IntCase{"42abc", 42},
                                           IntCase{"abc", 0}, IntCase{"+42", 42},
                                           IntCase{"  -0012", -12}, IntCase{"1e3", 1},
                                           IntCase{"0010", 10}, IntCase{"4294967296", 0},
                                           IntCase{"4294967297", 1}, IntCase{"-4294967297", -1},
                                           IntCase{"2147483648", -2147483647 - 1},
                                           IntCase{"\"42\"", 42}, IntCase{"", 77}, IntCase{"-", 0},
                                           IntCase{"99999999999999999999", 1661992959}));

TEST_F(ReadTest, MissingIntegerGivesTheDefault) {
    EXPECT_EQ(static_cast<int>(profile::GetPrivateProfileIntA("S", "k", -5, "t.ini")), -5);
    Put("t.ini", "[S]\r\nj=1\r\n");
    EXPECT_EQ(profile::GetPrivateProfileIntA("S", "k", 9, "t.ini"), 9u);
}

}  // namespace
