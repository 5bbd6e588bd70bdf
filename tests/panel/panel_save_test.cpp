// Saving: what "save" and "OK" write, what closing without saving keeps, and failures that are
// reported with nothing lost.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <cstring>
#include <filesystem>

#include "profile/file_store.h"
#include "res/resource.h"
#include "tests/panel/panel_support.h"
#include "tests/toolkit/support/gui_support.h"

namespace {

using profile::BoxNumber;
using profile::kBoxCount;
using test::PanelTest;

using PanelSave = PanelTest;

TEST_F(PanelSave, AFirstSaveWritesSixtyDefaultKeysAndBlankAddressesComeBackAsZeros) {
    std::string expected = "[zivazoz]\r\n";
    for (BoxNumber box = 1; box <= kBoxCount; ++box) {
        const std::string n = std::to_string(box);
        expected += "Box" + n + "=0\r\nLocBox" + n + "=\r\nIpAddr" + n + "=0.0.0.0\r\nIpOffset" +
                    n + "=0\r\n";
    }
    Run([&] {
        Click(IDC_SAVE);
        EXPECT_EQ(ConfigFile(), expected);
        Click(IDC_REFRESH);
        EXPECT_FALSE(AddressBlank(7));
        EXPECT_EQ(Text(PanelBoxOf(7).ipAddress), "0.0.0.0");
    });
}

TEST_F(PanelSave, WhatWasLoadedSavesBackByteForByte) {
    Put(profile::kBoxConfigFile, "; kept\r\n[other]\r\nx=1\r\n");
    PutTable([](profile::BoxTable& table) {
        table[0] = {1,
                    "K\xFC"
                    "che",
                    profile::Octets{192, 168, 1, 20}, -7};
        table[11] = {1, std::string(79, 'L'), profile::Octets{10, 0, 0, 255}, 2147483647};
        table[14] = {0, "Lager", profile::Octets{0, 0, 0, 0}, 5};
    });
    const std::string before = ConfigFile();
    Run([&] { Click(IDC_SAVE); }, IDOK);
    EXPECT_EQ(ConfigFile(), before);
}

// Edits a row as an operator would, then leaves the panel one way or another.
enum class Leave { OkButton, EnterInAField, Abbrechen, Escape };

class LeavingThePanel : public PanelTest, public ::testing::WithParamInterface<Leave> {};

TEST_P(LeavingThePanel, OkAndEnterSaveTheEditsAbbrechenAndEscapeDiscardThem) {
    const PanelBox& row = PanelBoxOf(6);
    const INT_PTR result = Run(
        [&] {
            Click(row.checkBox);
            Retype(row.location, QString(100, 'x'));
            Retype(row.offset, "-12");
            SendMessageA(GetDlgItem(panel.m_hWnd, row.ipAddress), IPM_SETADDRESS, 0,
                         MAKEIPADDRESS(10, 1, 2, 3));
            QWidget* focus = Widget(row.location);
            focus->setFocus();
            switch (GetParam()) {
                case Leave::OkButton:
                    return Click(IDOK);
                case Leave::EnterInAField:
                    return QTest::keyClick(focus, Qt::Key_Return);
                case Leave::Abbrechen:
                    return Click(IDCANCEL);
                case Leave::Escape:
                    return QTest::keyClick(focus, Qt::Key_Escape);
            }
        },
        0);
    const bool saves = GetParam() == Leave::OkButton || GetParam() == Leave::EnterInAField;
    EXPECT_EQ(result, saves ? IDOK : IDCANCEL);
    ASSERT_EQ(Exists(profile::kBoxConfigFile), saves);
    if (!saves) return;
    const profile::BoxConfig saved = profile::ReadBoxTable()[5];
    EXPECT_EQ(saved.enabled, 1);
    EXPECT_EQ(saved.location, std::string(79, 'x')) << "the field takes 79 bytes, no more";
    EXPECT_EQ(saved.offset, -12);
    EXPECT_EQ(saved.address, (profile::Octets{10, 1, 2, 3}));
}

INSTANTIATE_TEST_SUITE_P(EveryWay, LeavingThePanel,
                         ::testing::Values(Leave::OkButton, Leave::EnterInAField, Leave::Abbrechen,
                                           Leave::Escape));

// Makes every write of the profile directory fail while it lives, in one of two real ways.
class RefusedWrites {
  public:
    enum Way { ReadOnlyDirectory, FileSizeLimit };

    RefusedWrites(Way way, const std::string& dir) : way_(way), dir_(dir) {
        if (way_ == FileSizeLimit) {
            getrlimit(RLIMIT_FSIZE, &saved_);
            rlimit small = saved_;
            small.rlim_cur = 64;
            signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &small);
            return;
        }
        chmod(dir_.c_str(), 0555);
        // Root passes permission checks; this thread's file access is made an ordinary user's.
        if (geteuid() == 0 && chown(dir_.c_str(), 65534, 65534) == 0) setfsuid(65534);
    }
    ~RefusedWrites() {
        if (way_ == FileSizeLimit) {
            setrlimit(RLIMIT_FSIZE, &saved_);
            signal(SIGXFSZ, SIG_DFL);
            return;
        }
        if (geteuid() == 0) {
            setfsuid(0);
            chown(dir_.c_str(), 0, 0);
        }
        chmod(dir_.c_str(), 0700);
    }
    RefusedWrites(const RefusedWrites&) = delete;
    RefusedWrites& operator=(const RefusedWrites&) = delete;

    const char* reason() const { return std::strerror(way_ == FileSizeLimit ? EFBIG : EACCES); }

  private:
    Way way_;
    std::string dir_;
    rlimit saved_{};
};

class FailedSave : public PanelTest, public ::testing::WithParamInterface<RefusedWrites::Way> {};

TEST_P(FailedSave, IsReportedKeepsTheFileThePanelAndItsEditsAndASaveAfterTheCauseGoesThrough) {
    const std::string before = "[zivazoz]\r\nBox1=1\r\nLocBox1=old\r\n";
    Put(profile::kBoxConfigFile, before);
    const PanelBox& row = PanelBoxOf(1);
    test::MessageBoxCloser messages;
    bool stillOpen = false;
    std::string locationAfter, fileWhileRefused;
    std::size_t entriesWhileRefused = 0;
    const INT_PTR result = Run([&] {
        Retype(row.location, "new");
        {
            RefusedWrites refused(GetParam(), dir_);
            Click(IDC_SAVE);
            Click(IDOK);
            stillOpen = Widget(IDOK) != nullptr && Widget(IDOK)->isVisible();
            locationAfter = Text(row.location);
            ASSERT_EQ(messages.count(), 2);
            for (const QString& text : messages.texts()) {
                EXPECT_TRUE(text.contains(QString::fromStdString(PathOf(profile::kBoxConfigFile))))
                    << text.toStdString();
                EXPECT_TRUE(text.contains(refused.reason())) << text.toStdString();
            }
        }
        fileWhileRefused = ConfigFile();
        entriesWhileRefused = EntryCount();
        Click(IDC_SAVE);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(locationAfter, "new");
    EXPECT_EQ(fileWhileRefused, before);
    EXPECT_EQ(entriesWhileRefused, 1u) << "no temporary file is left behind";
    EXPECT_EQ(messages.count(), 2) << "the save after the cause is gone reports nothing";
    EXPECT_EQ(profile::ReadBoxTable()[0].location, "new");
}

TEST_F(PanelSave, AProfileDirectoryRemovedWhileThePanelIsOpenIsMadeAgainByTheNextSave) {
    Put(profile::kBoxConfigFile, "[zivazoz]\r\nBox1=1\r\n");
    test::MessageBoxCloser messages;
    Run([&] {
        std::filesystem::remove_all(dir_);
        Retype(PanelBoxOf(1).location, "back");
        Click(IDC_SAVE);
    });
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(profile::ReadBoxTable()[0].location, "back");
    EXPECT_EQ(std::filesystem::status(dir_).permissions(), std::filesystem::perms::owner_all);
}

INSTANTIATE_TEST_SUITE_P(BothWays, FailedSave,
                         ::testing::Values(RefusedWrites::ReadOnlyDirectory,
                                           RefusedWrites::FileSizeLimit));

TEST_F(PanelSave, ABadOffsetStopsSaveAndOkAfterOneMessageEachAndWritesNothing) {
    const std::string before = "[zivazoz]\r\nBox7=1\r\nIpOffset7=7\r\nLocBox1=old\r\n";
    Put(profile::kBoxConfigFile, before);
    test::MessageBoxCloser messages;
    std::vector<int> countsAfter;
    int focusAfterOk = 0;
    Run([&] {
        Retype(PanelBoxOf(1).location, "new");
        Retype(PanelBoxOf(7).offset, "");
        for (int button : {IDC_SAVE, IDOK}) {
            Click(button);
            countsAfter.push_back(messages.count());
        }
        EXPECT_TRUE(QTest::qWaitForWindowActive(Widget(IDOK)->window()));
        focusAfterOk = GetDlgCtrlID(GetFocus());
    });
    EXPECT_EQ(countsAfter, (std::vector<int>{1, 2}));
    EXPECT_EQ(messages.texts().value(0), "Please enter an integer.");
    EXPECT_EQ(focusAfterOk, PanelBoxOf(7).offset);
    EXPECT_EQ(ConfigFile(), before);
}

}  // namespace
