#include "tools/simulator/simulator_options.h"

#include <time.h>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "tools/common/arg_reader.h"

namespace simulator {

const char* const kUsage = R"(Usage: box-simulator [OPTION]...

Stands in for the box communication service: writes the box status file
zivazoz.ini in the profile directory as boxes report in, raise alarms and see
their watchdogs fail and recover, and prints each alarm and watchdog change.

  --profile-dir DIR   the profile directory (default: $MIRELKO_PROFILE_DIR,
                      else $XDG_CONFIG_HOME/mirelko, else ~/.config/mirelko)
  --boxes LIST        the boxes to simulate, e.g. 1,3,5-7 (default: those
                      enabled in the box file, looked up at every step)
  --interval SECONDS  time between steps (default 5)
  --seed N            seed of the random choices, for a run that can be repeated
  --ticks N           stop after N steps (default: run until stopped)
  --start TIME        run on a clock starting at TIME ("08.12.2026 14:00:00"),
                      one interval per step, without waiting; needs --ticks
  --in-place          rewrite the file in place, key by key, instead of
                      replacing it atomically
  -h, --help          this text

Stops cleanly on SIGTERM and SIGINT. Exit status: 0 done or stopped, 1 the
file could not be written, 2 bad arguments.
)";

namespace {

// "1,3,5-7": every box once, 1 to kBoxCount.
bool ParseBoxes(std::string_view text, std::vector<profile::BoxNumber>& boxes) {
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const std::size_t dash = item.find('-');
        const auto first = tools::ParseCount(item.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : tools::ParseCount(item.substr(dash + 1));
        if (!first || !last || *first < 1 || *last > profile::kBoxCount || *first > *last)
            return false;
        for (long long box = *first; box <= *last; ++box)
            boxes.push_back(static_cast<profile::BoxNumber>(box));
        if (comma != std::string_view::npos && text.empty()) return false;
    }
    std::sort(boxes.begin(), boxes.end());
    boxes.erase(std::unique(boxes.begin(), boxes.end()), boxes.end());
    return !boxes.empty();
}

std::optional<double> ParseSeconds(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value) || value <= 0 || value > 86400)
        return std::nullopt;
    return value;
}

std::optional<std::time_t> ParseTime(const std::string& text) {
    std::tm local{};
    const char* end = ::strptime(text.c_str(), "%d.%m.%Y %H:%M:%S", &local);
    if (end == nullptr || *end != '\0') return std::nullopt;
    local.tm_isdst = -1;
    const std::time_t time = std::mktime(&local);
    if (time == static_cast<std::time_t>(-1)) return std::nullopt;
    return time;
}

}  // namespace

ParsedOptions ParseOptions(int argc, char** argv) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    tools::ArgReader args(argc, argv);
    auto fail = [&](const std::string& what, const std::optional<std::string>& value) {
        parsed.error = what + ", not \"" + value.value_or("") + "\"";
    };
    while (!args.Done() && parsed.error.empty()) {
        const std::string name(args.Next());
        if (name == "-h" || name == "--help") {
            options.help = true;
        } else if (name == "--in-place") {
            options.mode = WriteMode::InPlace;
        } else if (name == "--profile-dir") {
            options.profileDir = args.Value();
            if (!options.profileDir || options.profileDir->empty())
                parsed.error = "--profile-dir needs a directory";
        } else if (name == "--boxes") {
            const auto value = args.Value();
            if (!value || !ParseBoxes(*value, options.boxes))
                fail("--boxes needs box numbers 1 to 15 such as 1,3,5-7", value);
        } else if (name == "--interval") {
            const auto value = args.Value();
            const auto seconds = value ? ParseSeconds(*value) : std::nullopt;
            if (seconds)
                options.intervalSeconds = *seconds;
            else
                fail("--interval needs seconds above 0, at most a day", value);
        } else if (name == "--seed") {
            const auto value = args.Value();
            const auto seed = value ? tools::ParseCount(*value) : std::nullopt;
            if (seed && *seed <= 0xFFFFFFFFLL)
                options.seed = static_cast<std::uint32_t>(*seed);
            else
                fail("--seed needs a whole number from 0 to 4294967295", value);
        } else if (name == "--ticks") {
            const auto value = args.Value();
            const auto ticks = value ? tools::ParseCount(*value) : std::nullopt;
            if (ticks && *ticks > 0)
                options.ticks = *ticks;
            else
                fail("--ticks needs a whole number above 0", value);
        } else if (name == "--start") {
            const auto value = args.Value();
            options.start = value ? ParseTime(*value) : std::nullopt;
            if (!options.start) fail("--start needs a time such as \"08.12.2026 14:00:00\"", value);
        } else {
            parsed.error =
                (name.starts_with("-") ? "unknown option " : "unexpected argument ") + name;
        }
    }
    if (parsed.error.empty() && options.start && options.ticks == 0)
        parsed.error = "--start needs --ticks: a simulated clock does not wait";
    return parsed;
}

}  // namespace simulator
