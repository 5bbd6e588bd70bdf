// The profile file calls the panel is written against, with the platform's signatures and
// behaviour, plus two ways to use them in bulk: one read for many lookups, one atomic
// replacement for many writes.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "profile/file_store.h"
#include "profile/ini_index.h"
#include "profile/ini_text.h"
#include "profile/win_types.h"

namespace profile {

// The platform's three profile calls, with its signatures and behaviour. They are this layer's
// own on every platform, so that the panel behaves the same everywhere; on Windows the system's
// calls of the same names stay outside the namespace and the system's code never reaches them.
// A bare file name resolves in the profile directory (see file_store.h). Reads never fail: a
// missing or unreadable file reads as empty. A write returns FALSE with errno set when it could
// not be made, and leaves the file as it was; text containing CR or LF is refused with EINVAL
// rather than written, since it would create lines of its own in a file other programs trust.
DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);
BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                LPCSTR lpFileName);

}  // namespace profile

#ifndef _WIN32
// Elsewhere they may also be called by their familiar global names.
using profile::GetPrivateProfileIntA;
using profile::GetPrivateProfileStringA;
using profile::WritePrivateProfileStringA;
#endif

namespace profile {

// The file as read once; each lookup answers as the single calls would. The sections the
// lookups will ask for may be named: they are then found together, in one pass; any other
// section is answered as well, by a look through the file's headers.
class Snapshot {
  public:
    explicit Snapshot(LPCSTR fileName, std::vector<std::string> sections = {});
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    // Bytes as a file would hold them, for checking lookups without a file.
    static Snapshot OfBytes(std::string bytes, std::vector<std::string> sections = {});

    DWORD GetString(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer, DWORD size) const;
    UINT GetInt(LPCSTR section, LPCSTR key, INT fallback) const;

  private:
    Snapshot(std::optional<FileText> file, std::vector<std::string> sections);

    FileText file_;
    std::vector<std::string> sections_;
    IniIndex index_;
};

// Writes collected and then committed as one locked read-modify-write and one atomic
// replacement of the file: other readers see all of them or none. A null key deletes the
// section, a null value deletes the key, as with WritePrivateProfileStringA.
class Batch {
  public:
    explicit Batch(LPCSTR fileName) : file_(fileName ? fileName : "") {}

    void Write(LPCSTR section, LPCSTR key, LPCSTR value);
    // FALSE with errno set when any write is refused or the file cannot be replaced; then
    // nothing at all is written.
    BOOL Commit();

  private:
    struct Op {
        std::string section, key, value;
        bool hasKey, hasValue;
    };
    // True when every write would set a value the bytes already hold; deletes do not count.
    bool WouldChangeNothing(std::string_view bytes) const;

    std::string file_;
    std::vector<Op> ops_;
    bool refused_ = false;
};

}  // namespace profile
