// mirelko-check as a monitoring system runs it: one line on standard output, the state in the
// exit status; or metrics, the state in them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <regex>
#include <tuple>

#include "tests/profile/profile_dir.h"
#include "tests/tools/child_process.h"

namespace {

constexpr const char* kNoFile = "(none)";
constexpr const char* kDirectory = "(a directory)";
constexpr const char* kTooLarge = "(larger than any profile file)";

// Boxes 1, 3, 5 and 7 enabled, 2 disabled; locations in Windows-1252, one with a '|'.
constexpr const char* kBoxes =
    "[zivazoz]\r\nBox1=1\r\nLocBox1=Lager Nord\r\nBox2=0\r\nLocBox2=Halle\r\nBox3=1\r\n"
    "LocBox3=Tor S\xFC"
    "d\r\nBox5=1\r\nBox7=1\r\nLocBox7=Halle 1|2\r\n";
constexpr const char* kOnlyBox2 = "[zivazoz]\r\nBox1=0\r\nBox2=1\r\n";
// Box 1 "abc" and box 7 empty read as 0, as the panel reads them; box 2 is disabled.
constexpr const char* kAllFine =
    "[Box1]\r\nWatchDogError=abc\r\n[Box2]\r\nWatchDogError=1\r\n[Box3]\r\nWatchDogError=0\r\n"
    "[Box7]\r\nWatchDogError=\r\n";
constexpr const char* kTwoErrors =
    "[Box1]\r\nWatchDogError=0\r\n[Box3]\r\nWatchDogError=3\r\n[Box7]\r\nWatchDogError=-1\r\n";

struct Case {
    const char* name;
    const char* boxFile;     // or kNoFile, kDirectory, kTooLarge
    const char* statusFile;  // or kNoFile, kDirectory, kTooLarge
    long long statusAge;     // seconds since the status file was written
    std::vector<std::string> args;
    int exitCode;
    // "{dir}" stands for the profile directory, "{age}" for the age the program saw.
    const char* line;
};

const Case kCases[] = {
    {"EveryEnabledBoxFine",
     kBoxes,
     kAllFine,
     20,
     {},
     0,
     "MIRELKO OK - 4 boxes, none with a watchdog error"
     " | boxes=4;;;0;15 errors=0;;0;0;15 age={age}s;;;0"},
    {"ErrorsNamedWithLocations",
     kBoxes,
     kTwoErrors,
     20,
     {},
     2,
     "MIRELKO CRITICAL - watchdog error on 2 of 4 boxes: Box3 (Tor Süd), Box7 (Halle 1/2)"
     " | boxes=4;;;0;15 errors=2;;0;0;15 age={age}s;;;0"},
    {"OneBoxWithoutLocation",
     kOnlyBox2,
     kAllFine,
     20,
     {},
     2,
     "MIRELKO CRITICAL - watchdog error on 1 of 1 box: Box2"
     " | boxes=1;;;0;15 errors=1;;0;0;15 age={age}s;;;0"},
    {"NoBoxEnabled",
     "[zivazoz]\r\nBox1=0\r\n",
     kTwoErrors,
     20,
     {},
     0,
     "MIRELKO OK - no box is enabled | boxes=0;;;0;15 errors=0;;0;0;15 age={age}s;;;0"},
    {"FreshEnough",
     kBoxes,
     kAllFine,
     20,
     {"--max-age", "300"},
     0,
     "MIRELKO OK - 4 boxes, none with a watchdog error"
     " | boxes=4;;;0;15 errors=0;;0;0;15 age={age}s;300;;0"},
    {"TooOld",
     kBoxes,
     kAllFine,
     1000,
     {"--max-age=300"},
     1,
     "MIRELKO WARNING - status file not written for {age} s (limit 300 s); 4 boxes, none with"
     " a watchdog error | boxes=4;;;0;15 errors=0;;0;0;15 age={age}s;300;;0"},
    {"TooOldAndErrors",
     kBoxes,
     kTwoErrors,
     1000,
     {"--max-age", "300"},
     2,
     "MIRELKO CRITICAL - watchdog error on 2 of 4 boxes: Box3 (Tor Süd), Box7 (Halle 1/2);"
     " status file not written for {age} s (limit 300 s)"
     " | boxes=4;;;0;15 errors=2;;0;0;15 age={age}s;300;;0"},
    {"NoStatusFileReadsAsNoErrors",
     kBoxes,
     kNoFile,
     0,
     {},
     0,
     "MIRELKO OK - 4 boxes, none with a watchdog error; no status file"
     " | boxes=4;;;0;15 errors=0;;0;0;15 age=U;;;0"},
    {"NoStatusFileWithMaxAge",
     kBoxes,
     kNoFile,
     0,
     {"--max-age", "60"},
     1,
     "MIRELKO WARNING - no status file at {dir}/zivazoz.ini; 4 boxes, none with a watchdog"
     " error | boxes=4;;;0;15 errors=0;;0;0;15 age=U;60;;0"},
    {"NoBoxFile",
     kNoFile,
     kTwoErrors,
     20,
     {},
     3,
     "MIRELKO UNKNOWN - no box file at {dir}/rurizuz.ini (see --profile-dir)"},
    {"UnreadableBoxFile",
     kDirectory,
     kTwoErrors,
     20,
     {},
     3,
     "MIRELKO UNKNOWN - cannot read {dir}/rurizuz.ini: not a regular file"},
    {"UnreadableStatusFile",
     kBoxes,
     kDirectory,
     20,
     {},
     3,
     "MIRELKO UNKNOWN - cannot read {dir}/zivazoz.ini: not a regular file"},
    {"StatusFileTooLarge",
     kBoxes,
     kTooLarge,
     20,
     {},
     3,
     "MIRELKO UNKNOWN - cannot read {dir}/zivazoz.ini: too large (over 4 MB)"},
    {"MaxAgeNotANumber",
     kBoxes,
     kAllFine,
     20,
     {"--max-age", "5m"},
     3,
     "MIRELKO UNKNOWN - --max-age needs a whole number of seconds, not \"5m\""},
    {"MaxAgeNegative",
     kBoxes,
     kAllFine,
     20,
     {"--max-age=-5"},
     3,
     "MIRELKO UNKNOWN - --max-age needs a whole number of seconds, not \"-5\""},
    {"MaxAgeMissing",
     kBoxes,
     kAllFine,
     20,
     {"--max-age"},
     3,
     "MIRELKO UNKNOWN - --max-age needs a whole number of seconds, not \"\""},
    {"EmptyProfileDir",
     kBoxes,
     kAllFine,
     20,
     {"--profile-dir="},
     3,
     "MIRELKO UNKNOWN - --profile-dir needs a directory"},
    {"UnknownOption",
     kBoxes,
     kAllFine,
     20,
     {"-w", "5"},
     3,
     "MIRELKO UNKNOWN - unknown option -w (see --help)"},
    {"OutputNeedsPrometheus",
     kBoxes,
     kAllFine,
     20,
     {"--format=nagios", "--output", "x.prom"},
     3,
     "MIRELKO UNKNOWN - --output needs --format=prometheus"},
    {"UnknownFormat",
     kBoxes,
     kAllFine,
     20,
     {"--format", "json"},
     3,
     "MIRELKO UNKNOWN - --format needs nagios or prometheus, not \"json\""},
    {"StrayArgument",
     kBoxes,
     kAllFine,
     20,
     {"now"},
     3,
     "MIRELKO UNKNOWN - unexpected argument now (see --help)"},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class CheckFiles : public ProfileDirTest {
  protected:
    void Place(const std::string& name, const char* bytes) const {
        if (bytes == kDirectory) std::filesystem::create_directory(PathOf(name));
        if (bytes == kTooLarge) Put(name, kTwoErrors + std::string(4u << 20, ';'));
        if (bytes != kNoFile && bytes != kDirectory && bytes != kTooLarge) Put(name, bytes);
    }
    void Age(const std::string& name, long long seconds) const {
        const std::time_t then = std::time(nullptr) - seconds;
        const utimbuf times{then, then};
        ASSERT_EQ(::utime(PathOf(name).c_str(), &times), 0);
    }
};

class MirelkoCheck : public CheckFiles, public ::testing::WithParamInterface<Case> {};

std::string Replaced(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at; (at = text.find(what)) != std::string::npos;)
        text.replace(at, what.size(), with);
    return text;
}

TEST_P(MirelkoCheck, PrintsOneLineAndExitsWithItsState) {
    const Case& c = GetParam();
    Place("rurizuz.ini", c.boxFile);
    Place("zivazoz.ini", c.statusFile);
    if (c.statusFile != kNoFile) Age("zivazoz.ini", c.statusAge);

    const test::Finished run = test::Run(MIRELKO_CHECK, c.args);

    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.err, "");
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << "not exactly one line: " << run.out;
    std::string line = run.out.substr(0, run.out.size() - 1);
    std::smatch age;
    if (std::regex_search(line, age, std::regex("age=(\\d+)s"))) {
        // The clock may tick between setting the time and the check reading it.
        const std::string seen = age[1];
        EXPECT_GE(std::stoll(seen), c.statusAge);
        EXPECT_LE(std::stoll(seen), c.statusAge + 2);
        line = Replaced(line, seen + " s", "{age} s");
        line = Replaced(line, "age=" + seen + "s", "age={age}s");
    }
    EXPECT_EQ(line, Replaced(c.line, "{dir}", dir_));
}

INSTANTIATE_TEST_SUITE_P(Cases, MirelkoCheck, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The directory on the command line wins over the environment, which the profile directory of
// the test points at an empty one.
TEST(MirelkoCheckProfileDir, TheOptionChoosesTheDirectory) {
    char pattern[] = "/tmp/mirelko-check-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    std::ofstream(dir + "/rurizuz.ini") << kOnlyBox2;
    std::ofstream(dir + "/zivazoz.ini") << kAllFine;
    ::setenv("MIRELKO_PROFILE_DIR", "/nonexistent/mirelko", 1);
    const test::Finished run = test::Run(MIRELKO_CHECK, {"--profile-dir", dir});
    ::unsetenv("MIRELKO_PROFILE_DIR");
    std::filesystem::remove_all(dir);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.starts_with("MIRELKO CRITICAL - watchdog error on 1 of 1 box: Box2 |"))
        << run.out;
}

// Boxes 1 and 3 enabled with locations that need escaping in a label, Box2 disabled; the status
// file has an error for Box3 and for the disabled Box2.
constexpr const char* kLabelled =
    "[zivazoz]\r\nBox1=1\r\nLocBox1=Halle \"A\" \\ 2\r\nBox2=0\r\nLocBox2=Tor\r\nBox3=1\r\n"
    "LocBox3=S\374d \200\r\n";  // octal: a hexadecimal escape would take the "d" in
constexpr const char* kBox3Error =
    "[Box1]\r\nWatchDogError=0\r\n[Box2]\r\nWatchDogError=1\r\n[Box3]\r\nWatchDogError=3\r\n";
constexpr const char* kBox1 = R"({box="Box1",location="Halle \"A\" \\ 2"})";
constexpr const char* kBox3 = R"({box="Box3",location="Süd €"})";
constexpr const char* kToFile = "{dir}/out/mirelko.prom";  // where an older file is

struct Metrics {
    const char* name;
    const char* boxFile = kLabelled;
    const char* statusFile = kBox3Error;
    std::vector<std::string> args = {};  // after --format=prometheus
    int exitCode = 0;
    const char* err = "";  // after "mirelko-check: "
    // Lines of what it printed, or of the file it wrote; nothing at all when empty.
    std::vector<std::string> lines = {};
    std::vector<std::string> absent = {};  // what no line starts with
    mode_t dirMode = 0755, outMode = 0755;
    bool outputIsALink = false;  // to a file elsewhere, which must stay as it is
};

const Metrics kMetrics[] = {
    {.name = "ErrorsAndEscapedLocations",
     .lines = {"mirelko_read_success 1", "mirelko_box_enabled" + std::string(kBox1) + " 1",
               R"(mirelko_box_enabled{box="Box2",location="Tor"} 0)",
               R"(mirelko_box_enabled{box="Box15",location=""} 0)",
               "mirelko_box_watchdog_error" + std::string(kBox1) + " 0",
               "mirelko_box_watchdog_error" + std::string(kBox3) + " 3",
               "# TYPE mirelko_box_watchdog_error gauge", "mirelko_status_file_present 1",
               "mirelko_status_file_age_seconds {near}",
               "mirelko_status_file_written_timestamp_seconds {near}",
               "mirelko_check_run_timestamp_seconds {near}"},
     .absent = {R"(mirelko_box_watchdog_error{box="Box2")"}},
    {.name = "IntoAFile",
     .args = {"--output", kToFile},
     .lines = {"mirelko_read_success 1", "mirelko_box_watchdog_error" + std::string(kBox3) + " 3"}},
    {.name = "IntoALinksPlace",
     .args = {"--output", kToFile},
     .lines = {"mirelko_read_success 1"},
     .outputIsALink = true},
    {.name = "NoStatusFile",
     .statusFile = kNoFile,
     .lines = {"mirelko_box_watchdog_error" + std::string(kBox3) + " 0",
               "mirelko_status_file_present 0"},
     .absent = {"mirelko_status_file_age", "mirelko_status_file_written"}},
    {.name = "UnreadableStatusFile",
     .statusFile = kDirectory,
     .err = "cannot read {dir}/zivazoz.ini: not a regular file",
     .lines = {"mirelko_read_success 0", "mirelko_box_enabled" + std::string(kBox3) + " 1",
               "mirelko_status_file_present 1"},
     .absent = {"mirelko_box_watchdog_error"}},
    {.name = "NoBoxFile",
     .boxFile = kNoFile,
     .exitCode = 3,
     .err = "no box file at {dir}/rurizuz.ini (see --profile-dir)",
     .lines = {"mirelko_read_success 0", "mirelko_check_run_timestamp_seconds {near}"},
     .absent = {"mirelko_box", "mirelko_status"}},
    {.name = "BoxFileADirectory",
     .boxFile = kDirectory,
     .args = {"--output", kToFile},
     .exitCode = 3,
     .err = "cannot read {dir}/rurizuz.ini: not a regular file",
     .lines = {"mirelko_read_success 0"},
     .absent = {"mirelko_box", "old"}},
    {.name = "UnreadableProfileDirectory",
     .exitCode = 3,
     .err = "cannot read {dir}/rurizuz.ini: no permission",
     .lines = {"mirelko_read_success 0"},
     .dirMode = 0},
    {.name = "OutputFolderReadOnly",
     .args = {"--output", kToFile},
     .exitCode = 3,
     .err = "cannot write {dir}/out/mirelko.prom: no permission to write the file; its owner or an "
            "administrator can grant the right to write this one file",
     .lines = {"old"},
     .outMode = 0555},
    {.name = "MaxAgeIsForNagios",
     .args = {"--max-age", "300"},
     .exitCode = 3,
     .err = "--max-age is for --format=nagios; alert on the status file's age instead"},
};

void PrintTo(const Metrics& c, std::ostream* os) { *os << c.name; }

class MirelkoMetrics : public CheckFiles, public ::testing::WithParamInterface<Metrics> {
  protected:
    // Root reads and writes whatever the permissions say: it runs without its capabilities
    // then, as the owner of the files and nothing more.
    test::Finished RunWithoutPrivileges(const std::vector<std::string>& args) const {
        std::vector<std::string> all = {"--bounding-set=-all", "--inh-caps=-all", MIRELKO_CHECK};
        all.insert(all.end(), args.begin(), args.end());
        return ::geteuid() == 0 ? test::Run("/usr/bin/setpriv", all)
                                : test::Run(MIRELKO_CHECK, args);
    }
};

TEST_P(MirelkoMetrics, KeepTheStateInTheMetricsAndNeverWriteHalfAFile) {
    const Metrics& c = GetParam();
    Place("rurizuz.ini", c.boxFile);
    Place("zivazoz.ini", c.statusFile);
    if (c.statusFile != kNoFile) Age("zivazoz.ini", 20);
    const std::string out = PathOf("out");
    std::filesystem::create_directory(out);
    Put(c.outputIsALink ? "elsewhere.prom" : "out/mirelko.prom", "old\n");
    if (c.outputIsALink)
        std::filesystem::create_symlink(PathOf("elsewhere.prom"), PathOf("out/mirelko.prom"));
    std::vector<std::string> args = {"--format=prometheus"};
    for (const std::string& arg : c.args) args.push_back(Replaced(arg, "{dir}", dir_));
    ASSERT_EQ(::chmod(out.c_str(), c.outMode), 0);
    ASSERT_EQ(::chmod(dir_.c_str(), c.dirMode), 0);
    const test::Finished run = RunWithoutPrivileges(args);
    ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);

    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.err, *c.err ? "mirelko-check: " + Replaced(c.err, "{dir}", dir_) + "\n" : "");
    const bool toFile = !c.args.empty() && c.args.back() == kToFile;
    EXPECT_TRUE(!toFile || run.out.empty()) << run.out;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 1) << "a temporary file";
    const std::string written = toFile ? Get("out/mirelko.prom") : run.out;
    EXPECT_FALSE(std::filesystem::is_symlink(PathOf("out/mirelko.prom")));
    EXPECT_TRUE(!c.outputIsALink || Get("elsewhere.prom") == "old\n") << "written through";
    EXPECT_TRUE(!c.lines.empty() || written.empty()) << written;
    std::string metrics = "\n" + written;
    // Each time within what the clock may have ticked while it ran, then shown as "{near}".
    const long long now = std::time(nullptr), then = now - 20;
    for (const auto& [name, low, high] : {std::tuple("age_seconds", 20LL, 22LL),
                                          {"written_timestamp_seconds", then - 2, then},
                                          {"run_timestamp_seconds", now - 2, now}}) {
        std::smatch at;
        if (!std::regex_search(metrics, at, std::regex(std::string(name) + " (\\d+)\n"))) continue;
        EXPECT_TRUE(std::stoll(at[1]) >= low && std::stoll(at[1]) <= high) << name << " " << at[1];
        metrics.replace(at.position(1), at.length(1), "{near}");
    }
    for (const std::string& line : c.lines)
        EXPECT_NE(metrics.find("\n" + line + "\n"), std::string::npos) << line << " in" << metrics;
    for (const std::string& start : c.absent)
        EXPECT_EQ(metrics.find("\n" + start), std::string::npos) << start << " in" << metrics;

    if (c.lines.empty() || c.lines[0] == "old") return;
    Put("seen.prom", written);
    const test::Finished lint = test::Run(
        "/bin/sh",
        {"-c", "command -v promtool >/dev/null || exit 77; promtool check metrics <\"$0\" 2>&1",
         PathOf("seen.prom")});
    if (lint.exitCode == 77) GTEST_SKIP() << "promtool is not installed (./build.sh installs it)";
    EXPECT_EQ(lint.exitCode, 0);
    EXPECT_EQ(lint.out, "");
}

INSTANTIATE_TEST_SUITE_P(Cases, MirelkoMetrics, ::testing::ValuesIn(kMetrics),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MirelkoCheckHelp, HelpAndVersionGoToStandardOutput) {
    const test::Finished help = test::Run(MIRELKO_CHECK, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(
        help.out.starts_with("Usage: mirelko-check [--profile-dir DIR] [--max-age SECONDS]"));
    const test::Finished version = test::Run(MIRELKO_CHECK, {"-V"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "mirelko-check " MIRELKO_VERSION "\n");
}

}  // namespace
