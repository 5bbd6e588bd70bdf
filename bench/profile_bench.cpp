// Prints the file layer's figures beside their floors, measured in the same run and in turns:
//   profile_bench [runs]
// The same program on Linux and on Windows; it runs in a fresh profile directory.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench/bench_table.h"
#include "bench/floors.h"

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 300;
    const std::string dir = bench::MakeProfileDirectory();
    const std::string loadBefore = bench::LoadAverage();
    std::vector<bench::Row> rows;
    bench::FileRows(runs, rows);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    bench::PrintTable(std::to_string(runs) + " runs of each figure and floor, interleaved",
                      loadBefore, bench::LoadAverage(), rows);
    return 0;
}
