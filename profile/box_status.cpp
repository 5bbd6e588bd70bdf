#include "profile/box_status.h"

#include "profile/decimal.h"
#include "profile/file_store.h"
#include "profile/ini_index.h"
#include "profile/private_profile.h"

namespace profile {

namespace {

constexpr std::string_view kWatchDogErrorKey = "WatchDogError";
constexpr std::string_view kSections[kBoxCount] = {"Box1",  "Box2",  "Box3",  "Box4",  "Box5",
                                                   "Box6",  "Box7",  "Box8",  "Box9",  "Box10",
                                                   "Box11", "Box12", "Box13", "Box14", "Box15"};

// As the profile calls read a box's keys: a missing number is 0, texts are cut to the room a
// read gives them.
std::optional<std::string_view> ValueIn(std::string_view text,
                                        const std::optional<SectionSpan>& section,
                                        std::string_view key) {
    const std::optional<IniLine> entry = FindEntry(text, section, key);
    return entry ? std::optional(entry->value) : std::nullopt;
}

std::string TextIn(std::string_view text, const std::optional<SectionSpan>& section,
                   std::string_view key) {
    return std::string(ValueIn(text, section, key).value_or("").substr(0, kStatusTextCapacity - 1));
}

}  // namespace

int ReadWatchDogError(BoxNumber box) {
    return static_cast<int>(GetPrivateProfileIntA(kSections[box - 1].data(),
                                                  kWatchDogErrorKey.data(), 0, kBoxStatusFile));
}

BoxStatus ReadBoxStatus(BoxNumber box) {
    const std::optional<FileText> file = ReadProfileFile(kBoxStatusFile);
    const std::string_view text = TextOf(file);
    const std::optional<SectionSpan> section = FindSection(text, kSections[box - 1]);
    BoxStatus status;
    status.lastStringReceivedAt = TextIn(text, section, "LastStringReceivedAt");
    status.lastAlarmForC1 = TextIn(text, section, "LastAlarmForC1");
    status.lastAlarmForC2 = TextIn(text, section, "LastAlarmForC2");
    status.watchDogError = ProfileInt(ValueIn(text, section, kWatchDogErrorKey), 0);
    return status;
}

std::array<std::int32_t, kBoxCount> ReadWatchDogErrors(std::optional<std::int64_t>* writtenAt) {
    const std::optional<FileText> file = ReadProfileFile(kBoxStatusFile, writtenAt != nullptr);
    if (writtenAt) *writtenAt = file ? std::optional(file->writtenAt) : std::nullopt;
    const std::string_view text = TextOf(file);
    const IniIndex index(text, kSections);
    std::array<std::int32_t, kBoxCount> flags{};
    for (BoxNumber box = 1; box <= kBoxCount; ++box)
        flags[box - 1] = ProfileInt(ValueIn(text, index.Wanted(box - 1), kWatchDogErrorKey), 0);
    return flags;
}

std::optional<std::int64_t> StatusFileWrittenAt() { return FileWrittenAt(kBoxStatusFile); }

}  // namespace profile
