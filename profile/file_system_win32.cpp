// The file calls of a read and a save on Windows.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "profile/file_system.h"

namespace profile::sys {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The byte that writers lock lies far past the end of any profile file: Windows locks bind reads
// too, and readers of the file's bytes must never be held up by a save.
constexpr DWORD kLockedByte = 0x40000000;

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

// Whether the open file is the one now at `path`: a writer before may have replaced it while
// this one waited for its lock.
bool IsAtPath(HANDLE file, const std::string& path) {
    const HANDLE now = CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (now == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    const bool same = GetFileInformationByHandle(file, &a) && GetFileInformationByHandle(now, &b) &&
                      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
                      a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(now);
    return same;
}

}  // namespace

bool File::Close() {
    const bool closed = !ok() || CloseHandle(Handle(*this)) != 0 || Fail();
    handle_ = kNone;
    return closed;
}

bool IsBareName(const std::string& name) { return name.find_first_of("\\/:") == std::string::npos; }

std::string DefaultProfileDirectory() {
    // Where the platform's own profile calls put a bare name, so every program shares the files;
    // the system's own folder, as on a Remote Desktop host each session's Windows directory may
    // be a private one.
    char windows[MAX_PATH];
    const UINT length = GetSystemWindowsDirectoryA(windows, sizeof windows);
    return length > 0 && length < sizeof windows ? std::string(windows, length) : "C:\\Windows";
}

// The store mirrors a path below the local folder's VirtualStore, without its drive.
std::string VirtualStorePath(const std::string& path) {
    const char* local = std::getenv("LOCALAPPDATA");
    if (!local || !*local || path.size() < 3 || path[1] != ':') return {};
    return std::string(local) + "\\VirtualStore" + path.substr(2);
}

std::string UserStateDirectory() {
    if (const char* local = std::getenv("LOCALAPPDATA"); local && *local)
        return std::string(local) + "\\Mirelko";
    // Windows XP names no such variable.
    const char* profile = std::getenv("USERPROFILE");
    return std::string(profile ? profile : "C:") + "\\Local Settings\\Application Data\\Mirelko";
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

bool IsRunning(unsigned long id) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

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

// The writers' lock is on the file itself, opened shared with every other program, so that
// readers, the system's own profile calls and the replacement of the file all go on around it.
Locking TryLock(const std::string& path, SaveLock& lock) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        // An empty file to lock, removed again when the save does not go through; readers take
        // it for the missing file it stands for.
        file = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        lock.created = file != INVALID_HANDLE_VALUE;
        if (!lock.created && GetLastError() == ERROR_FILE_EXISTS) return Locking::kBusy;
    }
    if (file == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_SHARING_VIOLATION) return Locking::kBusy;
        Fail();
        return Locking::kFailed;
    }
    lock.current = Own(file);
    OVERLAPPED at{};
    at.Offset = kLockedByte;
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD error = GetLastError();
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return Locking::kBusy;
        SetLastError(error);
        Fail();
        return Locking::kFailed;
    }
    if (!IsAtPath(file, path)) {
        lock.created = false;
        return Locking::kBusy;
    }
    // A read-only file is refused as the system refuses it, and not left to how the replacement
    // treats it (some implementations replace it anyway).
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        lock.refusal = EROFS;
    return Locking::kHeld;
}

bool FollowOwnLink(std::string&) { return false; }  // TryLock never finds one here

std::vector<std::string> NamesStartingWith(const std::string& dir, const std::string& prefix) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((dir + "\\" + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
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
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
           Fail();
}

// The new file takes the old one's access list and attributes, so that a grant on the file outlives
// the save, and is then moved over it in one step. (ReplaceFile keeps them too, but moves the old
// file away before the new one arrives on some systems, and a reader or a kill in between finds no
// file.) Windows replaces no file that is open, so the lock goes first; a writer that took it
// meanwhile finds the file replaced before it replaces it in turn.
bool ReplaceLockedFile(const std::string& from, const std::string& to, SaveLock& lock) {
    const HANDLE old = CreateFileA(to.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (old == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND) return Fail();
    if (old != INVALID_HANDLE_VALUE) CloseHandle(old);
    if (lock.current.ok() && !IsAtPath(Handle(lock.current), to)) {
        errno = EAGAIN;
        return false;
    }
    DWORD size = 0;
    GetFileSecurityA(to.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<BYTE> access(size);
    if (size > 0 &&
        GetFileSecurityA(to.c_str(), DACL_SECURITY_INFORMATION, access.data(), size, &size) &&
        !SetFileSecurityA(from.c_str(), DACL_SECURITY_INFORMATION, access.data()))
        return Fail();
    const DWORD attributes = GetFileAttributesA(to.c_str());
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKept) != 0)
        SetFileAttributesA(from.c_str(), attributes & kKept);
    lock.current.Close();
    if (Replace(from, to)) return true;
    // Windows denies access to the replacement of a file that another program has open, even
    // for a moment, as a writer trying for the lock does; the open above showed that the right
    // to replace it is there.
    if (GetLastError() == ERROR_ACCESS_DENIED) errno = EBUSY;
    return false;
}

void SyncDirectory(const std::string&) {}  // no such call on Windows

void Remove(const std::string& path) { DeleteFileA(path.c_str()); }

// Shared for reading only, so that no other program writes while the bytes are rewritten.
File OpenForRewrite(const std::string& path, const SaveLock&) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail();
    return Own(file);
}

bool Rewrite(const File& file, std::string_view bytes) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(Handle(file), start, nullptr, FILE_BEGIN)) return Fail();
    return WriteAndSync(file, bytes) && (SetEndOfFile(Handle(file)) || Fail()) &&
           (FlushFileBuffers(Handle(file)) || Fail());
}

}  // namespace profile::sys
