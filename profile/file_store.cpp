// Reading and saving profile files, the same on every system over the calls of file_system.h.
#include "profile/file_store.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "profile/file_system.h"

namespace profile {

namespace {

// Another writer's save takes milliseconds; one that holds the lock for seconds has stopped,
// and waiting on would hold up the panel and its polls with it.
constexpr auto kLockWait = std::chrono::seconds(2);
constexpr auto kLockPause = std::chrono::milliseconds(10);
constexpr std::string_view kTempInfix = ".tmp-";

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

// Writes `bytes` beside the file and puts them in its place.
bool ReplaceWith(const std::string& path, std::string_view bytes, const sys::File& current) {
    static std::atomic<unsigned> counter{0};
    const Place place = PlaceOf(path);
    const std::string temp = path.substr(0, path.size() - place.base.size()) +
                             TemporaryPrefix(place.base) + std::to_string(sys::ProcessId()) + "-" +
                             std::to_string(counter++);
    sys::File out = sys::CreateTemporary(temp, current);
    if (!out.ok()) return false;
    bool written = sys::WriteAndSync(out, bytes);
    written = out.Close() && written;
    if (!written || !sys::Replace(temp, path)) {
        const int error = errno;
        sys::Remove(temp);
        errno = error;
        return false;
    }
    sys::SyncDirectory(place.dir);
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
    const auto giveUp = std::chrono::steady_clock::now() + kLockWait;
    bool followed = false, madeDirectory = !sys::IsBareName(fileName);
    sys::SaveLock lock;
    for (;;) {
        lock = sys::SaveLock{};
        const sys::Locking locking = sys::TryLock(path, lock);
        if (locking == sys::Locking::kHeld) break;
        if (locking == sys::Locking::kFailed && errno == ENOENT && !madeDirectory) {
            // A bare name's profile directory is made on the first save.
            if (!sys::MakeDirectories(ProfileDirectory())) return false;
            madeDirectory = true;
            continue;
        }
        if (locking == sys::Locking::kFailed) return false;
        if (locking == sys::Locking::kLink) {
            if (links == Links::kReplace) break;  // no lock to take on a link: replaced as it is
            if (followed || !sys::FollowOwnLink(path)) {
                errno = ELOOP;
                return false;
            }
            followed = true;
            continue;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            errno = EWOULDBLOCK;
            return false;
        }
        std::this_thread::sleep_for(kLockPause);
    }

    std::optional<std::string> bytes;
    if (lock.current.ok() && !lock.created) {
        FileText text;
        if (!ReadWhole(lock.current, false, text)) return false;  // never overwrite it then
        bytes.emplace(text.text());
    }
    sys::DoneReading(lock);
    if (!edit(bytes) || !bytes) {
        if (lock.created) sys::Remove(path);
        return true;
    }
    bool saved = false;
    if (lock.readOnly) {
        errno = EROFS;
    } else if (bytes->size() > kMaxFileSize) {
        errno = EOVERFLOW;
    } else {
        if ((lock.current.ok() && !lock.readOnly) || lock.lock.ok()) {
            // Temporary files live only while their writer holds the lock, so any found now
            // were left by a writer that died. A save that writes nothing leaves them to the
            // next that writes: looking costs more system calls than the rest of such a save.
            const Place place = PlaceOf(path);
            sys::RemoveStartingWith(place.dir, TemporaryPrefix(place.base));
        }
        saved = ReplaceWith(path, *bytes, lock.current);
    }
    if (!saved && lock.created) {
        const int error = errno;
        sys::Remove(path);
        errno = error;
    }
    return saved;
}

std::string DescribeFailure(int error, bool saving) {
    switch (error) {
        case EOVERFLOW:
            return "too large (over " + std::to_string(kMaxFileSize >> 20) + " MB)";
        case EACCES:
        case EPERM:
            return "no permission";
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
