// What every benchmark row shares: timing one call, running a figure and its floor in turns so
// that a busy shared machine slows both alike, and printing the row.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

struct Spread {
    double min = 0, median = 0, max = 0;
};

inline Spread SpreadOf(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples.front(), samples[samples.size() / 2], samples.back()};
}

template <typename F>
double Microseconds(F&& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

struct Row {
    std::string what, floor, unit;
    Spread measured, floorSpread;
};

// `runs` samples of each, alternating; each function returns one sample.
template <typename F, typename G>
Row Interleaved(std::string what, std::string floor, int runs, F&& measured, G&& floorSample,
                std::string unit = "us") {
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(measured(i));
        b.push_back(floorSample(i));
    }
    return {std::move(what), std::move(floor), std::move(unit), SpreadOf(a), SpreadOf(b)};
}

// The figures under a line that says how they were taken and how busy the machine was.
inline void PrintTable(const std::string& how, const std::string& loadBefore,
                       const std::string& loadAfter, const std::vector<Row>& rows) {
    std::printf("%s", how.c_str());
    if (!loadBefore.empty())
        std::printf("; load average %s before, %s after", loadBefore.c_str(), loadAfter.c_str());
    std::printf("\n");
    std::printf("%-44s %28s   %-36s %28s  %6s\n", "figure", "min / median / max",
                "floor (same run, interleaved)", "min / median / max", "ratio");
    for (const Row& r : rows) {
        std::printf("%-44s %8.1f %8.1f %8.1f %-3s  %-36s %8.1f %8.1f %8.1f %-3s %5.2fx\n",
                    r.what.c_str(), r.measured.min, r.measured.median, r.measured.max,
                    r.unit.c_str(), r.floor.c_str(), r.floorSpread.min, r.floorSpread.median,
                    r.floorSpread.max, r.unit.c_str(), r.measured.median / r.floorSpread.median);
    }
}

// The rows of each part; `runs` is the number of samples of each figure and of its floor.
void FileRows(int runs, std::vector<Row>& rows);
void RefreshRows(int runs, std::vector<Row>& rows);
void StartUpRows(int runs, std::vector<Row>& rows);

// The status file as the service writes it: fifteen sections of four keys, after about
// `filler` bytes of other sections that every lookup has to pass.
std::string StatusFile(std::size_t filler);

}  // namespace bench
