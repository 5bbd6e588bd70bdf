// Where profile files live and how their bytes reach and leave the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace profile {

// No read takes more than this, and no save writes more. Both files of the installation hold a
// few kilobytes; a file a thousand times larger is not one of them, and reading it whole at every
// poll would hold up the panel and take its memory.
inline constexpr std::size_t kMaxFileSize = std::size_t{4} << 20;

// A bare file name lives in the profile directory; a name with a directory part is used as it
// stands. The profile directory is $MIRELKO_PROFILE_DIR when set and not empty, otherwise on
// Linux $XDG_CONFIG_HOME/mirelko or ~/.config/mirelko, and on Windows the Windows directory.
std::string ProfileDirectory();
std::string ResolveProfilePath(const std::string& fileName);

// A whole file as one read brought it, in memory of its own, and when it was last written.
struct FileText {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    std::int64_t writtenAt = 0;  // seconds since 1970-01-01 UTC, when asked for

    std::string_view text() const { return {bytes.get(), size}; }
};

// The file as it is now, or nothing with errno set: ENOENT when there is none, EOVERFLOW when it
// is larger than kMaxFileSize (it is not read then), EACCES, EISDIR or EINVAL (not a regular
// file) and others when it cannot be read. A bare name resolves as above.
std::optional<FileText> ReadProfileFile(const std::string& fileName, bool withTime = false);
std::optional<std::string> ReadFileBytes(const std::string& fileName);
// The bytes read, or none when the file could not be read: it then reads as empty.
inline std::string_view TextOf(const std::optional<FileText>& file) {
    return file ? file->text() : std::string_view();
}

// What a save does with a symbolic link in the file's place.
enum class Links {
    // Follows it only when the saving user owns both the link and the file it points to, and
    // never when the saver is root: a privileged writer must not be led to another's file.
    kFollowOwn,
    // Replaces the link itself with the file, never what it points to; and never rewrites a file
    // in place, so that a reader never sees half of it.
    kReplace,
};

// Read-modify-write of one file, one writer at a time. `edit` gets the current bytes (nothing
// when the file does not exist) and returns whether it changed them. A change replaces the file
// atomically where its directory takes a new file: a temporary file beside it is written, synced
// and put in its place with the old file's permissions and owner, so readers see the old bytes or
// the new, never a mix. Where the directory takes no new file but the file may be written, as
// when an administrator granted the right to write that one file, the file is rewritten in place;
// a copy of its old bytes is kept in the user's own directory until the new bytes are on the
// disk. A bare name's profile directory is created when missing. Returns false with errno set
// when the change could not be made; the file is then as it was. Besides the system's own errors:
//   EACCES       the user may not write the file, or may not create it (no wait then);
//   EWOULDBLOCK  another program kept the file locked or open for longer than two seconds;
//   EROFS        the file may only be read (a save that changes nothing still succeeds);
//   ELOOP        a symbolic link that `links` does not let the save follow;
//   EOVERFLOW    the file, or what it would become, is larger than kMaxFileSize.
bool UpdateFile(const std::string& fileName,
                const std::function<bool(std::optional<std::string>& bytes)>& edit,
                Links links = Links::kFollowOwn);

// The copies of the file's old bytes that in-place saves left because they did not finish, each
// the file's whole contents before such a save; copies equal to the file as it is are removed.
std::vector<std::string> UnfinishedSaveCopies(const std::string& fileName);

// The private copy of the file at `path` that Windows kept for this user while the program's
// writes to a shared folder were redirected, when there is one and it differs from the file.
// Never one on other systems.
std::optional<std::string> DifferingVirtualStoreCopy(const std::string& path);

// Why a read or a save failed, in words for people: "too large (over 4 MB)", "no permission",
// "another program is saving the file", and the system's own words for the rest.
std::string DescribeFailure(int error, bool saving = false);

}  // namespace profile
