// The status readers on any file the service might leave: the flags of all boxes, one box's
// flag by the profile call and one box's texts, each from the file on disk, held to the plain
// model.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "profile/box_status.h"
#include "profile/file_store.h"
#include "profile/private_profile.h"
#include "tests/fuzz/file_on_disk.h"
#include "tests/fuzz/reference.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string g_path;

std::string_view Text(const reference::Model& model, const std::string& section, const char* key) {
    return model.Find(section, key).value_or("").substr(0, 79);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::UsePrivateProfileDirectory();
    g_path = profile::ResolveProfilePath(profile::kBoxStatusFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const profile::BoxNumber box = in.ConsumeIntegralInRange(1, profile::kBoxCount);
    const std::string file = in.ConsumeRemainingBytesAsString();
    fuzzing::PutFile(profile::kBoxStatusFile, file);

    const reference::Model model(file);
    auto flag = [&](profile::BoxNumber n) {
        const std::string section = "Box" + std::to_string(n);
        std::optional<std::string_view> value = model.Find(section, "WatchDogError");
        return !value || value->empty() ? 0 : reference::Decimal(*value);
    };
    std::optional<std::int64_t> writtenAt;
    int failure = -1;
    const auto flags = profile::ReadWatchDogErrors(&writtenAt, &failure);
    struct stat st;
    Check(stat(g_path.c_str(), &st) == 0 && writtenAt == st.st_mtime && failure == 0);
    for (profile::BoxNumber n = 1; n <= profile::kBoxCount; ++n) Check(flags[n - 1] == flag(n));
    const std::string section = "Box" + std::to_string(box);
    Check(static_cast<std::int32_t>(profile::GetPrivateProfileIntA(
              section.c_str(), "WatchDogError", 0, profile::kBoxStatusFile)) == flag(box));

    const profile::BoxStatus status = profile::ReadBoxStatus(box);
    Check(status.watchDogError == flag(box));
    Check(status.lastStringReceivedAt == Text(model, section, "LastStringReceivedAt"));
    Check(status.lastAlarmForC1 == Text(model, section, "LastAlarmForC1"));
    Check(status.lastAlarmForC2 == Text(model, section, "LastAlarmForC2"));
    return 0;
}
