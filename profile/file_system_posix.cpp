// The file calls of a read and a save on Linux and other POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "profile/file_system.h"

namespace profile::sys {

namespace {

int Fd(const File& file) { return static_cast<int>(file.get()); }

// A write lock on the whole file, on its open file description where the system has such locks:
// then two saves in one process exclude each other as well, and closing another descriptor of
// the file does not let it go. Record locks reach the server on NFS, where whole-file locks did
// not.
bool TryWriteLock(int fd) {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
#ifdef F_OFD_SETLK
    return ::fcntl(fd, F_OFD_SETLK, &whole) == 0;
#else
    return ::fcntl(fd, F_SETLK, &whole) == 0;
#endif
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool File::Close() {
    const bool closed = !ok() || ::close(Fd(*this)) == 0;
    handle_ = kNone;
    return closed;
}

bool IsBareName(const std::string& name) { return name.find('/') == std::string::npos; }

namespace {

// The program's folder in one of the user's XDG base directories: `variable` when it is absolute
// (a relative one is to be ignored), else `inHome` in the home directory.
std::string XdgDirectory(const char* variable, const char* inHome) {
    if (const char* xdg = std::getenv(variable); xdg && *xdg == '/')
        return std::string(xdg) + "/mirelko";
    std::string home = ".";
    if (const char* env = std::getenv("HOME"); env && *env) {
        home = env;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    return home + "/" + inHome + "/mirelko";
}

}  // namespace

std::string DefaultProfileDirectory() { return XdgDirectory("XDG_CONFIG_HOME", ".config"); }

std::string VirtualStorePath(const std::string&) { return {}; }

std::string UserStateDirectory() { return XdgDirectory("XDG_STATE_HOME", ".local/state"); }

// Private to the user: the directory may hold what an operator configured.
bool MakeDirectories(const std::string& dir) {
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '/') continue;
        if (::mkdir(dir.substr(0, pos).c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

bool IsRunning(unsigned long id) {
    return id > 0 && (::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM);
}

// O_NONBLOCK so that a FIFO in the file's place cannot hang the caller.
File OpenForReading(const std::string& path) {
    return File(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
}

bool Measure(const File& file, bool /*withTime: fstat tells it anyway*/, std::uint64_t& size,
             std::int64_t& writtenAt) {
    struct stat st;
    if (::fstat(Fd(file), &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    size = static_cast<std::uint64_t>(st.st_size);
    writtenAt = static_cast<std::int64_t>(st.st_mtime);
    return true;
}

long long ReadSome(const File& file, char* into, std::size_t room) {
    for (;;) {
        const ssize_t n = ::read(Fd(file), into, room);
        if (n >= 0 || errno != EINTR) return n;
    }
}

Locking TryLock(const std::string& path, SaveLock& lock) {
    const char* name = path.c_str();
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(name, O_RDWR | kFlags);
    if (fd < 0 && errno == ENOENT) {
        // An empty file to lock, removed again when the save does not go through; readers take
        // it for the missing file it stands for.
        fd = ::open(name, O_RDWR | O_CREAT | O_EXCL | kFlags, 0666);
        lock.created = fd >= 0;
        if (fd < 0 && errno == EEXIST) return Locking::kBusy;  // another writer made it first
    }
    if (fd < 0 && errno == ELOOP) return Locking::kLink;
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS || errno == ETXTBSY)) {
        // The user may not write the file. It is read all the same: a save that changes nothing
        // succeeds, one that changes it is refused at once.
        lock.refusal = errno == EPERM ? EACCES : errno;
        lock.current = OpenForReading(path);
        if (lock.current.ok()) return Locking::kHeld;
        errno = lock.refusal;
        return Locking::kFailed;
    }
    if (fd < 0) return Locking::kFailed;
    lock.current = File(fd);
    if (!TryWriteLock(fd)) {
        if (errno != EAGAIN && errno != EACCES) return Locking::kFailed;
        return Locking::kBusy;
    }
    // The writer before may have replaced the file while this one waited: the lock is then on a
    // file that is no longer in the path's place.
    struct stat locked, now;
    if (::fstat(fd, &locked) != 0) return Locking::kFailed;
    if (::lstat(name, &now) != 0 || !SameFile(locked, now)) {
        lock.created = false;
        return Locking::kBusy;
    }
    return Locking::kHeld;
}

bool FollowOwnLink(std::string& path) {
    const uid_t user = ::geteuid();
    struct stat link, target;
    if (user == 0 || ::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode) ||
        link.st_uid != user || ::stat(path.c_str(), &target) != 0 || target.st_uid != user)
        return false;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return false;
    path = real;
    std::free(real);
    return true;
}

std::vector<std::string> NamesStartingWith(const std::string& dir, const std::string& prefix) {
    std::vector<std::string> names;
    DIR* entries = ::opendir(dir.c_str());
    if (!entries) return names;
    while (const dirent* entry = ::readdir(entries)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(entries);
    return names;
}

File CreateTemporary(const std::string& path, const File& like) {
    File out(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
    struct stat old;
    if (!out.ok() || !like.ok() || ::fstat(Fd(like), &old) != 0) return out;
    // The umask may have narrowed the mode. Keeping the owner matters when root saves a user's
    // file; an ordinary user cannot give files away, and need not.
    if (::fchmod(Fd(out), old.st_mode & 07777) != 0) {
        const int error = errno;
        out.Close();
        Remove(path);
        errno = error;
        return out;
    }
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        [[maybe_unused]] const int ignored = ::fchown(Fd(out), old.st_uid, old.st_gid);
    }
    return out;
}

bool WriteAndSync(const File& file, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(Fd(file), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return ::fsync(Fd(file)) == 0;
}

bool Replace(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// The lock stays with the old file, and a writer that waited for it finds the file replaced.
bool ReplaceLockedFile(const std::string& from, const std::string& to, SaveLock&) {
    return Replace(from, to);
}

void SyncDirectory(const std::string& dir) {
    const File directory(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.ok()) ::fsync(Fd(directory));
}

void Remove(const std::string& path) { ::unlink(path.c_str()); }

// The lock is on the open file description, which a second descriptor does not touch; other
// writers of this program are kept out by it, as they wait for the lock.
File OpenForRewrite(const std::string& path, const SaveLock&) {
    return File(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
}

bool Rewrite(const File& file, std::string_view bytes) {
    off_t at = 0;
    while (at < static_cast<off_t>(bytes.size())) {
        const ssize_t n = ::pwrite(Fd(file), bytes.data() + at, bytes.size() - at, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        at += n;
    }
    return ::ftruncate(Fd(file), at) == 0 && ::fsync(Fd(file)) == 0;
}

}  // namespace profile::sys
