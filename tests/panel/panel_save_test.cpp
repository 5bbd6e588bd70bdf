// Saving: what "save" and "OK" write, what closing without saving keeps, and failures that are
// reported with nothing lost.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "profile/file_store.h"
#include "res/resource.h"
#include "tests/panel/panel_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
            Retype(row.location, std::string(100, 'x'));
            // A leading minus is typed too, on both backends: negative offsets stay editable.
            Retype(row.offset, "-1-2");
            SendMessageA(GetDlgItem(panel.m_hWnd, row.ipAddress), IPM_SETADDRESS, 0,
                         MAKEIPADDRESS(10, 1, 2, 3));
            switch (GetParam()) {
                case Leave::OkButton:
                    return Click(IDOK);
                case Leave::EnterInAField:
                    return Press(row.location, test::Key::Enter);
                case Leave::Abbrechen:
                    return Click(IDCANCEL);
                case Leave::Escape:
                    return Press(row.location, test::Key::Escape);
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
    EXPECT_EQ(saved.offset, -12) << "the second minus was refused";
    EXPECT_EQ(saved.address, (profile::Octets{10, 1, 2, 3}));
}

INSTANTIATE_TEST_SUITE_P(EveryWay, LeavingThePanel,
                         ::testing::Values(Leave::OkButton, Leave::EnterInAField, Leave::Abbrechen,
                                           Leave::Escape));

// Makes every save of the box file fail while it lives, in the real ways each system has.
#ifdef _WIN32
class RefusedWrites {
  public:
    enum Way { ReadOnlyFile, Locked };

    RefusedWrites(Way way, const std::string& file) : way_(way), file_(file) {
        if (way_ == ReadOnlyFile) {
            SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_READONLY);
            return;
        }
        letGo_ = HoldTheWritersLock(file);  // another program that stopped while it saved
    }
    ~RefusedWrites() {
        SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (letGo_) letGo_();
    }
    RefusedWrites(const RefusedWrites&) = delete;
    RefusedWrites& operator=(const RefusedWrites&) = delete;

    std::string reason() const {
        return profile::DescribeFailure(way_ == Locked ? EWOULDBLOCK : EROFS, true);
    }

  private:
    Way way_;
    std::string file_;
    std::function<void()> letGo_;
};
#else
class RefusedWrites {
  public:
    enum Way { NoPermission, ReadOnlyFile, FileSizeLimit, Locked, AnotherUsersLink };

    RefusedWrites(Way way, const std::string& file)
        : way_(way), file_(file), dir_(std::filesystem::path(file).parent_path().string()) {
        switch (way_) {
            case FileSizeLimit: {
                getrlimit(RLIMIT_FSIZE, &saved_);
                rlimit small = saved_;
                small.rlim_cur = 64;
                signal(SIGXFSZ, SIG_IGN);
                setrlimit(RLIMIT_FSIZE, &small);
                return;
            }
            case Locked:
                letGo_ = HoldTheWritersLock(file_);  // as a writer stopped in a debugger does
                return;
            case AnotherUsersLink:
                // Root never follows a link: it could be led to another user's file.
                std::filesystem::rename(file_, dir_ + "/elsewhere.ini");
                std::filesystem::create_symlink(dir_ + "/elsewhere.ini", file_);
                return;
            default:
                // A directory that takes no new file is saved into in place; the file is what
                // refuses.
                chmod(file_.c_str(), 0444);
                if (way_ == NoPermission) chmod(dir_.c_str(), 0555);
                // Root passes permission checks; this thread's file access is made an ordinary
                // user's, who owns the file and the directory.
                if (geteuid() == 0 && chown(dir_.c_str(), 65534, 65534) == 0 &&
                    chown(file_.c_str(), 65534, 65534) == 0)
                    setfsuid(65534);
        }
    }
    ~RefusedWrites() {
        if (way_ == FileSizeLimit) {
            setrlimit(RLIMIT_FSIZE, &saved_);
            signal(SIGXFSZ, SIG_DFL);
        } else if (way_ == Locked) {
            letGo_();
        } else if (way_ == AnotherUsersLink) {
            std::filesystem::rename(dir_ + "/elsewhere.ini", file_);
        } else {
            if (geteuid() == 0) {
                setfsuid(0);
                chown(dir_.c_str(), 0, 0);
            }
            chmod(dir_.c_str(), 0700);
            chmod(file_.c_str(), 0600);
        }
    }
    RefusedWrites(const RefusedWrites&) = delete;
    RefusedWrites& operator=(const RefusedWrites&) = delete;

    std::string reason() const {
        static const int errors[] = {EACCES, EACCES, EFBIG, EWOULDBLOCK, ELOOP};
        return profile::DescribeFailure(errors[way_], true);
    }

  private:
    Way way_;
    std::string file_, dir_;
    rlimit saved_{};
    std::function<void()> letGo_;
};
#endif

class FailedSave : public PanelTest, public ::testing::WithParamInterface<RefusedWrites::Way> {};

TEST_P(FailedSave, IsReportedKeepsTheFileThePanelAndItsEditsAndASaveAfterTheCauseGoesThrough) {
    const std::string before = "[zivazoz]\r\nBox1=1\r\nLocBox1=old\r\n";
    Put(profile::kBoxConfigFile, before);
    const PanelBox& row = PanelBoxOf(1);
    test::MessageBoxAnswerer messages;
    bool stillOpen = false;
    std::string locationAfter, fileWhileRefused;
    std::size_t entriesWhileRefused = 0;
    const INT_PTR result = Run([&] {
        Retype(row.location, "new");
        {
            RefusedWrites refused(GetParam(), PathOf(profile::kBoxConfigFile));
            Click(IDC_SAVE);
            Click(IDOK);
            stillOpen = IsOpen();
            locationAfter = Text(row.location);
            ASSERT_EQ(messages.count(), 2);
            for (const std::string& text : messages.texts()) {
                EXPECT_NE(text.find(NativePathOf(profile::kBoxConfigFile)), std::string::npos)
                    << text;
                EXPECT_NE(text.find(refused.reason()), std::string::npos) << text;
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
    test::MessageBoxAnswerer messages;
    Run([&] {
        std::filesystem::remove_all(dir_);
        Retype(PanelBoxOf(1).location, "back");
        Click(IDC_SAVE);
    });
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(profile::ReadBoxTable()[0].location, "back");
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(dir_).permissions(), std::filesystem::perms::owner_all);
#endif
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(EachWay, FailedSave,
                         ::testing::Values(RefusedWrites::ReadOnlyFile, RefusedWrites::Locked));
#else
std::vector<RefusedWrites::Way> RefusedWays() {
    std::vector<RefusedWrites::Way> ways = {RefusedWrites::NoPermission,
                                            RefusedWrites::ReadOnlyFile,
                                            RefusedWrites::FileSizeLimit, RefusedWrites::Locked};
    // Only root is refused its own link.
    if (geteuid() == 0) ways.push_back(RefusedWrites::AnotherUsersLink);
    return ways;
}
INSTANTIATE_TEST_SUITE_P(EachWay, FailedSave, ::testing::ValuesIn(RefusedWays()));
#endif

TEST_F(PanelSave, ABadOffsetStopsSaveAndOkAfterOneMessageEachAndWritesNothing) {
    const std::string before = "[zivazoz]\r\nBox7=1\r\nIpOffset7=7\r\nLocBox1=old\r\n";
    Put(profile::kBoxConfigFile, before);
    test::MessageBoxAnswerer messages;
    std::vector<int> countsAfter;
    int focusAfterOk = 0;
    Run([&] {
        Retype(PanelBoxOf(1).location, "new");
        Retype(PanelBoxOf(7).offset, "");
        for (int button : {IDC_SAVE, IDOK}) {
            Click(button);
            countsAfter.push_back(messages.count());
        }
        EXPECT_TRUE(WaitFor([&] { return GetActiveWindow() == panel.m_hWnd; }));
        focusAfterOk = FocusId();
    });
    EXPECT_EQ(countsAfter, (std::vector<int>{1, 2}));
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{"Please enter an integer.", "Please enter an integer."}));
    EXPECT_EQ(focusAfterOk, PanelBoxOf(7).offset);
    EXPECT_EQ(ConfigFile(), before);
}

}  // namespace
