// Prints how long one ReadBoxTable and one WriteBoxTable take on a full box file, and one
// ReadWatchDogErrors on a status file of usual and of oversized length beside the time it
// takes just to read that file.
//   profile_bench [iterations]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "profile/box_config.h"
#include "profile/box_status.h"
#include "profile/file_store.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Spread {
    double min, median, max;
};

template <typename F>
Spread Microseconds(int iterations, F&& run) {
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(iterations));
    for (int i = 0; i < iterations; ++i) {
        auto start = Clock::now();
        run(i);
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(samples.begin(), samples.end());
    return {samples.front(), samples[samples.size() / 2], samples.back()};
}

template <typename F>
double MedianMicroseconds(int iterations, F&& run) {
    return Microseconds(iterations, run).median;
}

profile::BoxTable FullTable(int variant) {
    profile::BoxTable table;
    for (int i = 0; i < profile::kBoxCount; ++i) {
        table[i].enabled = i % 2;
        table[i].location = "Hall " + std::to_string(i + 1) + ", gate " + std::to_string(variant);
        table[i].address = profile::Octets{192, 168, 10, static_cast<std::uint8_t>(i + 1)};
        table[i].offset = 1000 * (i + 1) + variant;
    }
    return table;
}

// The status file as the service writes it: fifteen sections of four keys, after `filler` bytes
// of other sections, which every lookup has to pass.
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

// One ReadWatchDogErrors beside one plain read of the same file.
void BenchStatusFile(std::size_t filler, int iterations, int& sink) {
    const std::string path = profile::ResolveProfilePath(profile::kBoxStatusFile);
    std::ofstream(path, std::ios::binary) << StatusFile(filler);
    auto size = std::filesystem::file_size(path);
    Spread floor = Microseconds(iterations, [&](int) {
        if (std::optional<std::string> bytes = profile::ReadFileBytes(path))
            sink += bytes->size() & 1;
    });
    Spread read = Microseconds(iterations, [&](int) { sink += profile::ReadWatchDogErrors()[2]; });
    std::printf("status file: %ju bytes, %d iterations, min / median / max per call\n",
                static_cast<std::uintmax_t>(size), iterations);
    std::printf("  read the file (floor)          %9.1f %9.1f %9.1f us\n", floor.min, floor.median,
                floor.max);
    std::printf("  ReadWatchDogErrors             %9.1f %9.1f %9.1f us  (%.1fx the floor)\n",
                read.min, read.median, read.max, read.median / floor.median);
}

}  // namespace

int main(int argc, char** argv) {
    int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    char pattern[] = "/tmp/mirelko-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("MIRELKO_PROFILE_DIR", dir, 1);
    if (!profile::WriteBoxTable(FullTable(0))) {
        std::perror("WriteBoxTable");
        return 1;
    }
    auto size = std::filesystem::file_size(std::filesystem::path(dir) / profile::kBoxConfigFile);

    int sink = 0;
    double read =
        MedianMicroseconds(iterations, [&](int) { sink += profile::ReadBoxTable()[14].offset; });
    double changed = MedianMicroseconds(
        iterations, [&](int i) { sink += profile::WriteBoxTable(FullTable(i + 1)); });
    profile::BoxTable same = FullTable(0);
    double unchanged =
        MedianMicroseconds(iterations, [&](int) { sink += profile::WriteBoxTable(same); });

    std::printf("box file: %ju bytes, 60 keys, %d iterations, median per call\n",
                static_cast<std::uintmax_t>(size), iterations);
    std::printf("ReadBoxTable                     %9.1f us\n", read);
    std::printf("WriteBoxTable (values changed)   %9.1f us  (one fsync + rename)\n", changed);
    std::printf("WriteBoxTable (same values)      %9.1f us  (file left untouched)\n", unchanged);
    BenchStatusFile(0, iterations, sink);
    BenchStatusFile(1u << 20, iterations, sink);
    std::filesystem::remove_all(dir);
    return sink == -1;  // keeps the calls from being optimised away
}
