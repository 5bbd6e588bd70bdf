#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "profile/file_store.h"

namespace profile {

namespace {

constexpr std::string_view kTempInfix = ".tmp-";

// Keeps errno across clean-up calls that may change it.
class ErrnoGuard {
  public:
    ErrnoGuard() : saved_(errno) {}
    ~ErrnoGuard() { errno = saved_; }

  private:
    int saved_;
};

// O_NONBLOCK so that a FIFO in the file's place cannot hang the caller.
int OpenForReading(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK); }

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        ErrnoGuard keep;
        Close();
    }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    int Close() {
        int rc = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return rc;
    }

  private:
    int fd_;
};

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return ".";
}

bool IsBareName(const std::string& name) { return name.find('/') == std::string::npos; }

// mkdir -p, private to the user: the directory may hold what an operator configured.
bool MakeDirectories(const std::string& dir) {
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '/') continue;
        std::string part = dir.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

// Reads an open regular file to its end, however it grows or shrinks meanwhile. `st` is what
// fstat said of it. A byte more than its size is asked for, so that one read usually meets the
// end: for a regular file, a read that brings less than was asked for has met it.
bool ReadAll(int fd, const struct stat& st, FileText& out) {
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    std::size_t room = static_cast<std::size_t>(st.st_size) + 1;
    out.bytes.reset(new char[room]);  // not cleared: the read fills what is looked at
    out.size = 0;
    out.writtenAt = static_cast<std::int64_t>(st.st_mtime);
    for (;;) {
        const ssize_t n = ::read(fd, out.bytes.get() + out.size, room - out.size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        out.size += static_cast<std::size_t>(n);
        if (out.size < room) return true;
        std::unique_ptr<char[]> grown(new char[2 * room]);
        std::memcpy(grown.get(), out.bytes.get(), out.size);
        out.bytes = std::move(grown);
        room *= 2;
    }
}

// The whole file at `path`, opened for reading.
bool ReadPath(const char* path, FileText& out) {
    Fd fd(OpenForReading(path));
    struct stat st;
    return fd.ok() && ::fstat(fd.get(), &st) == 0 && ReadAll(fd.get(), st, out);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Temporary files exist only while their writer holds the directory lock, so any found by the
// lock's holder were left by a writer that died.
void RemoveStaleTemporaries(int dirFd, const std::string& base) {
    const std::string prefix = "." + base + std::string(kTempInfix);
#if defined(__linux__) && defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 30)
    // The entries straight from the directory descriptor the lock is held on, freshly opened:
    // its read position matters to nothing else, and no second descriptor and stream need
    // setting up.
    alignas(8) char entries[16 * 1024];
    for (;;) {
        const ssize_t n = ::getdents64(dirFd, entries, sizeof entries);
        if (n <= 0) return;
        for (ssize_t at = 0; at < n;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(entries + at);
            if (std::string_view(entry->d_name).starts_with(prefix))
                ::unlinkat(dirFd, entry->d_name, 0);
            at += entry->d_reclen;
        }
    }
#else
    int copy = ::dup(dirFd);
    if (copy < 0) return;
    DIR* dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (std::string_view(entry->d_name).starts_with(prefix))
            ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
#endif
}

std::string TemporaryName(const std::string& base) {
    static std::atomic<unsigned> counter{0};
    return "." + base + std::string(kTempInfix) + std::to_string(::getpid()) + "-" +
           std::to_string(counter++);
}

}  // namespace

std::string ProfileDirectory() {
    if (const char* dir = std::getenv("MIRELKO_PROFILE_DIR"); dir && *dir) return dir;
    // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return std::string(xdg) + "/mirelko";
    return HomeDirectory() + "/.config/mirelko";
}

std::string ResolveProfilePath(const std::string& fileName) {
    return IsBareName(fileName) ? ProfileDirectory() + "/" + fileName : fileName;
}

std::optional<std::int64_t> FileWrittenAt(const std::string& fileName) {
    struct stat st;
    if (::stat(ResolveProfilePath(fileName).c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::int64_t>(st.st_mtime);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    FileText file;
    if (!ReadPath(path.c_str(), file)) return std::nullopt;
    return std::string(file.text());
}

std::optional<FileText> ReadProfileFile(const char* fileName, bool /*withTime*/) {
    // fstat tells the time with the size.
    FileText file;
    if (!ReadPath(ResolveProfilePath(fileName).c_str(), file)) return std::nullopt;
    return file;
}

bool UpdateFile(const std::string& fileName,
                const std::function<bool(std::optional<std::string>& bytes)>& edit) {
    if (fileName.empty()) {
        errno = EINVAL;
        return false;
    }
    std::string path = ResolveProfilePath(fileName);
    // The path is first taken as it stands. When the file turns out to be a symbolic link, the
    // lock is let go and everything starts again with what the link points at, which is
    // replaced, not the link.
    for (bool resolved = false;; resolved = true) {
        std::size_t slash = path.rfind('/');
        std::string dir =
            slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
        std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
        if (base.empty()) {
            errno = EISDIR;
            return false;
        }

        Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!dirFd.ok() && errno == ENOENT && IsBareName(fileName)) {
            if (!MakeDirectories(dir)) return false;
            dirFd.Reset(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        }
        if (!dirFd.ok()) return false;
        while (::flock(dirFd.get(), LOCK_EX) != 0) {
            if (errno != EINTR) return false;
        }

        RemoveStaleTemporaries(dirFd.get(), base);

        FileText current;
        struct stat old {};
        bool existed = false;
        {
            const int noFollow = resolved ? 0 : O_NOFOLLOW;
            Fd in(
                ::openat(dirFd.get(), base.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | noFollow));
            if (in.ok()) {
                existed = true;
                if (::fstat(in.get(), &old) != 0 || !ReadAll(in.get(), old, current)) return false;
            } else if (!resolved && (errno == ELOOP || errno == EMLINK)) {
                // A symbolic link (as O_NOFOLLOW reports one). A link that leads nowhere is
                // taken as it stands, as before.
                if (char* real = ::realpath(path.c_str(), nullptr)) {
                    path = real;
                    std::free(real);
                }
                continue;
            } else if (errno != ENOENT) {
                return false;  // never overwrite a file we could not read
            }
        }
        std::optional<std::string> bytes;
        if (existed) bytes.emplace(current.text());
        if (!edit(bytes) || !bytes) return true;

        std::string temp = TemporaryName(base);
        mode_t mode = existed ? (old.st_mode & 07777) : 0666;
        Fd out(::openat(dirFd.get(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!out.ok()) return false;
        bool written = WriteAll(out.get(), *bytes) && ::fsync(out.get()) == 0;
        if (written && existed) {
            // The umask may have narrowed the mode; the owner matters when root saves a user's
            // file.
            written = ::fchmod(out.get(), old.st_mode & 07777) == 0;
            if (written && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
                ::fchown(out.get(), old.st_uid, old.st_gid) != 0) {
                // Keeping the owner is a courtesy; an ordinary user cannot give files away.
            }
        }
        written = out.Close() == 0 && written;
        written = written && ::renameat(dirFd.get(), temp.c_str(), dirFd.get(), base.c_str()) == 0;
        if (!written) {
            ErrnoGuard keep;
            ::unlinkat(dirFd.get(), temp.c_str(), 0);
            return false;
        }
        ::fsync(dirFd.get());  // the rename itself reaches the disk
        return true;
    }
}

}  // namespace profile
