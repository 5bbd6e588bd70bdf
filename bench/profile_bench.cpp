// Prints how long one ReadBoxTable and one WriteBoxTable take on a full box file.
//   profile_bench [iterations]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "profile/box_config.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double MedianMicroseconds(int iterations, F&& run) {
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(iterations));
    for (int i = 0; i < iterations; ++i) {
        auto start = Clock::now();
        run(i);
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
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
    std::filesystem::remove_all(dir);
    return sink == -1;  // keeps the calls from being optimised away
}
