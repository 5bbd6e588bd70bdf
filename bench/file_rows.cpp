// The file layer: box file reads and writes, and single lookups, each beside the plain system
// calls it cannot do without.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "bench/bench_table.h"
#include "bench/floors.h"
#include "profile/box_config.h"
#include "profile/box_status.h"
#include "profile/file_store.h"
#include "profile/private_profile.h"

namespace bench {

namespace {

int g_sink = 0;  // keeps results alive, so no call is optimised away

profile::BoxTable FullTable(int variant) {
    profile::BoxTable table;
    for (int i = 0; i < profile::kBoxCount; ++i) {
        table[i].enabled = 1;
        table[i].location = "Halle " + std::to_string(i + 1) + ", Tor " + std::to_string(variant);
        table[i].address = profile::Octets{192, 168, 10, static_cast<std::uint8_t>(i + 1)};
        table[i].offset = 1000 * (i + 1) + variant;
    }
    return table;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void LookupRows(int runs, const char* size, std::size_t filler, std::vector<Row>& rows) {
    const std::string path = profile::ResolveProfilePath(profile::kBoxStatusFile);
    std::ofstream(path, std::ios::binary) << StatusFile(filler);
    rows.push_back(Interleaved(
        std::string("one lookup (last section), ") + size, "open+read+close", runs,
        [](int) {
            return Microseconds([] {
                g_sink += profile::GetPrivateProfileIntA("Box15", "WatchDogError", 0,
                                                         profile::kBoxStatusFile);
            });
        },
        [&](int) { return ReadFloor(path); }));
    rows.push_back(Interleaved(
        std::string("ReadBoxStatus(15), ") + size, "open+read+close", runs,
        [](int) {
            return Microseconds([] { g_sink += profile::ReadBoxStatus(15).watchDogError; });
        },
        [&](int) { return ReadFloor(path); }));
    rows.push_back(Interleaved(
        std::string("ReadWatchDogErrors (15 lookups), ") + size, "open+read+close", runs,
        [](int) { return Microseconds([] { g_sink += profile::ReadWatchDogErrors()[2]; }); },
        [&](int) { return ReadFloor(path); }));
}

}  // namespace

std::string StatusFile(std::size_t filler) {
    std::string bytes;
    for (int n = 0; bytes.size() < filler; ++n)
        bytes += "[Log" + std::to_string(n) + "]\r\nLine=12.03.2024 10:41:07 " +
                 std::string(60, 'x') + "\r\nCount=" + std::to_string(n) + "\r\n";
    for (int box = 1; box <= profile::kBoxCount; ++box)
        bytes += "[Box" + std::to_string(box) +
                 "]\r\nWatchDogError=" + std::to_string(box % 3 == 0) +
                 "\r\nLastStringReceivedAt=12.03.2024 10:41:07\r\n"
                 "LastAlarmForC1=12.03.2024 09:12:55 Kontakt 1 offen\r\n"
                 "LastAlarmForC2=11.03.2024 22:03:10 Kontakt 2 offen\r\n";
    return bytes;
}

void FileRows(int runs, std::vector<Row>& rows) {
    const std::string dir = profile::ProfileDirectory();
    const std::string boxFile = profile::ResolveProfilePath(profile::kBoxConfigFile);
    if (!profile::WriteBoxTable(FullTable(0))) {
        std::perror("WriteBoxTable");
        std::exit(1);
    }
    const std::string size = std::to_string(Slurp(boxFile).size()) + " B";

    rows.push_back(Interleaved(
        "ReadBoxTable, box file " + size, "open+read+close", runs,
        [](int) { return Microseconds([] { g_sink += profile::ReadBoxTable()[14].offset; }); },
        [&](int) { return ReadFloor(boxFile); }));
    const profile::BoxTable same = FullTable(0);
    rows.push_back(Interleaved(
        "WriteBoxTable, same values", "open+read+close", runs,
        [&](int) { return Microseconds([&] { g_sink += profile::WriteBoxTable(same); }); },
        [&](int) { return ReadFloor(boxFile); }));
    // Alternating tables keep every length the same and every write a change.
    const profile::BoxTable tables[] = {FullTable(1), FullTable(2)};
    const std::string bytes = Slurp(boxFile);
    rows.push_back(Interleaved(
        "WriteBoxTable, values changed (durable)", kDurableWriteSteps, runs,
        [&](int i) {
            return Microseconds([&] { g_sink += profile::WriteBoxTable(tables[i % 2]); });
        },
        [&](int) { return DurableWriteFloor(dir, bytes); }));

    LookupRows(runs, "2.5 KB", 0, rows);
    LookupRows(runs, "1 MB", 1u << 20, rows);
    if (g_sink == -1) std::puts("");
}

}  // namespace bench
