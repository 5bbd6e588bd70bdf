// Prints every benchmark figure beside its floor, measured in the same run and in turns:
//   mirelko_bench [runs]    (runs of each figure and of its floor; start-up takes a tenth)
// Everything runs in a fresh profile directory on Qt's offscreen platform.
#include <stdlib.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>

#include "bench/bench_table.h"
#include "bench/floors.h"

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 300;
    const std::string dir = bench::MakeProfileDirectory();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    std::vector<bench::Row> rows;
    bench::StartUpRows(std::max(2, runs / 10), rows);
    {
        QApplication app(argc, argv);
        bench::RefreshRows(runs, rows);
    }
    bench::FileRows(runs, rows);
    std::filesystem::remove_all(dir);

    std::printf("%d runs of each figure and floor (start-up: %d), interleaved\n", runs,
                std::max(2, runs / 10));
    bench::PrintTable(rows);
    return 0;
}
