// The few things a read and a save ask of the operating system, one file of them for each
// system. What is done with them, and in what order, is file_store.cpp's, the same everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "profile/file_store.h"

namespace profile::sys {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

bool IsBareName(const std::string& name);
// Where bare names live when $MIRELKO_PROFILE_DIR does not say.
std::string DefaultProfileDirectory();
// Makes the directory and its parents; false with errno set when it is not there afterwards.
bool MakeDirectories(const std::string& dir);
unsigned long ProcessId();
// Whether the process `id` runs (this one among them).
bool IsRunning(unsigned long id);

// An open file, closed with the object.
class File {
  public:
    File() = default;
    explicit File(std::intptr_t handle) : handle_(handle) {}
    File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool ok() const { return handle_ != kNone; }
    std::intptr_t get() const { return handle_; }
    // False with errno set when the system reports that what was written did not all arrive.
    bool Close();

  private:
    static constexpr std::intptr_t kNone = -1;  // an invalid descriptor and handle alike
    std::intptr_t handle_ = kNone;
};

// Opened for reading and shared with every other program, so a writer is never kept out.
File OpenForReading(const std::string& path);
// The size of an open regular file, and with `withTime` when it was last written (seconds since
// 1970-01-01 UTC); false with errno set, EISDIR or EINVAL for what is not a regular file.
bool Measure(const File& file, bool withTime, std::uint64_t& size, std::int64_t& writtenAt);
// Reads up to `room` bytes: how many came, 0 at the end, -1 with errno set on failure.
long long ReadSome(const File& file, char* into, std::size_t room);

// What a save holds while it runs.
struct SaveLock {
    File current;          // the file, open and locked; not open when there is none
    int refusal = 0;       // why the saving user may not write the file, 0 when it may
    bool created = false;  // the lock made an empty file where there was none
};
enum class Locking { kHeld, kBusy, kLink, kFailed };
// Takes the writers' lock on the file at `path`: kBusy while another writer has it, kLink when a
// symbolic link is in the file's place, kFailed with errno set when it cannot be had.
Locking TryLock(const std::string& path, SaveLock& lock);
// Turns `path`, a symbolic link, into what it points to when the saving user owns both and is
// not root; false otherwise.
bool FollowOwnLink(std::string& path);

// The names in `dir` that begin with `prefix`.
std::vector<std::string> NamesStartingWith(const std::string& dir, const std::string& prefix);
// A new file at `path`, open for writing, with the permissions and owner of `like` where it is
// open.
File CreateTemporary(const std::string& path, const File& like);
bool WriteAndSync(const File& file, std::string_view bytes);
// Puts `from` in the place of `to`, in one step.
bool Replace(const std::string& from, const std::string& to);
// Puts `from` in the place of `to`, the file that `lock` holds, in one step, with what `to` had of
// access rights and attributes. EBUSY while another program holds `to` open without sharing it;
// EAGAIN when another writer replaced it after this one had read it. Where an open file cannot be
// replaced (Windows), the lock is let go first.
bool ReplaceLockedFile(const std::string& from, const std::string& to, SaveLock& lock);
// Makes a rename in `dir` reach the disk.
void SyncDirectory(const std::string& dir);
void Remove(const std::string& path);

// The locked file at `path` opened for writing in place, with other writers kept out: EBUSY while
// another program has it open for writing, EACCES when the user may not write it.
File OpenForRewrite(const std::string& path, const SaveLock& lock);
// Writes `bytes` from the file's start, ends the file after them and flushes it to the disk.
bool Rewrite(const File& file, std::string_view bytes);
// Where Windows keeps this user's private copy of `path` when it redirects writes to a shared
// folder; empty where there is no such place.
std::string VirtualStorePath(const std::string& path);
// A directory of the saving user's own for what must outlive a save that is cut short.
std::string UserStateDirectory();

}  // namespace profile::sys
