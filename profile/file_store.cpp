// Reading and saving profile files, the same on every system over the calls of file_system.h.
#include "profile/file_store.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "profile/file_system.h"

namespace profile {

namespace {

using Clock = std::chrono::steady_clock;

// Another writer's save takes milliseconds; one that holds the file for seconds has stopped, and
// waiting on would hold up the panel and its polls with it. The whole save waits this long at
// most, for the lock and for the file alike.
constexpr auto kSaveWait = std::chrono::seconds(2);
constexpr auto kRetryPause = std::chrono::milliseconds(10);
constexpr std::string_view kTempInfix = ".tmp-";
constexpr std::string_view kCopyEnd = ".copy";
constexpr std::string_view kPartEnd = ".part";

// Waits a moment for another writer, unless the deadline has passed: EWOULDBLOCK then.
bool PauseBefore(Clock::time_point deadline) {
    if (Clock::now() >= deadline) {
        errno = EWOULDBLOCK;
        return false;
    }
    std::this_thread::sleep_for(kRetryPause);
    return true;
}

// Runs `step` again while it fails with EBUSY (another program holds the file for a moment),
// until the deadline, when it fails with EWOULDBLOCK.
template <class Step>
bool UntilDeadline(Clock::time_point deadline, Step step) {
    for (;;) {
        if (step()) return true;
        if (errno != EBUSY || !PauseBefore(deadline)) return false;
    }
}

unsigned NextNumber() {
    static std::atomic<unsigned> counter{0};
    return counter++;
}

bool CanNotCreate(int error) { return error == EACCES || error == EPERM; }

std::string TemporaryPrefix(const std::string& base) {
    return "." + base + std::string(kTempInfix);
}

// Where a file is: its directory, and its name there.
struct Place {
    std::string dir, base;
};

Place PlaceOf(const std::string& path) {
    // Windows takes either slash.
    const std::size_t slash = path.find_last_of(sys::kSeparator == '/' ? "/" : "\\/");
    if (slash == std::string::npos) return {".", path};
    return {path.substr(0, slash ? slash : 1), path.substr(slash + 1)};
}

// Whether another writer's save of the file is under way: its temporary file is there, and its
// writer runs. Where a file cannot be replaced while it is locked (Windows), a writer lets go of
// the lock before it puts its file in place, and one that read the old file meanwhile must read
// again. Temporary files of writers that no longer run were left by a writer that died; they go.
bool AnotherSaveUnderWay(const Place& place) {
    const std::string prefix = TemporaryPrefix(place.base);
    bool underWay = false;
    for (const std::string& name : sys::NamesStartingWith(place.dir, prefix)) {
        const unsigned long writer = std::strtoul(name.c_str() + prefix.size(), nullptr, 10);
        if (sys::IsRunning(writer)) {
            underWay = true;
        } else {
            sys::Remove(place.dir + sys::kSeparator + name);
        }
    }
    return underWay;
}

enum class Replaced { kDone, kNoNewFile, kStale, kFailed };

// Writes `bytes` beside the file and puts them in its place: kNoNewFile when the directory
// refuses the new file.
Replaced ReplaceWith(const std::string& path, std::string_view bytes, sys::SaveLock& lock,
                     Clock::time_point deadline) {
    const Place place = PlaceOf(path);
    const std::string temp = path.substr(0, path.size() - place.base.size()) +
                             TemporaryPrefix(place.base) + std::to_string(sys::ProcessId()) + "-" +
                             std::to_string(NextNumber());
    sys::File out = sys::CreateTemporary(temp, lock.current);
    if (!out.ok()) return CanNotCreate(errno) ? Replaced::kNoNewFile : Replaced::kFailed;
    bool written = sys::WriteAndSync(out, bytes);
    written = out.Close() && written;
    if (!written ||
        !UntilDeadline(deadline, [&] { return sys::ReplaceLockedFile(temp, path, lock); })) {
        const int error = errno;
        sys::Remove(temp);
        errno = error;
        if (written && error == EAGAIN) return Replaced::kStale;
        // A directory that takes new files but not one in the place of this file.
        return written && CanNotCreate(error) ? Replaced::kNoNewFile : Replaced::kFailed;
    }
    sys::SyncDirectory(place.dir);
    return Replaced::kDone;
}

// The name that copies of the file at `path` begin with: its name and its directory's mark, so
// that files of one name in two directories keep apart.
std::string CopyPrefix(const std::string& path) {
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (const unsigned char c : path) hash = (hash ^ c) * 1099511628211ull;
    char mark[17];
    std::snprintf(mark, sizeof mark, "%016llx", static_cast<unsigned long long>(hash));
    return PlaceOf(path).base + "-" + mark + "-";
}

// A whole copy of `bytes` in the user's own directory, on the disk before it is named: the name,
// or nothing with errno set.
std::optional<std::string> KeepCopy(const std::string& path, std::string_view bytes) {
    const std::string dir = sys::UserStateDirectory();
    if (!sys::MakeDirectories(dir)) return std::nullopt;
    const std::string copy = dir + sys::kSeparator + CopyPrefix(path) +
                             std::to_string(sys::ProcessId()) + "-" + std::to_string(NextNumber()) +
                             std::string(kCopyEnd);
    const std::string part = copy + std::string(kPartEnd);
    sys::File out = sys::CreateTemporary(part, sys::File{});
    bool written = out.ok() && sys::WriteAndSync(out, bytes);
    written = out.Close() && written && sys::Replace(part, copy);
    if (!written) {
        const int error = errno;
        sys::Remove(part);
        errno = error;
        return std::nullopt;
    }
    sys::SyncDirectory(dir);
    return copy;
}

// Writes the file where it is, for a directory that takes no new file: a copy of the old bytes
// stays in the user's own directory until the new ones are on the disk.
bool RewriteInPlace(const std::string& path, std::string_view bytes, std::string_view old,
                    const sys::SaveLock& lock, Clock::time_point deadline) {
    sys::File out;
    if (!UntilDeadline(deadline, [&] { return (out = sys::OpenForRewrite(path, lock)).ok(); }))
        return false;
    const std::optional<std::string> copy = KeepCopy(path, old);
    if (!copy) return false;
    if (!sys::Rewrite(out, bytes)) {
        // The old bytes back, when they fit where the new ones would not; the copy stays
        // otherwise, and the next start names it.
        const int error = errno;
        if (sys::Rewrite(out, old)) sys::Remove(*copy);
        errno = error;
        return false;
    }
    sys::Remove(*copy);
    return true;
}

// The whole open file however it grows or shrinks meanwhile: EOVERFLOW, with nothing more read,
// when it holds more than kMaxFileSize.
bool ReadWhole(const sys::File& file, bool withTime, FileText& out) {
    std::uint64_t size = 0;
    if (!sys::Measure(file, withTime, size, out.writtenAt)) return false;
    if (size > kMaxFileSize) {
        errno = EOVERFLOW;
        return false;
    }
    // A byte more than its size is asked for, so that one read usually meets the end: for a
    // regular file, a read that brings less than was asked for has met it.
    std::size_t room = static_cast<std::size_t>(size) + 1;
    out.bytes.reset(new char[room]);  // not cleared: the read fills what is looked at
    out.size = 0;
    for (;;) {
        const long long got = sys::ReadSome(file, out.bytes.get() + out.size, room - out.size);
        if (got < 0) return false;
        out.size += static_cast<std::size_t>(got);
        if (out.size < room) return true;
        if (out.size > kMaxFileSize) {  // it grew past the limit while being read
            errno = EOVERFLOW;
            return false;
        }
        const std::size_t grown = std::min(2 * room, kMaxFileSize + 1);
        std::unique_ptr<char[]> bigger(new char[grown]);
        std::memcpy(bigger.get(), out.bytes.get(), out.size);
        out.bytes = std::move(bigger);
        room = grown;
    }
}

}  // namespace

namespace sys {

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = kNone;
    }
    return *this;
}

File::~File() {
    const int error = errno;
    Close();
    errno = error;
}

}  // namespace sys

std::string ProfileDirectory() {
    if (const char* dir = std::getenv("MIRELKO_PROFILE_DIR"); dir && *dir) return dir;
    return sys::DefaultProfileDirectory();
}

std::string ResolveProfilePath(const std::string& fileName) {
    return sys::IsBareName(fileName) ? ProfileDirectory() + sys::kSeparator + fileName : fileName;
}

std::optional<FileText> ReadProfileFile(const std::string& fileName, bool withTime) {
    const sys::File file = sys::OpenForReading(ResolveProfilePath(fileName));
    FileText text;
    if (!file.ok() || !ReadWhole(file, withTime, text)) return std::nullopt;
    return text;
}

std::optional<std::string> ReadFileBytes(const std::string& fileName) {
    const std::optional<FileText> file = ReadProfileFile(fileName);
    return file ? std::optional<std::string>(file->text()) : std::nullopt;
}

bool UpdateFile(const std::string& fileName,
                const std::function<bool(std::optional<std::string>& bytes)>& edit, Links links) {
    if (fileName.empty()) {
        errno = EINVAL;
        return false;
    }
    std::string path = ResolveProfilePath(fileName);
    const auto deadline = Clock::now() + kSaveWait;
    bool followed = false, madeDirectory = !sys::IsBareName(fileName), waitingForAnother = false;
    sys::SaveLock lock;
    for (;;) {
        lock = sys::SaveLock{};
        // Once another writer's save was found under way, the file is not even opened until it
        // is done: where an open file cannot be replaced, opening it would hold that writer up.
        if (waitingForAnother && AnotherSaveUnderWay(PlaceOf(path))) {
            if (!PauseBefore(deadline)) return false;
            continue;
        }
        const sys::Locking locking = sys::TryLock(path, lock);
        if (locking == sys::Locking::kFailed && errno == ENOENT && !madeDirectory) {
            // A bare name's profile directory is made on the first save.
            if (!sys::MakeDirectories(ProfileDirectory())) return false;
            madeDirectory = true;
            continue;
        }
        if (locking == sys::Locking::kFailed) return false;
        if (locking == sys::Locking::kLink && links != Links::kReplace) {
            if (followed || !sys::FollowOwnLink(path)) {
                errno = ELOOP;
                return false;
            }
            followed = true;
            continue;
        }
        if (locking == sys::Locking::kBusy) {
            if (!PauseBefore(deadline)) return false;
            continue;
        }
        // Held, or a link to replace as it is, with no lock to take on it.
        FileText old;
        std::optional<std::string> bytes;
        if (lock.current.ok() && !lock.created) {
            if (!ReadWhole(lock.current, false, old)) return false;  // never overwrite it then
            bytes.emplace(old.text());
        }
        if (!edit(bytes) || !bytes) {
            if (lock.created) sys::Remove(path);
            return true;
        }
        Replaced replaced = Replaced::kFailed;
        bool saved = false;
        if (lock.refusal != 0) {
            errno = lock.refusal;
        } else if (bytes->size() > kMaxFileSize) {
            errno = EOVERFLOW;
        } else {
            // A save that writes nothing need not look: that costs more system calls than the
            // rest of such a save.
            replaced = AnotherSaveUnderWay(PlaceOf(path))
                           ? Replaced::kStale
                           : ReplaceWith(path, *bytes, lock, deadline);
            saved = replaced == Replaced::kDone ||
                    (replaced == Replaced::kNoNewFile && links != Links::kReplace &&
                     lock.current.ok() && !lock.created &&
                     RewriteInPlace(path, *bytes, old.text(), lock, deadline));
        }
        if (replaced == Replaced::kStale) {
            if (lock.created) sys::Remove(path);
            if (Clock::now() >= deadline) {
                errno = EWOULDBLOCK;
                return false;
            }
            // Read again what the other writer saved, once it is in place.
            waitingForAnother = true;
            continue;
        }
        if (!saved && lock.created) {
            const int error = errno;
            sys::Remove(path);
            errno = error;
        }
        return saved;
    }
}

std::vector<std::string> UnfinishedSaveCopies(const std::string& fileName) {
    const std::string path = ResolveProfilePath(fileName);
    const std::string dir = sys::UserStateDirectory();
    const std::optional<std::string> now = ReadFileBytes(path);
    std::vector<std::string> left;
    for (const std::string& name : sys::NamesStartingWith(dir, CopyPrefix(path))) {
        const std::string copy = dir + sys::kSeparator + name;
        // A copy still being written was cut short before the file was touched; one equal to
        // the file tells nothing that the file does not.
        const bool whole =
            name.size() > kCopyEnd.size() &&
            name.compare(name.size() - kCopyEnd.size(), kCopyEnd.size(), kCopyEnd) == 0;
        if (!whole || (now && ReadFileBytes(copy) == now)) {
            sys::Remove(copy);
        } else {
            left.push_back(copy);
        }
    }
    return left;
}

std::optional<std::string> DifferingVirtualStoreCopy(const std::string& path) {
    const std::string store = sys::VirtualStorePath(path);
    if (store.empty()) return std::nullopt;
    const std::optional<std::string> copy = ReadFileBytes(store);
    if (!copy || copy == ReadFileBytes(path)) return std::nullopt;
    return store;
}

std::string DescribeFailure(int error, bool saving) {
    switch (error) {
        case EOVERFLOW:
            return "too large (over " + std::to_string(kMaxFileSize >> 20) + " MB)";
        case EACCES:
        case EPERM:
            if (!saving) return "no permission";
            return "no permission to write the file; its owner or an administrator can grant "
                   "the right to write this one file";
        case EISDIR:
        case EINVAL:
            return "not a regular file";
        case ELOOP:
            if (!saving) return "not a regular file";  // a loop of links
            return "it is a symbolic link, which a save follows only when the saving user owns "
                   "both the link and the file it points to, and never for root";
        case EWOULDBLOCK:
            return "another program is saving the file; try again in a moment";
        case EROFS:
            return "the file is read-only";
        default:
            return std::strerror(error);
    }
}

}  // namespace profile
