// Start-up of the real program against a bare Qt program showing a dialog of the same widgets:
// from process start to the first painted frame, to the process's end, and peak memory.
#include <sched.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/bench_table.h"
#include "profile/file_store.h"

extern char** environ;

namespace bench {

namespace {

struct Run {
    double firstFrameMs = 0, exitMs = 0, peakMb = 0;
};

long long Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// Starts `program` with the frame plugin loaded, reads what it says, waits for its end. With a
// processor given, the program runs on that one only (it inherits the mask set around the
// spawn).
Run Start(const char* program, int cpu = -1) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "QT_", 3) != 0) env.push_back(*e);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back(std::string("QT_PLUGIN_PATH=") + BENCH_PLUGIN_PATH);
    env.push_back("QT_QPA_GENERIC_PLUGINS=mirelkoframe");
    if (std::getenv("MIRELKO_BENCH_CENSUS")) env.push_back("MIRELKO_BENCH_CENSUS=1");
    int out[2];
    if (pipe(out) != 0) std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);

    const long long t0 = Now();
    env.push_back("MIRELKO_BENCH_T0=" + std::to_string(t0));
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program), nullptr};
    cpu_set_t before;
    CPU_ZERO(&before);
    if (cpu >= 0) {
        cpu_set_t only;
        CPU_ZERO(&only);
        CPU_SET(cpu, &only);
        if (sched_getaffinity(0, sizeof before, &before) != 0 ||
            sched_setaffinity(0, sizeof only, &only) != 0) {
            std::perror("sched_setaffinity");
            std::exit(1);
        }
    }
    pid_t pid;
    if (posix_spawn(&pid, program, &actions, nullptr, argv, envp.data()) != 0) {
        std::perror(program);
        std::exit(1);
    }
    if (cpu >= 0) sched_setaffinity(0, sizeof before, &before);
    close(out[1]);
    std::string said;
    char chunk[4096];
    for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) said.append(chunk, n);
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run run;
    run.exitMs = (Now() - t0) / 1e6;
    run.peakMb = usage.ru_maxrss / 1024.0;
    posix_spawn_file_actions_destroy(&actions);
    const std::size_t at = said.find("first frame ");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos) {
        std::fprintf(stderr, "%s did not show its first frame and end: %s\n", program,
                     said.c_str());
        std::exit(1);
    }
    run.firstFrameMs = std::atoll(said.c_str() + at + 12) / 1e6;
    if (std::getenv("MIRELKO_BENCH_CENSUS")) std::fprintf(stderr, "%s:\n%s", program, said.c_str());
    return run;
}

}  // namespace

void StartUpRows(int runs, std::vector<Row>& rows) {
    std::vector<double> frame[2], exit[2], peak[2];
    const char* programs[] = {MIRELKO_PROGRAM, BARE_DIALOG_PROGRAM};
    Start(programs[0]);  // once unmeasured each, so both start with warm file caches
    Start(programs[1]);
    // The processors of a virtual machine need not be equally fast (on the one measured, one
    // start-up took 64 ms on the first and 84 ms on the second, for either program), and where
    // the scheduler puts a new process depends on what ran before. So each round starts both
    // programs on the same processor, and the rounds take the processors in turn.
    const int home = sched_getcpu();
    std::vector<int> cpus;
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        for (int c = 0; c < CPU_SETSIZE; ++c) {
            if (CPU_ISSET(c, &allowed)) cpus.push_back(c);
        }
    }
    for (int i = 0; i < runs; ++i) {
        const int cpu = cpus.empty() ? -1 : cpus[i % cpus.size()];
        for (int p = 0; p < 2; ++p) {
            const Run run = Start(programs[p], cpu);
            frame[p].push_back(run.firstFrameMs);
            exit[p].push_back(run.exitMs);
            peak[p].push_back(run.peakMb);
        }
    }
    // Back to the processor the benchmark started on, for the rows that follow.
    if (home >= 0 && !cpus.empty()) {
        cpu_set_t only;
        CPU_ZERO(&only);
        CPU_SET(home, &only);
        sched_setaffinity(0, sizeof only, &only);
        sched_setaffinity(0, sizeof allowed, &allowed);
    }
    const char* bare = "bare Qt dialog, same widgets";
    rows.push_back({"start-up: process start to first frame", bare, "ms", SpreadOf(frame[0]),
                    SpreadOf(frame[1])});
    rows.push_back({"start-up: process start to first frame, exit", bare, "ms", SpreadOf(exit[0]),
                    SpreadOf(exit[1])});
    rows.push_back(
        {"start-up: peak resident memory", bare, "MB", SpreadOf(peak[0]), SpreadOf(peak[1])});
}

}  // namespace bench
