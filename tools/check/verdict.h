// What mirelko-check says about what it read: one line of text and the exit status, after the
// Monitoring Plugins conventions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/check/profile_reading.h"

namespace check {

enum State { kOk = 0, kWarning = 1, kCritical = 2, kUnknown = 3 };

struct Verdict {
    State state;
    std::string line;  // without the line break
};

Verdict Judge(const Observation& seen, std::optional<long long> maxAgeSeconds);
Verdict Unknown(std::string_view reason);

}  // namespace check
