#include "tools/check/exposition.h"

#include <string_view>

#include "tools/common/ansi_to_utf8.h"

namespace check {

namespace {

void Family(std::string& out, std::string_view name, std::string_view help) {
    out.append("# HELP mirelko_").append(name).append(" ").append(help).append("\n");
    out.append("# TYPE mirelko_").append(name).append(" gauge\n");
}

void Sample(std::string& out, std::string_view name, std::string_view labels, long long value) {
    out.append("mirelko_").append(name).append(labels);
    out.append(" ").append(std::to_string(value)).append("\n");
}

std::string LabelValue(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

std::string BoxLabels(profile::BoxNumber box, const profile::BoxConfig& config) {
    return "{box=\"Box" + std::to_string(box) + "\",location=\"" +
           LabelValue(tools::Utf8FromAnsi(config.location)) + "\"}";
}

}  // namespace

std::string Exposition(const Reading& reading) {
    std::string out;
    const bool boxesRead = reading.boxFailure.empty();
    const bool flagsRead = boxesRead && reading.statusFailure.empty();
    Family(out, "read_success", "Whether the box file and the status file could be read.");
    Sample(out, "read_success", "", flagsRead ? 1 : 0);
    Family(out, "check_run_timestamp_seconds", "When mirelko-check read the files, in Unix time.");
    Sample(out, "check_run_timestamp_seconds", "", reading.readAt);
    if (!boxesRead) return out;

    const Observation& seen = reading.seen;
    Family(out, "box_enabled", "Whether the box is enabled in the box file.");
    bool anyEnabled = false;
    for (profile::BoxNumber box = 1; box <= profile::kBoxCount; ++box) {
        const profile::BoxConfig& config = seen.boxes[box - 1];
        anyEnabled = anyEnabled || config.enabled != 0;
        Sample(out, "box_enabled", BoxLabels(box, config), config.enabled != 0 ? 1 : 0);
    }
    // Disabled boxes have no lamp, so no watchdog either; unknown values are left out, not 0.
    if (flagsRead && anyEnabled) {
        Family(out, "box_watchdog_error",
               "The watchdog value of an enabled box in the status file: 0 none, else an error.");
        for (profile::BoxNumber box = 1; box <= profile::kBoxCount; ++box) {
            const profile::BoxConfig& config = seen.boxes[box - 1];
            if (config.enabled != 0)
                Sample(out, "box_watchdog_error", BoxLabels(box, config),
                       seen.watchDogErrors[box - 1]);
        }
    }
    Family(out, "status_file_present", "Whether the status file is there.");
    Sample(out, "status_file_present", "", seen.statusPresent ? 1 : 0);
    if (seen.statusAgeSeconds) {
        Family(out, "status_file_age_seconds", "Seconds since the status file was last written.");
        Sample(out, "status_file_age_seconds", "", *seen.statusAgeSeconds);
    }
    if (seen.statusWrittenAt) {
        Family(out, "status_file_written_timestamp_seconds",
               "When the status file was last written, in Unix time.");
        Sample(out, "status_file_written_timestamp_seconds", "", *seen.statusWrittenAt);
    }
    return out;
}

}  // namespace check
