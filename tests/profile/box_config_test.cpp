// The box file as the panel reads and writes it.
#include "profile/box_config.h"

#include <gtest/gtest.h>

#include <string>

#include "profile_dir.h"

namespace {

using profile::BoxTable;
using profile::Octets;
using profile::ParseDottedQuad;

using BoxConfigTest = ProfileDirTest;

TEST_F(BoxConfigTest, EmptyOrMissingFileReadsAsFifteenDisabledBoxes) {
    for (bool present : {false, true}) {
        if (present) Put("rurizuz.ini", "");
        BoxTable table = profile::ReadBoxTable();
        for (const profile::BoxConfig& box : table) {
            EXPECT_EQ(box.enabled, 0);
            EXPECT_EQ(box.location, "");
            EXPECT_FALSE(box.address.has_value());
            EXPECT_EQ(box.offset, 0);
        }
    }
}

TEST_F(BoxConfigTest, LoneEntryEnablesJustThatBox) {
    Put("rurizuz.ini", "[zivazoz]\r\nBox3=1\r\n");
    BoxTable table = profile::ReadBoxTable();
    for (int i = 0; i < profile::kBoxCount; ++i) EXPECT_EQ(table[i].enabled, i == 2 ? 1 : 0);
    EXPECT_EQ(table[2].location, "");
    EXPECT_FALSE(table[2].address);
    EXPECT_EQ(table[2].offset, 0);
}

TEST_F(BoxConfigTest, ReadsEveryFieldOfItsOwnBox) {
    Put("rurizuz.ini",
        "[zivazoz]\r\nBox12=1\r\nLocBox12=Halle S\xFC"
        "d\r\nIpAddr12=10.0.0.12\r\n"
        "IpOffset12=-7\r\nBox1=0\r\nLocBox1=" +
            std::string(100, 'L') + "\r\nIpAddr1=\r\n");
    BoxTable table = profile::ReadBoxTable();
    EXPECT_EQ(table[11].enabled, 1);
    EXPECT_EQ(table[11].location,
              "Halle S\xFC"
              "d");
    EXPECT_EQ(table[11].address, (Octets{10, 0, 0, 12}));
    EXPECT_EQ(table[11].offset, -7);
    EXPECT_EQ(table[0].location, std::string(79, 'L'));
    EXPECT_FALSE(table[0].address) << "an empty address is absent";
    EXPECT_FALSE(table[1].address);
}

TEST_F(BoxConfigTest, FreshFileHasAllSixtyKeysInOrder) {
    BoxTable table;
    table[0] = {1, "Lager", Octets{192, 168, 1, 20}, 42};
    ASSERT_TRUE(profile::WriteBoxTable(table));
    std::string expected =
        "[zivazoz]\r\nBox1=1\r\nLocBox1=Lager\r\nIpAddr1=192.168.1.20\r\n"
        "IpOffset1=42\r\n";
    for (int n = 2; n <= 15; ++n) {
        std::string s = std::to_string(n);
        expected += "Box" + s + "=0\r\nLocBox" + s + "=\r\nIpAddr" + s + "=0.0.0.0\r\nIpOffset" +
                    s + "=0\r\n";
    }
    EXPECT_EQ(Get("rurizuz.ini"), expected);
}

TEST_F(BoxConfigTest, RoundTripNormalisesAddressesAndIsStable) {
    Put("rurizuz.ini",
        "; kept\r\n[zivazoz]\r\nIpAddr7=010.001.002.003\r\nUnknown=x\r\n[Other]\r\n"
        "a=b\r\n");
    BoxTable table = profile::ReadBoxTable();
    EXPECT_EQ(table[6].address, (Octets{10, 1, 2, 3}));
    ASSERT_TRUE(profile::WriteBoxTable(table));
    std::string once = Get("rurizuz.ini");
    EXPECT_NE(once.find("IpAddr7=10.1.2.3\r\n"), std::string::npos);
    EXPECT_NE(once.find("; kept\r\n[zivazoz]\r\n"), std::string::npos);
    EXPECT_NE(once.find("Unknown=x\r\n"), std::string::npos);
    EXPECT_NE(once.find("[Other]\r\na=b\r\n"), std::string::npos);
    ASSERT_TRUE(profile::WriteBoxTable(profile::ReadBoxTable()));
    EXPECT_EQ(Get("rurizuz.ini"), once);
}

TEST_F(BoxConfigTest, NegativeOffsetsAndOddFlagsSurviveARoundTrip) {
    Put("rurizuz.ini", "[zivazoz]\r\nBox4=7\r\nIpOffset4=-2147483648\r\nIpAddr4=1.2.3.4\r\n");
    BoxTable table = profile::ReadBoxTable();
    EXPECT_EQ(table[3].enabled, 7);
    EXPECT_EQ(table[3].offset, -2147483647 - 1);
    ASSERT_TRUE(profile::WriteBoxTable(table));
    EXPECT_NE(Get("rurizuz.ini").find("IpOffset4=-2147483648\r\n"), std::string::npos);
}

TEST_F(BoxConfigTest, LocationsNeverCarryLineBreaksOrMoreThan79Bytes) {
    BoxTable table;
    table[0].location = "a\r\n[zivazoz]\r\nBox2=1";
    table[1].location = std::string(120, 'x');
    ASSERT_TRUE(profile::WriteBoxTable(table));
    BoxTable back = profile::ReadBoxTable();
    EXPECT_EQ(back[0].location, "a  [zivazoz]  Box2=1");
    EXPECT_EQ(back[1].enabled, 0) << "no key smuggled in";
    EXPECT_EQ(back[1].location, std::string(79, 'x'));
}

TEST_F(BoxConfigTest, FailedSaveReportsAndKeepsTheFile) {
    std::filesystem::create_directory(PathOf("rurizuz.ini"));
    EXPECT_FALSE(profile::WriteBoxTable(BoxTable{}));
}

struct QuadCase {
    const char* text;
    Octets expected;
};

void PrintTo(const QuadCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class DottedQuad : public ::testing::TestWithParam<QuadCase> {};

TEST_P(DottedQuad, Parses) { EXPECT_EQ(ParseDottedQuad(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, DottedQuad,
    ::testing::Values(
        QuadCase{"192.168.1.20", {192, 168, 1, 20}}, QuadCase{"10..1.2.3", {10, 1, 2, 3}},
        QuadCase{"..10.1.2.3..", {10, 1, 2, 3}}, QuadCase{"192.168.1.20.7", {192, 168, 1, 20}},
        QuadCase{"256.300.-1.0", {0, 44, 255, 0}}, QuadCase{" 1. +2.3x.y", {1, 2, 3, 0}},
        QuadCase{"4294967297.1.1.1", {1, 1, 1, 1}}, QuadCase{"192.168.1", {192, 168, 1, 0}},
        QuadCase{"7", {7, 0, 0, 0}}, QuadCase{"...", {0, 0, 0, 0}}, QuadCase{"", {0, 0, 0, 0}}));

TEST(DottedQuadFormat, WritesFourDecimals) {
    EXPECT_EQ(profile::FormatDottedQuad({0, 0, 0, 0}), "0.0.0.0");
    EXPECT_EQ(profile::FormatDottedQuad({255, 1, 10, 100}), "255.1.10.100");
}

}  // namespace
