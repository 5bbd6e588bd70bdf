#include "tools/check/verdict.h"

#include <algorithm>
#include <vector>

#include "tools/common/ansi_to_utf8.h"

namespace check {

namespace {

constexpr const char* kStateNames[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};

std::string Line(State state, const std::string& text, const std::string& perfData = "") {
    std::string line = std::string("MIRELKO ") + kStateNames[state] + " - " + text;
    return perfData.empty() ? line : line + " | " + perfData;
}

std::string Boxes(std::size_t n) { return std::to_string(n) + (n == 1 ? " box" : " boxes"); }

// "Box3 (Lager Nord)". A '|' would start the performance data early, so it becomes '/'.
std::string NameOf(profile::BoxNumber box, const std::string& location) {
    std::string name = "Box" + std::to_string(box);
    if (location.empty()) return name;
    std::string text = tools::Utf8FromAnsi(location);
    std::replace(text.begin(), text.end(), '|', '/');
    return name + " (" + text + ")";
}

}  // namespace

Verdict Judge(const Observation& seen, std::optional<long long> maxAge) {
    std::vector<std::string> failing;
    std::size_t enabled = 0;
    for (profile::BoxNumber box = 1; box <= profile::kBoxCount; ++box) {
        const profile::BoxConfig& config = seen.boxes[box - 1];
        if (config.enabled == 0) continue;
        ++enabled;
        if (seen.watchDogErrors[box - 1] != 0) failing.push_back(NameOf(box, config.location));
    }

    std::string boxes;
    if (enabled == 0) {
        boxes = "no box is enabled";
    } else if (failing.empty()) {
        boxes = Boxes(enabled) + ", none with a watchdog error";
    } else {
        boxes =
            "watchdog error on " + std::to_string(failing.size()) + " of " + Boxes(enabled) + ": ";
        for (std::size_t i = 0; i < failing.size(); ++i) boxes += (i ? ", " : "") + failing[i];
    }

    // A service that stopped writing leaves the last flags in place, all of them looking fine.
    std::string freshness;
    bool stale = false;
    if (!seen.statusAgeSeconds) {
        stale = maxAge.has_value();
        freshness = stale ? "no status file at " + seen.statusPath : "no status file";
    } else if (maxAge && *seen.statusAgeSeconds > *maxAge) {
        stale = true;
        freshness = "status file not written for " + std::to_string(*seen.statusAgeSeconds) +
                    " s (limit " + std::to_string(*maxAge) + " s)";
    }

    const State state = !failing.empty() ? kCritical : stale ? kWarning : kOk;
    // The reason for the state comes first.
    std::string text = state == kWarning   ? freshness + "; " + boxes
                       : freshness.empty() ? boxes
                                           : boxes + "; " + freshness;

    const std::string maxText = maxAge ? std::to_string(*maxAge) : "";
    const std::string age =
        seen.statusAgeSeconds ? std::to_string(*seen.statusAgeSeconds) + "s" : "U";
    const std::string perfData = "boxes=" + std::to_string(enabled) +
                                 ";;;0;15 errors=" + std::to_string(failing.size()) +
                                 ";;0;0;15 age=" + age + ";" + maxText + ";;0";
    return {state, Line(state, text, perfData)};
}

Verdict Unknown(std::string_view reason) { return {kUnknown, Line(kUnknown, std::string(reason))}; }

}  // namespace check
