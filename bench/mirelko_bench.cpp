// Prints every benchmark figure beside its floor, measured in the same run and in turns:
//   mirelko_bench [runs]    (runs of each figure and of its floor; start-up takes a tenth)
// Everything runs in a fresh profile directory on Qt's offscreen platform.
#include <stdlib.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench/bench_table.h"
#include "bench/floors.h"

namespace {

// Qt wants a private runtime directory, and without one each program started warns that it
// makes its own; the benchmark's programs share one of their own, removed at the end.
std::string MakeRuntimeDirectory() {
    if (const char* given = std::getenv("XDG_RUNTIME_DIR"); given && *given) return "";
    char pattern[] = "/tmp/mirelko-bench-runtime-XXXXXX";  // mkdtemp makes it mode 0700
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    setenv("XDG_RUNTIME_DIR", pattern, 1);
    return pattern;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 300;
    const std::string dir = bench::MakeProfileDirectory();
    const std::string runtimeDir = MakeRuntimeDirectory();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string loadBefore = bench::LoadAverage();

    std::vector<bench::Row> rows;
    bench::StartUpRows(std::max(2, runs / 10), rows);
    {
        QApplication app(argc, argv);
        bench::RefreshRows(runs, rows);
    }
    bench::FileRows(runs, rows);
    std::filesystem::remove_all(dir);
    if (!runtimeDir.empty()) std::filesystem::remove_all(runtimeDir);

    bench::PrintTable(std::to_string(runs) + " runs of each figure and floor (start-up: " +
                          std::to_string(std::max(2, runs / 10)) + "), interleaved",
                      loadBefore, bench::LoadAverage(), rows);
    return 0;
}
