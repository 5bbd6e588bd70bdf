#include "profile/box_status.h"

#include <cerrno>

#include "profile/decimal.h"
#include "profile/file_store.h"
#include "profile/ini_reader.h"

namespace profile {

namespace {

constexpr std::string_view kWatchDogErrorKey = "WatchDogError";
constexpr std::string_view kSections[kBoxCount] = {"Box1",  "Box2",  "Box3",  "Box4",  "Box5",
                                                   "Box6",  "Box7",  "Box8",  "Box9",  "Box10",
                                                   "Box11", "Box12", "Box13", "Box14", "Box15"};

std::optional<std::string_view> ValueOf(const Found& found) {
    return found.entry ? std::optional(found.entry->value) : std::nullopt;
}

// As the profile calls read a text: cut to the room a read gives it.
std::string CutText(const Found& found) {
    return std::string(ValueOf(found).value_or("").substr(0, kStatusTextCapacity - 1));
}

}  // namespace

BoxStatus ReadBoxStatus(BoxNumber box) {
    const std::optional<FileText> file = ReadProfileFile(kBoxStatusFile);
    const std::string_view section = kSections[box - 1];
    const Wanted wanted[] = {{section, "LastStringReceivedAt"},
                             {section, "LastAlarmForC1"},
                             {section, "LastAlarmForC2"},
                             {section, kWatchDogErrorKey}};
    Found found[std::size(wanted)];
    FindAll(profile::TextOf(file), Lookups(wanted), found);
    BoxStatus status;
    status.lastStringReceivedAt = CutText(found[0]);
    status.lastAlarmForC1 = CutText(found[1]);
    status.lastAlarmForC2 = CutText(found[2]);
    status.watchDogError = ProfileInt(ValueOf(found[3]), 0);
    return status;
}

std::array<std::int32_t, kBoxCount> ReadWatchDogErrors(std::optional<std::int64_t>* writtenAt,
                                                       int* failure) {
    const std::optional<FileText> file = ReadProfileFile(kBoxStatusFile, writtenAt != nullptr);
    if (failure) *failure = file ? 0 : errno;
    if (writtenAt) *writtenAt = file ? std::optional(file->writtenAt) : std::nullopt;
    static const Lookups flags = [] {
        std::array<Wanted, kBoxCount> all;
        for (int i = 0; i < kBoxCount; ++i) all[i] = {kSections[i], kWatchDogErrorKey};
        return Lookups(all);
    }();
    std::array<Found, kBoxCount> found;
    FindAll(profile::TextOf(file), flags, found);
    std::array<std::int32_t, kBoxCount> values{};
    for (int i = 0; i < kBoxCount; ++i) values[i] = ProfileInt(ValueOf(found[i]), 0);
    return values;
}

}  // namespace profile
