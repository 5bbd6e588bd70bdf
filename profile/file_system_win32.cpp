// The file calls of a read and a save on Windows.
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "profile/file_system.h"

namespace profile::sys {

namespace {

// Another program may hold the file open for a moment (a reader, a virus scanner).
constexpr int kReplaceTries = 50;
constexpr DWORD kReplacePauseMs = 20;
constexpr char kLockName[] = ".profile.lock";

HANDLE Handle(const File& file) { return reinterpret_cast<HANDLE>(file.get()); }
File Own(HANDLE handle) { return File(reinterpret_cast<std::intptr_t>(handle)); }

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

std::int64_t SecondsSince1970(const FILETIME& time) {
    // FILETIME counts 100 ns steps from 1601-01-01.
    const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000000) - 11644473600LL;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

bool File::Close() {
    const bool closed = !ok() || CloseHandle(Handle(*this)) != 0 || Fail();
    handle_ = kNone;
    return closed;
}

bool IsBareName(const std::string& name) { return name.find_first_of("\\/:") == std::string::npos; }

std::string DefaultProfileDirectory() {
    // Where the platform's own profile calls put a bare name, so every program shares the files.
    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    return length > 0 && length < sizeof windows ? std::string(windows, length) : "C:\\Windows";
}

bool MakeDirectories(const std::string& dir) {
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '\\' && dir[pos] != '/') continue;
        const std::string part = dir.substr(0, pos);
        if (part.size() == 2 && part[1] == ':') continue;  // a drive
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return Fail();
    }
    const DWORD attributes = GetFileAttributesA(dir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Fail();
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

File OpenForReading(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail();
    return Own(file);
}

// GetFileInformationByHandle would tell the size and the time at once, but under Wine it is slow
// while another program writes to the disk.
bool Measure(const File& file, bool withTime, std::uint64_t& size, std::int64_t& writtenAt) {
    LARGE_INTEGER bytes{};
    FILETIME written{};
    if (!GetFileSizeEx(Handle(file), &bytes) ||
        (withTime && !GetFileTime(Handle(file), nullptr, nullptr, &written)))
        return Fail();
    size = static_cast<std::uint64_t>(bytes.QuadPart);
    writtenAt = withTime ? SecondsSince1970(written) : 0;
    return true;
}

long long ReadSome(const File& file, char* into, std::size_t room) {
    DWORD got = 0;
    if (!ReadFile(Handle(file), into, static_cast<DWORD>(room), &got, nullptr)) {
        Fail();
        return -1;
    }
    return got;
}

// One writer at a time in a directory: the lock file is opened for writing and exclusively, and
// goes away with its handle, also when its writer dies.
Locking TryLock(const std::string& path, SaveLock& lock) {
    const std::string lockPath = DirectoryOf(path) + "\\" + kLockName;
    lock.lock =
        Own(CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!lock.lock.ok()) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) return Locking::kBusy;
        SetLastError(error);
        Fail();
        return Locking::kFailed;
    }
    lock.current = OpenForReading(path);
    if (!lock.current.ok() && errno != ENOENT) return Locking::kFailed;
    // A read-only file is refused as the system refuses it, and not left to how the replacement
    // treats it (some implementations replace it anyway).
    const DWORD attributes = GetFileAttributesA(path.c_str());
    lock.readOnly =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    return Locking::kHeld;
}

void DoneReading(SaveLock& lock) { lock.current.Close(); }

bool FollowOwnLink(std::string&) { return false; }  // TryLock never finds one here

void RemoveStartingWith(const std::string& dir, const std::string& prefix) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((dir + "\\" + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        DeleteFileA((dir + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

File CreateTemporary(const std::string& path, const File&) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail();
    return Own(file);
}

bool WriteAndSync(const File& file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD wrote = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(Handle(file), bytes.data(), size, &wrote, nullptr)) return Fail();
        bytes.remove_prefix(wrote);
    }
    return FlushFileBuffers(Handle(file)) || Fail();
}

bool Replace(const std::string& from, const std::string& to) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
            attempt + 1 >= kReplaceTries) {
            SetLastError(error);
            return Fail();
        }
        Sleep(kReplacePauseMs);
    }
}

void SyncDirectory(const std::string&) {}  // MOVEFILE_WRITE_THROUGH has done it

void Remove(const std::string& path) { DeleteFileA(path.c_str()); }

}  // namespace profile::sys
