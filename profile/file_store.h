// Where profile files live and how their bytes reach and leave the disk: the only part of the
// file layer that talks to the operating system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace profile {

// A bare file name lives in the profile directory; a name with a directory part is used as it
// stands. The profile directory is $MIRELKO_PROFILE_DIR when set and not empty, otherwise
// $XDG_CONFIG_HOME/mirelko, otherwise ~/.config/mirelko.
std::string ProfileDirectory();
std::string ResolveProfilePath(const std::string& fileName);

// When the file was last written, in seconds since 1970-01-01 UTC, or nothing when it does not
// exist or cannot be looked at. A bare name resolves as above.
std::optional<std::int64_t> FileWrittenAt(const std::string& fileName);

// The whole file, or nothing when it cannot be read for whatever reason.
std::optional<std::string> ReadFileBytes(const std::string& path);

// A whole file as one read brought it, in memory of its own, and when it was last written.
struct FileText {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    std::int64_t writtenAt = 0;  // seconds since 1970-01-01 UTC, when asked for

    std::string_view text() const { return {bytes.get(), size}; }
};

// The file as it is now, or nothing when it cannot be read for whatever reason. A bare name
// resolves as above. One open, one look at its size (and time, with `withTime`), and usually one
// read: a read that brings less than was asked for has met the end.
std::optional<FileText> ReadProfileFile(const char* fileName, bool withTime = false);
// The bytes read, or none when the file could not be read: it then reads as empty.
inline std::string_view TextOf(const std::optional<FileText>& file) {
    return file ? file->text() : std::string_view();
}

// Read-modify-write under an exclusive lock shared by every writer of the directory. `edit`
// gets the current bytes (nothing when the file does not exist) and returns whether it changed
// them. A change replaces the file atomically: a temporary file
// beside it is written, synced and renamed over it with the old file's permissions, so readers
// see the old bytes or the new, never a mix. Returns false with errno set when the change could not
// be made; the file is then as it was. A bare name's profile directory is created when missing.
bool UpdateFile(const std::string& fileName,
                const std::function<bool(std::optional<std::string>& bytes)>& edit);

}  // namespace profile
