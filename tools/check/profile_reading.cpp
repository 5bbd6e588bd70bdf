#include "tools/check/profile_reading.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "profile/box_status.h"
#include "profile/file_store.h"

namespace check {

namespace {

enum class FileState { Readable, Missing, Unreadable };

// Reading never fails in the profile layer: a file it cannot read reads as empty, which would
// make every box look fine. So look first.
FileState Probe(const std::string& path, std::string& problem) {
    if (profile::ReadFileBytes(path)) return FileState::Readable;
    if (errno == ENOENT) return FileState::Missing;
    problem = "cannot read " + path + ": " + std::strerror(errno);
    return FileState::Unreadable;
}

}  // namespace

Reading ReadProfile(const std::optional<std::string>& profileDir) {
    if (profileDir) ::setenv("MIRELKO_PROFILE_DIR", profileDir->c_str(), 1);
    Reading reading;
    const std::string boxPath = profile::ResolveProfilePath(profile::kBoxConfigFile);
    switch (Probe(boxPath, reading.boxFailure)) {
        case FileState::Missing:
            // Most likely the wrong directory (another user's home, say): never a silent OK.
            reading.boxFailure = "no box file at " + boxPath + " (see --profile-dir)";
            return reading;
        case FileState::Unreadable:
            return reading;
        case FileState::Readable:
            break;
    }

    Observation& seen = reading.seen;
    seen.statusPath = profile::ResolveProfilePath(profile::kBoxStatusFile);
    seen.statusPresent = Probe(seen.statusPath, reading.statusFailure) != FileState::Missing;
    if (seen.statusPresent) {
        if (const std::optional<std::int64_t> writtenAt = profile::StatusFileWrittenAt()) {
            const long long age = static_cast<long long>(std::time(nullptr) - *writtenAt);
            seen.statusAgeSeconds = age < 0 ? 0 : age;  // a clock set back
        }
    }
    seen.boxes = profile::ReadBoxTable();
    if (reading.statusFailure.empty()) seen.watchDogErrors = profile::ReadWatchDogErrors();
    return reading;
}

}  // namespace check
