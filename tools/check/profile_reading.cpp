#include "tools/check/profile_reading.h"

#include <stdlib.h>

#include <cerrno>
#include <ctime>

#include "profile/box_status.h"
#include "profile/file_store.h"

namespace check {

namespace {

// Reading never fails in the profile layer: a file it cannot read reads as empty, which would
// make every box look fine. So the reason is asked for as well.
std::string Problem(const std::string& path, int failure) {
    return "cannot read " + path + ": " + profile::DescribeFailure(failure);
}

}  // namespace

Reading ReadProfile(const std::optional<std::string>& profileDir) {
    if (profileDir) ::setenv("MIRELKO_PROFILE_DIR", profileDir->c_str(), 1);
    Reading reading;
    reading.readAt = std::time(nullptr);
    Observation& seen = reading.seen;
    const std::string boxPath = profile::ResolveProfilePath(profile::kBoxConfigFile);
    int failure = 0;
    seen.boxes = profile::ReadBoxTable(&failure);
    if (failure == ENOENT) {
        // Most likely the wrong directory (another user's home, say): never a silent OK.
        reading.boxFailure = "no box file at " + boxPath + " (see --profile-dir)";
        return reading;
    }
    if (failure != 0) {
        reading.boxFailure = Problem(boxPath, failure);
        return reading;
    }

    seen.statusPath = profile::ResolveProfilePath(profile::kBoxStatusFile);
    std::optional<std::int64_t> writtenAt;
    seen.watchDogErrors = profile::ReadWatchDogErrors(&writtenAt, &failure);
    seen.statusPresent = failure != ENOENT;
    if (failure != 0 && failure != ENOENT)
        reading.statusFailure = Problem(seen.statusPath, failure);
    seen.statusWrittenAt = writtenAt;
    if (writtenAt) {
        const long long age = static_cast<long long>(reading.readAt - *writtenAt);
        seen.statusAgeSeconds = age < 0 ? 0 : age;  // a clock set back
    }
    return reading;
}

}  // namespace check
