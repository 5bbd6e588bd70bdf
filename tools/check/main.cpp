// mirelko-check: the watchdog flags of the enabled boxes, for a monitoring system. It reads the
// two profile files through the same code and with the same defaults as the panel.
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "profile/box_config.h"
#include "profile/box_status.h"
#include "profile/file_store.h"
#include "tools/check/check_options.h"
#include "tools/check/verdict.h"

namespace {

constexpr const char* kHelp = R"(Usage: mirelko-check [--profile-dir DIR] [--max-age SECONDS]

Checks the watchdog flags that the box communication service writes for the
boxes enabled in the panel, and prints one line for a monitoring system.

  --profile-dir DIR    the profile directory (default: $MIRELKO_PROFILE_DIR,
                       else $XDG_CONFIG_HOME/mirelko, else ~/.config/mirelko)
  --max-age SECONDS    warn when the status file is older than this, or missing
  -h, --help           this text
  -V, --version        the version

Exit status: 0 OK, 1 WARNING (status file too old or missing), 2 CRITICAL (an
enabled box reports a watchdog error), 3 UNKNOWN (bad arguments, no box file,
or a file that cannot be read).
)";

enum class FileState { Readable, Missing, Unreadable };

// Reading never fails in the profile layer: a file it cannot read reads as empty, which would
// make every box look fine. So look first.
FileState Probe(const std::string& path, std::string& problem) {
    if (profile::ReadFileBytes(path)) return FileState::Readable;
    if (errno == ENOENT) return FileState::Missing;
    problem = "cannot read " + path + ": " + std::strerror(errno);
    return FileState::Unreadable;
}

check::Verdict Check(const check::Options& options) {
    if (options.profileDir) ::setenv("MIRELKO_PROFILE_DIR", options.profileDir->c_str(), 1);
    std::string problem;
    const std::string boxPath = profile::ResolveProfilePath(profile::kBoxConfigFile);
    switch (Probe(boxPath, problem)) {
        case FileState::Missing:
            // Most likely the wrong directory (another user's home, say): never a silent OK.
            return check::Unknown("no box file at " + boxPath + " (see --profile-dir)");
        case FileState::Unreadable:
            return check::Unknown(problem);
        case FileState::Readable:
            break;
    }

    check::Observation seen;
    seen.statusPath = profile::ResolveProfilePath(profile::kBoxStatusFile);
    struct stat status {};
    switch (Probe(seen.statusPath, problem)) {
        case FileState::Unreadable:
            return check::Unknown(problem);
        case FileState::Missing:
            break;
        case FileState::Readable:
            if (::stat(seen.statusPath.c_str(), &status) == 0) {
                const long long age = static_cast<long long>(std::time(nullptr) - status.st_mtime);
                seen.statusAgeSeconds = age < 0 ? 0 : age;  // a clock set back
            }
            break;
    }
    seen.boxes = profile::ReadBoxTable();
    seen.watchDogErrors = profile::ReadWatchDogErrors();
    return check::Judge(seen, options.maxAgeSeconds);
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
    const check::Verdict verdict =
        parsed.error.empty() ? Check(parsed.options) : check::Unknown(parsed.error);
    std::printf("%s\n", verdict.line.c_str());
    return std::fflush(stdout) == 0 ? verdict.state : check::kUnknown;
}
