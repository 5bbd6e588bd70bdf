// The command line of mirelko-check.
#pragma once

#include <optional>
#include <string>

namespace check {

struct Options {
    enum class Action { Check, Help, Version };
    // One line for a monitoring system that runs checks, or metrics for one that scrapes them.
    enum class Format { Nagios, Prometheus };
    Action action = Action::Check;
    Format format = Format::Nagios;
    std::optional<std::string> profileDir;
    std::optional<long long> maxAgeSeconds;
    std::optional<std::string> output;  // a file to replace instead of standard output
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line is usable
};

ParsedOptions ParseOptions(int argc, char** argv);

}  // namespace check
