#include "tools/simulator/status_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>

#include "profile/file_store.h"
#include "profile/ini_editor.h"

namespace simulator {

namespace {

using KeyWriter =
    std::function<bool(const std::string& section, const char* key, const std::string& value)>;

bool ForEachKey(const std::map<profile::BoxNumber, profile::BoxStatus>& statuses,
                const KeyWriter& write) {
    for (const auto& [box, status] : statuses) {
        const std::string section = "Box" + std::to_string(box);
        if (!write(section, "WatchDogError", std::to_string(status.watchDogError)) ||
            !write(section, "LastStringReceivedAt", status.lastStringReceivedAt) ||
            !write(section, "LastAlarmForC1", status.lastAlarmForC1) ||
            !write(section, "LastAlarmForC2", status.lastAlarmForC2))
            return false;
    }
    return true;
}

bool WriteWhereItIs(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    return ::close(fd) == 0;
}

bool WriteInPlace(const std::map<profile::BoxNumber, profile::BoxStatus>& statuses) {
    const std::string path = profile::ResolveProfilePath(profile::kBoxStatusFile);
    const std::filesystem::path dir = std::filesystem::path(path).parent_path();
    std::error_code ignored;
    if (!std::filesystem::exists(dir, ignored) && std::filesystem::create_directories(dir, ignored))
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ignored);
    return ForEachKey(
        statuses, [&](const std::string& section, const char* key, const std::string& value) {
            std::optional<std::string> bytes = profile::ReadFileBytes(path);
            if (!bytes && errno != ENOENT) return false;  // never overwrite what could not be read
            std::string text = bytes.value_or(std::string());
            return !profile::SetEntry(text, section, key, value) || WriteWhereItIs(path, text);
        });
}

}  // namespace

bool WriteStatuses(const std::map<profile::BoxNumber, profile::BoxStatus>& statuses,
                   WriteMode mode) {
    if (mode == WriteMode::InPlace) return WriteInPlace(statuses);
    // Every key in one save: a reader sees the file as it was or as it is, never half of it.
    return profile::UpdateFile(profile::kBoxStatusFile, [&](std::optional<std::string>& bytes) {
        std::string text = bytes.value_or(std::string());
        bool changed = false;
        ForEachKey(statuses,
                   [&](const std::string& section, const char* key, const std::string& value) {
                       changed |= profile::SetEntry(text, section, key, value);
                       return true;
                   });
        if (changed) bytes = std::move(text);
        return changed;
    });
}

}  // namespace simulator
