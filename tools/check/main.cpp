// mirelko-check: the watchdog flags of the enabled boxes, for a monitoring system: one line for
// one that runs checks, or metrics for one that scrapes them. It reads the two profile files
// through the same code and with the same defaults as the panel.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/check/check_options.h"
#include "tools/check/exposition.h"
#include "tools/check/output_file.h"
#include "tools/check/profile_reading.h"
#include "tools/check/verdict.h"

namespace {

constexpr const char* kHelp = R"(Usage: mirelko-check [--profile-dir DIR] [--max-age SECONDS]
       mirelko-check --format=prometheus [--profile-dir DIR] [--output FILE]

Checks the watchdog flags that the box communication service writes for the
boxes enabled in the panel, and prints one line for a monitoring system, or
metrics in the Prometheus text format.

  --profile-dir DIR    the profile directory (default: $MIRELKO_PROFILE_DIR,
                       else $XDG_CONFIG_HOME/mirelko, else ~/.config/mirelko)
  --max-age SECONDS    warn when the status file is older than this, or missing
  --format FORMAT      nagios (the default): one line and the state as the exit
                       status; prometheus: metrics, for node_exporter's textfile
                       collector, say
  --output FILE        with --format=prometheus: replace FILE whole with the
                       metrics instead of printing them
  -h, --help           this text
  -V, --version        the version

Exit status: 0 OK, 1 WARNING (status file too old or missing), 2 CRITICAL (an
enabled box reports a watchdog error), 3 UNKNOWN (bad arguments, no box file,
or a file that cannot be read).
With --format=prometheus: 0 when the box file was read, whatever the boxes
report; 3, with the reason on standard error, for bad arguments, a box file
that cannot be read, or metrics that cannot be written.
)";

void Complain(const std::string& problem) {
    std::fprintf(stderr, "mirelko-check: %s\n", problem.c_str());
}

bool Print(const std::string& text, std::string& problem) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
        return true;
    problem = std::string("cannot write to standard output: ") + std::strerror(errno);
    return false;
}

// The state goes into the metrics, not the exit status: a collector that keeps only what exits
// with 0 must not lose the file when a box is in error.
int Metrics(const check::ParsedOptions& parsed) {
    if (!parsed.error.empty()) {
        Complain(parsed.error);
        return check::kUnknown;
    }
    const check::Options& options = parsed.options;
    const check::Reading reading = check::ReadProfile(options.profileDir);
    for (const std::string& failure : {reading.boxFailure, reading.statusFailure})
        if (!failure.empty()) Complain(failure);
    const std::string text = check::Exposition(reading);
    std::string problem;
    if (!(options.output ? check::ReplaceFile(*options.output, text, problem)
                         : Print(text, problem))) {
        Complain(problem);
        return check::kUnknown;
    }
    return reading.boxFailure.empty() ? check::kOk : check::kUnknown;
}

check::Verdict Check(const check::Options& options) {
    const check::Reading reading = check::ReadProfile(options.profileDir);
    if (!reading.boxFailure.empty()) return check::Unknown(reading.boxFailure);
    if (!reading.statusFailure.empty()) return check::Unknown(reading.statusFailure);
    return check::Judge(reading.seen, options.maxAgeSeconds);
}

}  // namespace

int main(int argc, char** argv) {
    const check::ParsedOptions parsed = check::ParseOptions(argc, argv);
    if (parsed.error.empty() && parsed.options.action == check::Options::Action::Help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (parsed.error.empty() && parsed.options.action == check::Options::Action::Version) {
        std::puts("mirelko-check " MIRELKO_VERSION);
        return 0;
    }
    if (parsed.options.format == check::Options::Format::Prometheus) return Metrics(parsed);
    const check::Verdict verdict =
        parsed.error.empty() ? Check(parsed.options) : check::Unknown(parsed.error);
    std::printf("%s\n", verdict.line.c_str());
    return std::fflush(stdout) == 0 ? verdict.state : check::kUnknown;
}
