// For targets that hold the profile calls on a real file: a private profile directory, in memory
// when there is one, since every run writes the file anew.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "profile/file_store.h"

namespace fuzzing {

inline void UsePrivateProfileDirectory() {
    char pattern[] = "/dev/shm/mirelko-fuzz-XXXXXX";
    char fallback[] = "/tmp/mirelko-fuzz-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) dir = mkdtemp(fallback);
    if (!dir) std::abort();
    setenv("MIRELKO_PROFILE_DIR", dir, 1);
}

// Writes `bytes` as the file `name` of that directory.
inline void PutFile(const char* name, const std::string& bytes) {
    std::FILE* out = std::fopen(profile::ResolveProfilePath(name).c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) std::abort();
    if (std::fclose(out) != 0) std::abort();
}

}  // namespace fuzzing
