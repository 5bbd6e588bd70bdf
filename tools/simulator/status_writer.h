// Puts simulated statuses into the status file, leaving every other section and key in it as
// it was.
#pragma once

#include <map>

#include "profile/box_status.h"

namespace simulator {

enum class WriteMode {
    // One locked, atomic replacement of the whole file, as the profile layer writes.
    Replace,
    // Key by key, each time truncating and rewriting the file where it is, as a simple program
    // calling the Windows profile functions does: readers may catch it half written.
    InPlace,
};

// False with errno set when the file could not be read or written.
bool WriteStatuses(const std::map<profile::BoxNumber, profile::BoxStatus>& statuses,
                   WriteMode mode);

}  // namespace simulator
