// The box rows as an operator meets them: loading, refreshing, enabling, the keyboard and the
// configuration program.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "res/resource.h"
#include "tests/panel/panel_support.h"

#ifndef _WIN32
#include <QApplication>
#include <QTest>

#include "tests/toolkit/support/gui_support.h"
#include "toolkit/qt/dialog_units.h"
#endif

namespace {

using profile::BoxNumber;
using profile::kBoxCount;
using test::PanelTest;

using PanelRows = PanelTest;

TEST_F(PanelRows, WithoutAFileEveryRowIsDisabledBlankAndDark) {
    Run([&] {
        for (BoxNumber box = 1; box <= kBoxCount; ++box) {
            EXPECT_FALSE(FieldsEnabled(box)) << box;
            EXPECT_FALSE(AnyLampShown(box)) << box;
            EXPECT_TRUE(AddressBlank(box)) << box;
            EXPECT_TRUE(Enabled(PanelBoxOf(box).checkBox));
            EXPECT_TRUE(Enabled(PanelBoxOf(box).configuration));
        }
        EXPECT_EQ(FocusId(), IDOK);
    });
    EXPECT_FALSE(Exists(profile::kBoxConfigFile));
}

TEST_F(PanelRows, LoadShowsEveryColumnOfTheFile) {
    Put(profile::kBoxConfigFile,
        "[zivazoz]\r\nBox2=1\r\nLocBox2=K\xFC"
        "che\r\nIpAddr2=010.001.002.003\r\nIpOffset2=-7\r\n"
        "Box9=0\r\nLocBox9=Lager\r\nIpAddr9=192.168.1.20\r\nIpOffset9=42\r\n");
    Run([&] {
        const PanelBox& two = PanelBoxOf(2);
        EXPECT_EQ(Text(two.location),
                  "K\xFC"
                  "che");
        EXPECT_EQ(Text(two.ipAddress), "10.1.2.3");
        EXPECT_EQ(Text(two.offset), "-7");
        EXPECT_EQ(SendMessageA(GetDlgItem(panel.m_hWnd, two.checkBox), BM_GETCHECK, 0, 0), 1);
        EXPECT_TRUE(FieldsEnabled(2));
        EXPECT_TRUE(AnyLampShown(2));
        // A disabled row shows its values greyed.
        EXPECT_EQ(Text(PanelBoxOf(9).location), "Lager");
        EXPECT_EQ(Text(PanelBoxOf(9).ipAddress), "192.168.1.20");
        EXPECT_FALSE(FieldsEnabled(9));
        EXPECT_FALSE(AnyLampShown(9));
    });
}

TEST_F(PanelRows, RefreshDiscardsEditsButKeepsAddressesTheFileLacks) {
    Put(profile::kBoxConfigFile,
        "[zivazoz]\r\nBox3=1\r\nLocBox3=Hof\r\nIpAddr3=\r\nIpOffset3=3\r\n"
        "Box4=1\r\nLocBox4=Tor\r\nIpAddr4=1.2.3.4\r\nIpOffset4=4\r\n");
    Run([&] {
        const PanelBox &three = PanelBoxOf(3), &four = PanelBoxOf(4);
        Retype(three.location, "edited");
        Retype(four.offset, "99");
        Click(four.checkBox);
        Click(PanelBoxOf(5).checkBox);
        for (const PanelBox* row : {&three, &four}) {
            SendMessageA(GetDlgItem(panel.m_hWnd, row->ipAddress), IPM_SETADDRESS, 0,
                         MAKEIPADDRESS(9, 9, 9, 9));
        }
        Click(IDC_REFRESH);
        EXPECT_EQ(Text(three.location), "Hof");
        EXPECT_EQ(Text(four.offset), "4");
        EXPECT_TRUE(FieldsEnabled(4));
        EXPECT_FALSE(FieldsEnabled(5));
        EXPECT_EQ(Text(three.ipAddress), "9.9.9.9") << "the file has no address for box 3";
        EXPECT_EQ(Text(four.ipAddress), "1.2.3.4");
        EXPECT_TRUE(AddressBlank(6)) << "a first load leaves a missing address blank";
    });
}

TEST_F(PanelRows, ClearingRowFiveGreysAndDarkensOnlyRowFive) {
    PutTable([](profile::BoxTable& table) {
        for (profile::BoxConfig& box : table) box.enabled = 1;
    });
    Run([&] {
        Click(PanelBoxOf(5).checkBox);
        for (BoxNumber box = 1; box <= kBoxCount; ++box) {
            EXPECT_EQ(FieldsEnabled(box), box != 5) << box;
            EXPECT_EQ(AnyLampShown(box), box != 5) << box;
        }
        Retype(PanelBoxOf(5).location, "typed");
        EXPECT_EQ(Text(PanelBoxOf(5).location), "") << "a greyed field refuses input";
        // Space on the focused check box ticks it again.
        Press(PanelBoxOf(5).checkBox, test::Key::Space);
        EXPECT_TRUE(FieldsEnabled(5));
    });
}

TEST_F(PanelRows, ABadEarlierOffsetLeavesRowsFollowingTheirBoxesAndStartsNothing) {
    PutTable([](profile::BoxTable& table) { table[0].enabled = 1; });
    test::MessageBoxAnswerer messages;
    Run([&] {
        Retype(PanelBoxOf(1).offset, "");
        Click(PanelBoxOf(5).checkBox);
        EXPECT_TRUE(FieldsEnabled(5) && AnyLampShown(5));
        Click(PanelBoxOf(3).configuration);  // no didozur anywhere: a start would be reported
    });
    EXPECT_EQ(messages.texts(), std::vector<std::string>(2, "Please enter an integer."));
}

#ifndef _WIN32
// Where the Qt backend puts widgets and how it moves the focus; on Windows the system's dialog
// manager does both.
TEST_F(PanelRows, RowsSitWhereTheLayoutPutsThemSoClicksThereReachThem) {
    struct Place {
        int id;
        QRect dialogUnits;
    };
    const PanelBox &first = PanelBoxOf(1), &tenth = PanelBoxOf(10), &last = PanelBoxOf(15);
    const Place places[] = {
        {first.checkBox, {27, 59, 60, 10}},       {first.location, {115, 59, 89, 15}},
        {first.ipAddress, {218, 59, 100, 15}},    {first.offset, {345, 59, 30, 15}},
        {first.configuration, {392, 59, 50, 14}}, {tenth.checkBox, {27, 248, 64, 10}},
        {last.greenLamp, {100, 355, 11, 10}},     {last.configuration, {392, 354, 50, 14}},
        {IDC_ANALIZE, {107, 397, 50, 14}},        {IDC_REFRESH, {167, 397, 50, 14}},
        {IDC_SAVE, {228, 397, 50, 14}},
    };
    Run([&] {
        for (const Place& place : places) {
            const QRect pixels = toolkit::qt::DialogUnitsToPixels(
                place.dialogUnits.x(), place.dialogUnits.y(), place.dialogUnits.width(),
                place.dialogUnits.height(), {6, 13});
            QWidget* widget = Widget(place.id);
            EXPECT_EQ(widget->pos(), pixels.topLeft()) << place.id;
            // A lamp takes its picture's size and takes no clicks; everything else gets the
            // click at the middle of its box.
            if (place.id == last.greenLamp) continue;
            EXPECT_EQ(widget->size(), pixels.size()) << place.id;
            QWidget* hit = widget->window()->childAt(pixels.center());
            EXPECT_TRUE(hit == widget || widget->isAncestorOf(hit)) << place.id;
        }
    });
}

TEST_F(PanelRows, TabVisitsTheControlsInTheTemplateOrderFromOk) {
    PutTable([](profile::BoxTable& table) {
        for (profile::BoxConfig& box : table) box.enabled = 1;
    });
    std::vector<int> expected = {IDOK, IDCANCEL};
    const auto column = [&](int PanelBox::*ids, BoxNumber first) {
        for (BoxNumber box = first; box <= kBoxCount; ++box)
            expected.push_back(PanelBoxOf(box).*ids);
    };
    column(&PanelBox::offset, 1);
    expected.push_back(IDC_INFO);
    column(&PanelBox::location, 1);
    column(&PanelBox::ipAddress, 1);
    expected.insert(expected.end(),
                    {IDC_REFRESH, PanelBoxOf(1).checkBox, PanelBoxOf(1).configuration});
    column(&PanelBox::checkBox, 2);
    column(&PanelBox::configuration, 2);
    expected.insert(expected.end(), {IDC_SAVE, IDC_ANALIZE, IDOK});
    std::vector<int> visited;
    Run([&] {
        visited.push_back(FocusId());
        for (std::size_t i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.push_back(FocusId());
        }
    });
    EXPECT_EQ(visited, expected);
}
#endif

// A stand-in for the configuration program on PATH.
class ConfigTool : public PanelTest {
  protected:
    void SetUp() override {
        PanelTest::SetUp();
        bin_ = dir_ + "/bin";
        std::filesystem::create_directory(bin_);
        path_ = std::getenv("PATH");
#ifdef _WIN32
        SetEnv("PATH", (bin_ + ";" + path_).c_str());
#else
        SetEnv("PATH", (bin_ + ":" + path_).c_str());
#endif
    }
    void TearDown() override {
        SetEnv("PATH", path_.c_str());
        PanelTest::TearDown();
    }
    void Install(const std::string& contents, [[maybe_unused]] std::filesystem::perms mode) {
#ifdef _WIN32
        // What may run is told by the name there, not by permissions.
        Put("bin/didozur.exe", contents);
#else
        Put("bin/didozur", contents);
        std::filesystem::permissions(PathOf("bin/didozur"), mode);
#endif
    }

    std::string bin_, path_;
};

#ifndef _WIN32
// A shell script records its arguments; Windows would need a program built for it.
TEST_F(ConfigTool, StartsWithTheRowOffsetWhetherTheRowIsEnabledOrNot) {
    Install(
        "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"$(dirname \"$0\")/args.tmp\"\n"
        "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args\"\n",
        std::filesystem::perms::owner_all);
    PutTable([](profile::BoxTable& table) {
        table[2] = {1, "", {}, 42};
        table[3] = {0, "", {}, -7};
        table[14] = {1, "", {}, INT_MIN};
    });
    // The arguments of the next start, once it has written them.
    const auto nextArguments = [&] {
        const std::string file = "bin/args";
        EXPECT_TRUE(WaitFor([&] { return Exists(file) && !Get(file).empty(); }));
        std::string arguments = Get(file);
        std::filesystem::remove(PathOf(file));
        return arguments;
    };
    test::MessageBoxAnswerer messages;
    std::vector<std::string> arguments;
    Run([&] {
        for (BoxNumber box : {3, 4, 15}) {
            Click(PanelBoxOf(box).configuration);
            arguments.push_back(nextArguments());
        }
    });
    EXPECT_EQ(arguments, (std::vector<std::string>{"1|42|", "1|-7|", "1|-2147483648|"}));
    EXPECT_EQ(messages.count(), 0);
}
#endif

TEST_F(ConfigTool, AStartThatFailsIsReported) {
    struct Case {
        bool installed;
        const char* reason;
    };
    for (const Case& c : {Case{false, "not found"}, Case{true, "not a program"}}) {
        if (c.installed) Install("not a program\n", std::filesystem::perms::owner_read);
        test::MessageBoxAnswerer messages;
        Run([&] { Click(PanelBoxOf(1).configuration); });
        ASSERT_EQ(messages.count(), 1) << c.reason;
        const std::string text = messages.texts()[0];
        EXPECT_NE(text.find("\"didozur\" could not be started"), std::string::npos) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    }
}

}  // namespace
