#include "profile/box_status.h"

#include "profile/file_store.h"
#include "profile/private_profile.h"

namespace profile {

namespace {

constexpr const char* kWatchDogErrorKey = "WatchDogError";

std::string SectionOf(BoxNumber box) { return "Box" + std::to_string(box); }

std::int32_t WatchDogErrorIn(Snapshot& file, const std::string& section) {
    return static_cast<std::int32_t>(file.GetInt(section.c_str(), kWatchDogErrorKey, 0));
}

std::string TextIn(Snapshot& file, const std::string& section, LPCSTR key) {
    char text[kStatusTextCapacity];
    file.GetString(section.c_str(), key, "", text, sizeof text);
    return text;
}

}  // namespace

int ReadWatchDogError(BoxNumber box) {
    return static_cast<int>(
        GetPrivateProfileIntA(SectionOf(box).c_str(), kWatchDogErrorKey, 0, kBoxStatusFile));
}

BoxStatus ReadBoxStatus(BoxNumber box) {
    std::string section = SectionOf(box);
    Snapshot file(kBoxStatusFile, {section});
    BoxStatus status;
    status.lastStringReceivedAt = TextIn(file, section, "LastStringReceivedAt");
    status.lastAlarmForC1 = TextIn(file, section, "LastAlarmForC1");
    status.lastAlarmForC2 = TextIn(file, section, "LastAlarmForC2");
    status.watchDogError = WatchDogErrorIn(file, section);
    return status;
}

std::array<std::int32_t, kBoxCount> ReadWatchDogErrors() {
    std::vector<std::string> sections;
    sections.reserve(kBoxCount);
    for (BoxNumber box = 1; box <= kBoxCount; ++box) sections.push_back(SectionOf(box));
    Snapshot file(kBoxStatusFile, std::move(sections));
    std::array<std::int32_t, kBoxCount> flags{};
    for (BoxNumber box = 1; box <= kBoxCount; ++box)
        flags[box - 1] = WatchDogErrorIn(file, SectionOf(box));
    return flags;
}

std::optional<std::int64_t> StatusFileWrittenAt() { return FileWrittenAt(kBoxStatusFile); }

}  // namespace profile
