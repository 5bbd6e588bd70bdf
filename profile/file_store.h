// Where profile files live and how their bytes reach and leave the disk: the only part of the
// file layer that talks to the operating system.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "profile/text_buffer.h"

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

// The whole file into `memory`, from its start, in pieces of at most kReadPiece bytes. After each
// piece, `arrived` is told how many bytes there are so far (at memory.data(), which may move
// between two pieces); it returns false to stop reading there, as a single lookup does once its
// section has ended. Returns the number of bytes read, or nothing when the file cannot be read
// for whatever reason. (Smaller pieces would still be in the processor's cache when they are
// looked at, but a read call costs more than that saves on the machines measured.)
inline constexpr std::size_t kReadPiece = 1024 * 1024;
std::optional<std::size_t> ReadFileInto(const std::string& path, TextBuffer& memory,
                                        const std::function<bool(std::size_t)>& arrived);

// Read-modify-write under an exclusive lock shared by every writer of the directory. `edit`
// gets the current bytes (nothing when the file does not exist) and returns whether it changed
// them. A change replaces the file atomically: a temporary file beside it is written, synced
// and renamed over it with the old file's permissions, so readers see the old bytes or the new,
// never a mix. Returns false with errno set when the change could not be made; the file is then
// as it was. A bare name's profile directory is created when missing.
bool UpdateFile(const std::string& fileName,
                const std::function<bool(std::optional<std::string>& bytes)>& edit);

}  // namespace profile
