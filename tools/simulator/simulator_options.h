// The command line of box-simulator.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "profile/box_config.h"
#include "tools/simulator/status_writer.h"

namespace simulator {

struct Options {
    bool help = false;
    std::optional<std::string> profileDir;
    std::vector<profile::BoxNumber> boxes;  // empty: the boxes enabled in the box file
    double intervalSeconds = 5;
    std::optional<std::uint32_t> seed;
    long long ticks = 0;               // 0: until stopped
    std::optional<std::time_t> start;  // a simulated clock instead of the real one
    WriteMode mode = WriteMode::Replace;
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line is usable
};

ParsedOptions ParseOptions(int argc, char** argv);

extern const char* const kUsage;

}  // namespace simulator
