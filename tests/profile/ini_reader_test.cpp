// Many lookups in one pass find what each lookup alone finds, among other sections and keys.
#include "profile/ini_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    std::vector<std::string_view> others;  // sections looked up in the same pass
    const char* section;
    const char* key;
    const char* expected;  // kMissing when the lookup finds nothing
};

void PrintTo(const IndexCase& c, std::ostream* os) { *os << c.what; }

class IndexTable : public ::testing::TestWithParam<IndexCase> {};

TEST_P(IndexTable, FindsWhatTheTextHolds) {
    const IndexCase& c = GetParam();
    EXPECT_EQ(profile::FindValue(c.text, c.section, c.key).value_or(kMissing), c.expected)
        << c.what;
    std::vector<profile::Wanted> wanted;
    for (std::string_view other : c.others) wanted.push_back({other, c.key});
    wanted.push_back({c.section, c.key});
    std::vector<profile::Found> found(wanted.size());
    profile::FindAll(c.text, profile::Lookups(wanted), found);
    const std::optional<profile::IniLine>& entry = found.back().entry;
    EXPECT_EQ(entry ? entry->value : kMissing, c.expected) << c.what << ", with others";
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

// Among many sections and keys, the first of each name must still win, whatever its case and
// whatever the order the lookups come in.
TEST(FindAll, FindsTheFirstOfEachNameAsASingleLookupDoes) {
    std::string file = "lead=0\r\n";
    for (int n = 0; n < 30; ++n) {
        file += "[S" + std::to_string(n) + "]\r\n";
        for (int k = 0; k < 20; ++k)
            file += "K" + std::to_string(k) + "=" + std::to_string(n * 100 + k) + "\r\n";
        file += "k3=shadowed\r\n";
    }
    file += "[s7]\r\nk1=shadowed\r\nextra=1\r\n[]\r\nnameless=1\r\n";
    const std::vector<profile::Wanted> wanted = {
        {"S0", "K0"},  {"s7", "k1"}, {"S7", "k3"},     {"s29", "K19"}, {"S7", "extra"},
        {"S30", "K0"}, {"", "lead"}, {"", "nameless"}, {"S12", "K20"}, {" S5 ", " K2 "},
        {"S7", "K2"},  {"S7", "k1"}, {"S29", "K18"},
    };
    std::vector<profile::Found> found(wanted.size());
    profile::FindAll(file, profile::Lookups(wanted), found);
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const auto alone = profile::FindValue(file, wanted[i].section, wanted[i].key);
        EXPECT_EQ(found[i].entry ? std::optional(found[i].entry->value) : std::nullopt, alone)
            << wanted[i].section << "/" << wanted[i].key;
    }
    EXPECT_EQ(profile::FindValue(file, "S7", "k3"), "703");
    // Found by fuzzing: without entries of its own before the first header, and without a "[]"
    // header, there is no nameless section to add a key to.
    const profile::Wanted nameless[] = {{"", "k"}};
    for (const char* text : {"", "; only a comment\r\n[S]\r\n"}) {
        profile::FindAll(text, profile::Lookups(nameless), {found.data(), 1});
        EXPECT_FALSE(found[0].section) << text;
    }
    EXPECT_EQ(profile::FindValue(file, "s7", "extra"), std::nullopt);
}

}  // namespace
