// box-simulator: a stand-in for the box communication service, for demonstrations and tests.
#include <signal.h>
#include <stdlib.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "profile/box_config.h"
#include "profile/box_status.h"
#include "profile/file_store.h"
#include "tools/simulator/simulation.h"
#include "tools/simulator/simulator_options.h"
#include "tools/simulator/status_writer.h"

namespace {

// The stop signals stay blocked and are taken only between steps, so a file is never left
// half written by them.
sigset_t BlockStopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    // A background job of a script has SIGINT ignored; it stays so.
    struct sigaction interrupt {};
    if (sigaction(SIGINT, nullptr, &interrupt) == 0 && interrupt.sa_handler != SIG_IGN)
        sigaddset(&set, SIGINT);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    return set;
}

// Waits up to `seconds`; true when a stop signal came.
bool StopSignalWithin(const sigset_t& signals, double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(seconds));
    for (;;) {
        const auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
        const auto whole = std::chrono::duration_cast<std::chrono::seconds>(left);
        const timespec wait{static_cast<time_t>(whole.count()),
                            static_cast<long>(std::chrono::nanoseconds(left - whole).count())};
        if (sigtimedwait(&signals, nullptr, &wait) >= 0) return true;
        if (errno != EINTR) return false;
    }
}

std::vector<profile::BoxNumber> EnabledBoxes() {
    std::vector<profile::BoxNumber> boxes;
    const profile::BoxTable table = profile::ReadBoxTable();
    for (profile::BoxNumber box = 1; box <= profile::kBoxCount; ++box)
        if (table[box - 1].enabled != 0) boxes.push_back(box);
    return boxes;
}

std::string Describe(const simulator::Options& options, std::uint32_t seed) {
    std::string boxes;
    for (profile::BoxNumber box : options.boxes)
        boxes += (boxes.empty() ? "Box" : ", Box") + std::to_string(box);
    if (boxes.empty())
        boxes = "the boxes enabled in " + profile::ResolveProfilePath(profile::kBoxConfigFile);
    char interval[32];
    std::snprintf(interval, sizeof interval, "%g", options.intervalSeconds);
    return "writing " + profile::ResolveProfilePath(profile::kBoxStatusFile) + " for " + boxes +
           " every " + interval + " s, seed " + std::to_string(seed) +
           (options.mode == simulator::WriteMode::InPlace ? ", in place" : "");
}

}  // namespace

int main(int argc, char** argv) {
    const simulator::ParsedOptions parsed = simulator::ParseOptions(argc, argv);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "box-simulator: %s (see --help)\n", parsed.error.c_str());
        return 2;
    }
    const simulator::Options& options = parsed.options;
    if (options.help) {
        std::fputs(simulator::kUsage, stdout);
        return 0;
    }
    if (options.profileDir) ::setenv("MIRELKO_PROFILE_DIR", options.profileDir->c_str(), 1);
    const sigset_t stopSignals = BlockStopSignals();
    const std::uint32_t seed = options.seed.value_or(std::random_device()());
    std::fprintf(stderr, "box-simulator: %s\n", Describe(options, seed).c_str());

    simulator::Simulation simulation(seed);
    for (long long tick = 0; options.ticks == 0 || tick < options.ticks; ++tick) {
        const std::time_t now =
            options.start
                ? *options.start +
                      static_cast<std::time_t>(std::floor(double(tick) * options.intervalSeconds))
                : std::time(nullptr);
        const auto events =
            simulation.Step(options.boxes.empty() ? EnabledBoxes() : options.boxes, now);
        if (!simulator::WriteStatuses(simulation.statuses(), options.mode)) {
            std::fprintf(stderr, "box-simulator: cannot write %s: %s\n",
                         profile::ResolveProfilePath(profile::kBoxStatusFile).c_str(),
                         profile::DescribeFailure(errno, true).c_str());
            return 1;
        }
        for (const simulator::Event& event : events)
            std::printf("%s  Box%-2d  %s\n", simulator::FormatTime(now).c_str(), event.box,
                        event.what.c_str());
        std::fflush(stdout);
        if (tick + 1 == options.ticks) break;
        if (StopSignalWithin(stopSignals, options.start ? 0 : options.intervalSeconds)) break;
    }
    return 0;
}
