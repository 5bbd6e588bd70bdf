// The open panel against a status file that is being rewritten, cut short, or is not a file at
// all: it neither crashes nor hangs, and what it cannot read shows as the defaults.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTest>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "panel/poll_thread.h"
#include "profile/box_status.h"
#include "tests/panel/panel_support.h"

namespace {

using profile::BoxNumber;
using profile::kBoxCount;

// Which boxes show red, one character each ('R' red, 'g' green, '-' neither).
using Lamps = std::string;

// A status file in which the boxes `red` picks have a watchdog error.
std::string Status(bool (*red)(BoxNumber)) {
    std::string bytes;
    for (BoxNumber box = 1; box <= kBoxCount; ++box)
        bytes += "[Box" + std::to_string(box) + "]\r\nWatchDogError=" + (red(box) ? "1" : "0") +
                 "\r\nLastStringReceivedAt=12.03.2024 10:41:07\r\n"
                 "LastAlarmForC1=12.03.2024 09:12:55 Kontakt 1 offen\r\n"
                 "LastAlarmForC2=11.03.2024 22:03:10 Kontakt 2 offen\r\n";
    return bytes;
}

bool Odd(BoxNumber box) { return box % 2 == 1; }
bool Even(BoxNumber box) { return box % 2 == 0; }
bool All(BoxNumber) { return true; }
bool None(BoxNumber) { return false; }

Lamps LampsOf(bool (*red)(BoxNumber)) {
    Lamps lamps;
    for (BoxNumber box = 1; box <= kBoxCount; ++box) lamps += red(box) ? 'R' : 'g';
    return lamps;
}

class PanelFaults : public test::PanelTest {
  protected:
    void SetUp() override {
        PanelTest::SetUp();
        PutTable([](profile::BoxTable& table) {
            for (profile::BoxConfig& box : table) box.enabled = 1;
        });
        statusPath_ = PathOf(profile::kBoxStatusFile);
    }
    void TearDown() override {
        SetPollIntervalForTesting(0);
        PanelTest::TearDown();
    }

    Lamps Shown() const {
        Lamps lamps;
        for (BoxNumber box = 1; box <= kBoxCount; ++box) {
            const bool green = IsWindowVisible(GetDlgItem(panel.m_hWnd, PanelBoxOf(box).greenLamp));
            const bool red = IsWindowVisible(GetDlgItem(panel.m_hWnd, PanelBoxOf(box).redLamp));
            lamps += green == red ? '-' : (red ? 'R' : 'g');
        }
        return lamps;
    }
    // One refresh, as a poll makes it, on the UI thread.
    Lamps Refreshed() const {
        SendMessageA(panel.m_hWnd, WM_STATUSPOLL, 0, 0);
        return Shown();
    }

    std::string statusPath_;
};

TEST_F(PanelFaults, AStatusFileCutAtEveryByteShowsWhatIsThereAndDefaultsForTheRest) {
    const std::string whole = Status(Odd);
    Run([&] {
        for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
            const std::string part = whole.substr(0, cut);
            Put(profile::kBoxStatusFile, part);
            Lamps expected;
            for (BoxNumber box = 1; box <= kBoxCount; ++box) {
                const std::string flag = "[Box" + std::to_string(box) + "]\r\nWatchDogError=1";
                expected += part.find(flag) != std::string::npos ? 'R' : 'g';
            }
            ASSERT_EQ(Refreshed(), expected) << "cut after " << cut << " bytes";
        }
    });
}

enum class Hostile { Directory, Fifo, SymlinkLoop, Unreadable, HundredMegabytes };

class HostileStatusFile : public PanelFaults, public ::testing::WithParamInterface<Hostile> {
  protected:
    // Puts the hostile thing where the status file was.
    void MakeIt() const {
        std::filesystem::remove(statusPath_);
        switch (GetParam()) {
            case Hostile::Directory:
                std::filesystem::create_directory(statusPath_);
                return;
            case Hostile::Fifo:
                ASSERT_EQ(mkfifo(statusPath_.c_str(), 0600), 0);
                return;
            case Hostile::SymlinkLoop:
                std::filesystem::create_symlink(profile::kBoxStatusFile, statusPath_);
                return;
            case Hostile::Unreadable:
                Put(profile::kBoxStatusFile, Status(All));
                chmod(statusPath_.c_str(), 0);
                return;
            case Hostile::HundredMegabytes: {
                // Nothing but noise until a last section at the very end: not even read.
                std::string noise(100 << 20, 'x');
                for (std::size_t at = 80; at < noise.size(); at += 81) noise[at] = '\n';
                Put(profile::kBoxStatusFile, noise + "\r\n[Box3]\r\nWatchDogError=1\r\n");
                return;
            }
        }
    }
};

TEST_P(HostileStatusFile, ReadsAsTheDefaultsWithoutCrashOrHang) {
    Put(profile::kBoxStatusFile, Status(All));
    Lamps opened, after;
    std::string words;
    Run([&] {
        opened = Shown();
        MakeIt();
        // Root reads whatever the permissions say; this thread reads as an ordinary user.
        const bool asUser = GetParam() == Hostile::Unreadable && geteuid() == 0;
        if (asUser) setfsuid(65534);
        after = Refreshed();
        if (asUser) setfsuid(0);
        words = Words(PanelBoxOf(1).greenLamp);
    });
    EXPECT_EQ(opened, LampsOf(All));
    EXPECT_EQ(after, LampsOf(None));
    static const char* const reasons[] = {"not a regular file", "not a regular file",
                                          "not a regular file", "no permission",
                                          "too large (over 4 MB)"};
    EXPECT_EQ(words, std::string("IP Controller 1: watchdog OK, status file cannot be read: ") +
                         reasons[static_cast<int>(GetParam())]);
}

std::string NameOf(const ::testing::TestParamInfo<Hostile>& info) {
    static const char* const names[] = {"Directory", "Fifo", "SymlinkLoop", "Unreadable",
                                        "HundredMegabytes"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Each, HostileStatusFile,
                         ::testing::Values(Hostile::Directory, Hostile::Fifo, Hostile::SymlinkLoop,
                                           Hostile::Unreadable, Hostile::HundredMegabytes),
                         NameOf);

// A stand-in for the communication service, rewriting the status file as fast as it can
// between two versions, in place or by atomic replacement.
class StandInService {
  public:
    StandInService(std::string path, bool atomic)
        : path_(std::move(path)), atomic_(atomic), thread_([this] { Run(); }) {}
    ~StandInService() {
        stop_ = true;
        thread_.join();
    }
    long writes() const { return writes_; }

  private:
    void Run() {
        const std::string versions[] = {Status(Odd), Status(Even)};
        const std::string temp = path_ + ".new";
        for (long n = 0; !stop_; ++n) {
            const std::string& bytes = versions[n % 2];
            const std::string& target = atomic_ ? temp : path_;
            const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) break;
            close(fd);
            if (atomic_ && rename(temp.c_str(), path_.c_str()) != 0) break;
            writes_ = n + 1;
        }
    }

    std::string path_;
    bool atomic_;
    std::atomic<bool> stop_{false};
    std::atomic<long> writes_{0};
    std::thread thread_;
};

class RewrittenStatusFile : public PanelFaults, public ::testing::WithParamInterface<bool> {};

TEST_P(RewrittenStatusFile, PollsGoOnAndAtomicReplacementShowsOnlyWholeVersions) {
    const bool atomic = GetParam();
    Put(profile::kBoxStatusFile, Status(Odd));
    SetPollIntervalForTesting(1);
    std::set<Lamps> seen;
    long writes = 0;
    bool settled = false;
    Run([&] {
        {
            StandInService service(statusPath_, atomic);
            QTimer sample;
            // Between two handled messages the lamps are as a whole refresh left them.
            QObject::connect(&sample, &QTimer::timeout, [&] { seen.insert(Shown()); });
            sample.start(1);
            QTest::qWait(1500);
            writes = service.writes();
        }
        Put(profile::kBoxStatusFile, Status(None));
        settled = QTest::qWaitFor([&] { return Shown() == LampsOf(None); }, 10000);
    });
    EXPECT_GT(writes, 100);
    EXPECT_TRUE(settled) << "the polls stopped";
    EXPECT_GE(seen.size(), 2u) << "the lamps followed the rewrites";
    // Written in place, a refresh may read a file cut short; replaced whole, never.
    if (atomic) {
        EXPECT_EQ(seen, (std::set<Lamps>{LampsOf(Odd), LampsOf(Even)}));
    }
}

INSTANTIATE_TEST_SUITE_P(InPlaceAndAtomic, RewrittenStatusFile, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "AtomicReplace" : "InPlace");
                         });

}  // namespace
