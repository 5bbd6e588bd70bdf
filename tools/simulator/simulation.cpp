#include "tools/simulator/simulation.h"

#include <algorithm>

namespace simulator {

namespace {

// Per step, which is a few seconds.
constexpr double kReportIn = 0.6;
constexpr double kAlarm = 0.04;
constexpr double kWatchDogFails = 0.03;
constexpr double kWatchDogRecovers = 0.12;
constexpr double kPastAlarm = 0.7;
constexpr std::uint32_t kPastSeconds = 3 * 24 * 3600;

}  // namespace

bool Simulation::Chance(double probability) {
    return static_cast<double>(random_()) < probability * 4294967296.0;
}

void Simulation::Join(profile::BoxNumber box, std::time_t now) {
    profile::BoxStatus& status = statuses_[box];
    status.lastStringReceivedAt = FormatTime(now);
    for (std::string* alarm : {&status.lastAlarmForC1, &status.lastAlarmForC2}) {
        if (Chance(kPastAlarm)) *alarm = FormatTime(now - 600 - Below(kPastSeconds));
    }
}

void Simulation::SetError(profile::BoxNumber box, bool error, std::time_t now,
                          std::vector<Event>& events) {
    profile::BoxStatus& status = statuses_[box];
    status.watchDogError = error ? 1 : 0;
    // A box whose watchdog fails falls silent; the one that recovers reports in at once.
    if (!error) status.lastStringReceivedAt = FormatTime(now);
    events.push_back({box, error ? "watchdog error" : "watchdog error cleared"});
    lastWatchDogChange_ = now;
}

void Simulation::Live(profile::BoxNumber box, std::time_t now, std::vector<Event>& events) {
    profile::BoxStatus& status = statuses_[box];
    if (status.watchDogError != 0) {
        if (Chance(kWatchDogRecovers)) SetError(box, false, now, events);
        return;
    }
    if (Chance(kWatchDogFails)) {
        SetError(box, true, now, events);
        return;
    }
    if (Chance(kReportIn)) status.lastStringReceivedAt = FormatTime(now);
    int contact = 1;
    for (std::string* alarm : {&status.lastAlarmForC1, &status.lastAlarmForC2}) {
        if (Chance(kAlarm)) {
            *alarm = status.lastStringReceivedAt = FormatTime(now);
            events.push_back({box, "alarm on contact " + std::to_string(contact)});
        }
        ++contact;
    }
}

std::vector<Event> Simulation::Step(std::vector<profile::BoxNumber> boxes, std::time_t now) {
    std::sort(boxes.begin(), boxes.end());
    boxes.erase(std::unique(boxes.begin(), boxes.end()), boxes.end());
    std::vector<Event> events;
    const bool first = statuses_.empty();
    for (profile::BoxNumber box : boxes) {
        if (statuses_.contains(box))
            Live(box, now, events);
        else
            Join(box, now);
    }
    if (boxes.empty()) return events;
    if (first) {
        // Both lamp colours from the start.
        if (boxes.size() > 1)
            SetError(boxes[Below(static_cast<std::uint32_t>(boxes.size()))], true, now, events);
        lastWatchDogChange_ = now;
    } else if (now - lastWatchDogChange_ >= kLongestQuiet) {
        const profile::BoxNumber box = boxes[Below(static_cast<std::uint32_t>(boxes.size()))];
        SetError(box, statuses_[box].watchDogError == 0, now, events);
    }
    return events;
}

std::string FormatTime(std::time_t time) {
    std::tm local{};
    char text[32];
    if (!::localtime_r(&time, &local) ||
        std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local) == 0)
        return "";
    return text;
}

}  // namespace simulator
