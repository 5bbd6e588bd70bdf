// The index finds the sections it is told of ahead as a lookup of any other section would.
#include "profile/ini_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile/ini_text.h"

namespace {

constexpr const char* kMissing = "<missing>";

// Other sections enough for the long scan, with '[' bytes in values that are no headers.
std::string Filler() {
    std::string bytes;
    for (int n = 0; n < 40; ++n) bytes += "[Log" + std::to_string(n) + "]\r\nx=[box9] [ b\r\n";
    return bytes;
}

struct IndexCase {
    const char* what;
    std::string text;
    std::vector<std::string_view> wanted;
    const char* section;
    const char* key;
    const char* expected;  // kMissing when the lookup finds nothing
};

void PrintTo(const IndexCase& c, std::ostream* os) { *os << c.what; }

class IndexTable : public ::testing::TestWithParam<IndexCase> {};

TEST_P(IndexTable, FindsWhatTheTextHolds) {
    const IndexCase& c = GetParam();
    const profile::IniIndex index(c.text, c.wanted);
    EXPECT_EQ(index.Find(c.section, c.key).value_or(kMissing), c.expected) << c.what;
    EXPECT_EQ(profile::IniText(c.text).Find(c.section, c.key).value_or(kMissing), c.expected);
    EXPECT_EQ(index.Sections(), profile::IniText(c.text).Sections());
}

const std::vector<IndexCase> kIndexCases = {
    {"after many other sections", Filler() + "[Box1]\r\nk=v\r\n", {"Box1"}, "Box1", "k", "v"},
    {"blanks after the bracket", Filler() + "[ \tbOX1 ]\r\nk=v\r\n", {"Box1"}, "box1", "k", "v"},
    {"a bracket inside a line opens nothing",
     "[A]\r\nk=[Box1]\r\n[Box1]\r\nk=v\r\n",
     {"Box1"},
     "Box1",
     "k",
     "v"},
    {"the next header ends it, whatever its name",
     "[Box1]\r\na=1\r\n[Zed]\r\nb=2\r\n",
     {"Box1"},
     "Box1",
     "b",
     kMissing},
    {"two wanted one after the other",
     "[Box1]\r\na=1\r\n[Box2]\r\na=2\r\n",
     {"Box1", "Box2"},
     "Box2",
     "a",
     "2"},
    {"...and the first ends at the second",
     "[Box1]\r\na=1\r\n[Box2]\r\nb=2\r\n",
     {"Box2", "Box1"},
     "Box1",
     "b",
     kMissing},
    {"a name wanted twice", "[Box1]\r\na=1\r\n", {"Box1", "BOX1"}, "bOx1", "a", "1"},
    {"the first of a name wins", "[box1]\r\na=1\r\n[Box1]\r\na=2\r\n", {"Box1"}, "Box1", "a", "1"},
    {"names of many first letters",
     Filler() + "[Gamma]\r\ng=3\r\n",
     {"Alpha", "Beta", "Gamma"},
     "gamma",
     "g",
     "3"},
    {"a section not wanted", "[S]\r\nk=v\r\n[Box1]\r\n", {"Box1"}, "S", "k", "v"},
    {"the nameless entries first", "a=1\r\n[]\r\na=2\r\n", {""}, "", "a", "1"},
    {"the nameless header without them", "[x]\r\n[ ]\r\na=2\r\n", {"", "x"}, "", "a", "2"},
    {"a header that a NUL cuts",
     std::string("[Bo\0x1]\r\nk=v\r\n", 14),
     {"Box1"},
     "Box1",
     "k",
     kMissing},
    {"a header after a mark", "\xEF\xBB\xBF [Box1]\rk=v\r", {"Box1"}, "Box1", "k", "v"},
    {"the last byte a bracket", Filler() + "[Box1]\r\nk=v\r\n[", {"Box1"}, "Box1", "k", "v"},
    {"a header at the very end", "[A]\r\nk=v\r\n[Box1]", {"Box1"}, "Box1", "k", kMissing},
};

INSTANTIATE_TEST_SUITE_P(Cases, IndexTable, ::testing::ValuesIn(kIndexCases));

}  // namespace
