// The life of a few boxes as their communication service would see it: they report in, their
// contacts raise alarms now and then, and their watchdogs fail and recover.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "profile/box_status.h"

namespace simulator {

struct Event {
    profile::BoxNumber box;
    std::string what;
};

class Simulation {
  public:
    // The same seed and the same steps give the same statuses and events.
    explicit Simulation(std::uint32_t seed) : random_(seed) {}

    // One step at `now` for the boxes given, in any order. A box seen for the first time joins
    // with a past of alarms; every box then may report in, raise an alarm, or see its watchdog
    // fail or recover. Some watchdog changes at least every kLongestQuiet seconds, so a
    // watcher polling twice a minute sees the lamps move.
    std::vector<Event> Step(std::vector<profile::BoxNumber> boxes, std::time_t now);

    // Every box simulated so far, also those no longer given.
    const std::map<profile::BoxNumber, profile::BoxStatus>& statuses() const { return statuses_; }

    static constexpr std::time_t kLongestQuiet = 45;

  private:
    bool Chance(double probability);
    std::uint32_t Below(std::uint32_t bound) {
        return static_cast<std::uint32_t>(random_() % bound);
    }
    void Join(profile::BoxNumber box, std::time_t now);
    void Live(profile::BoxNumber box, std::time_t now, std::vector<Event>& events);
    void SetError(profile::BoxNumber box, bool error, std::time_t now, std::vector<Event>& events);

    std::mt19937 random_;  // fully specified by the standard, unlike its distributions
    std::map<profile::BoxNumber, profile::BoxStatus> statuses_;
    std::time_t lastWatchDogChange_ = 0;
};

// "08.12.2026 14:03:27", local time, as the service writes its times.
std::string FormatTime(std::time_t time);

}  // namespace simulator
