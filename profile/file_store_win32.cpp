// Where profile files live on Windows and how their bytes reach and leave the disk.
#include <windows.h>

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
constexpr char kLockName[] = ".profile.lock";
// Another program may hold the file open for a moment (a reader, a virus scanner).
constexpr int kReplaceTries = 50;
constexpr DWORD kReplacePauseMs = 20;

int ErrnoFrom(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
            return EACCES;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EBUSY;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_FILE_TOO_LARGE:
            return EFBIG;
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY:
            return EINVAL;
        default:
            return EIO;
    }
}

// Fails with errno set from the system's last error.
bool Fail() {
    errno = ErrnoFrom(GetLastError());
    return false;
}

class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }
    HANDLE get() const { return handle_; }
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        const bool closed = !ok() || CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE handle_;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsBareName(const std::string& name) { return name.find_first_of("\\/:") == std::string::npos; }

// Reading shares everything, so the service writing the status file is never kept out.
HANDLE OpenForReading(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::int64_t SecondsSince1970(const FILETIME& time) {
    // FILETIME counts 100 ns steps from 1601-01-01.
    const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000000) - 11644473600LL;
}

// Reads an open file to its end, however it grows or shrinks meanwhile. A byte more than its
// size is asked for, so that one read usually meets the end: for a disk file, a read that brings
// less than was asked for has met it. (GetFileInformationByHandle would tell the size and the
// time at once, but under Wine it is slow while another program writes to the disk.)
bool ReadAll(HANDLE file, FileText& out, bool withTime = false) {
    LARGE_INTEGER size{};
    FILETIME written{};
    if (!GetFileSizeEx(file, &size) || (withTime && !GetFileTime(file, nullptr, nullptr, &written)))
        return Fail();
    std::size_t room = static_cast<std::size_t>(size.QuadPart) + 1;
    out.bytes.reset(new char[room]);  // not cleared: the read fills what is looked at
    out.size = 0;
    out.writtenAt = withTime ? SecondsSince1970(written) : 0;
    for (;;) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(room - out.size, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file, out.bytes.get() + out.size, piece, &got, nullptr)) return Fail();
        out.size += got;
        if (got < piece) return true;
        if (out.size < room) continue;
        std::unique_ptr<char[]> grown(new char[2 * room]);
        std::memcpy(grown.get(), out.bytes.get(), out.size);
        out.bytes = std::move(grown);
        room *= 2;
    }
}

bool ReadPath(const std::string& path, FileText& out, bool withTime = false) {
    Handle file(OpenForReading(path));
    return file.ok() && ReadAll(file.get(), out, withTime);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD wrote = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(file, bytes.data(), size, &wrote, nullptr)) return Fail();
        bytes.remove_prefix(wrote);
    }
    return true;
}

bool MakeDirectories(const std::string& dir) {
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && !IsSeparator(dir[pos])) continue;
        const std::string part = dir.substr(0, pos);
        if (part.size() == 2 && part[1] == ':') continue;  // a drive
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            return Fail();
        }
    }
    const DWORD attributes = GetFileAttributesA(dir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Fail();
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

// One writer at a time in a directory: the lock file is opened exclusively and goes away with
// its handle, also when its writer dies.
HANDLE LockDirectory(const std::string& dir) {
    const std::string path = dir + "\\" + kLockName;
    for (int attempt = 0;; ++attempt) {
        HANDLE lock =
            CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (lock != INVALID_HANDLE_VALUE) return lock;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || attempt > 1000) {
            return INVALID_HANDLE_VALUE;
        }
        Sleep(10);
    }
}

void RemoveStaleTemporaries(const std::string& dir, const std::string& base) {
    const std::string pattern = dir + "\\." + base + std::string(kTempInfix) + "*";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        DeleteFileA((dir + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string TemporaryName(const std::string& base) {
    static std::atomic<unsigned> counter{0};
    return "." + base + std::string(kTempInfix) + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(counter++);
}

bool Replace(const std::string& from, const std::string& to) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
            attempt + 1 >= kReplaceTries) {
            SetLastError(error);
            return Fail();
        }
        Sleep(kReplacePauseMs);
    }
}

}  // namespace

std::string ProfileDirectory() {
    if (const char* dir = std::getenv("MIRELKO_PROFILE_DIR"); dir && *dir) return dir;
    // Where the platform's own profile calls put a bare name, so every program shares the files.
    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    return length > 0 && length < sizeof windows ? std::string(windows, length) : "C:\\Windows";
}

std::string ResolveProfilePath(const std::string& fileName) {
    return IsBareName(fileName) ? ProfileDirectory() + "\\" + fileName : fileName;
}

std::optional<std::int64_t> FileWrittenAt(const std::string& fileName) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(ResolveProfilePath(fileName).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return SecondsSince1970(data.ftLastWriteTime);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    FileText file;
    if (!ReadPath(path, file)) return std::nullopt;
    return std::string(file.text());
}

std::optional<FileText> ReadProfileFile(const char* fileName, bool withTime) {
    FileText file;
    if (!ReadPath(ResolveProfilePath(fileName), file, withTime)) return std::nullopt;
    return file;
}

bool UpdateFile(const std::string& fileName,
                const std::function<bool(std::optional<std::string>& bytes)>& edit) {
    if (fileName.empty()) {
        errno = EINVAL;
        return false;
    }
    const std::string path = ResolveProfilePath(fileName);
    const std::size_t slash = path.find_last_of("\\/");
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) {
        errno = EISDIR;
        return false;
    }
    if (IsBareName(fileName) && !MakeDirectories(dir)) return false;

    Handle lock(LockDirectory(dir));
    if (!lock.ok()) return Fail();
    RemoveStaleTemporaries(dir, base);

    FileText current;
    bool existed = false;
    {
        Handle in(OpenForReading(path));
        if (in.ok()) {
            existed = true;
            if (!ReadAll(in.get(), current)) return false;
        } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
            return Fail();  // never overwrite a file we could not read
        }
    }
    std::optional<std::string> bytes;
    if (existed) bytes.emplace(current.text());
    if (!edit(bytes) || !bytes) return true;
    // A read-only file is refused as the system refuses it, and not left to how the replacement
    // treats it (some implementations replace it anyway).
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        errno = EACCES;
        return false;
    }

    const std::string temp = dir + "\\" + TemporaryName(base);
    Handle out(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.ok()) return Fail();
    bool written = WriteAll(out.get(), *bytes) && (FlushFileBuffers(out.get()) || Fail());
    written = (out.Close() || Fail()) && written;
    written = written && Replace(temp, path);
    if (!written) {
        const int error = errno;
        DeleteFileA(temp.c_str());
        errno = error;
        return false;
    }
    return true;
}

}  // namespace profile
