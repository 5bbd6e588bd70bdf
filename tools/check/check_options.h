// The command line of mirelko-check.
#pragma once

#include <optional>
#include <string>

namespace check {

struct Options {
    enum class Action { Check, Help, Version };
    Action action = Action::Check;
    std::optional<std::string> profileDir;
    std::optional<long long> maxAgeSeconds;
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line is usable
};

ParsedOptions ParseOptions(int argc, char** argv);

}  // namespace check
