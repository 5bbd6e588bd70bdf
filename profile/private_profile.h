// The profile file calls the panel is written against, with the platform's signatures and
// behaviour, plus one way to make many writes at once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "profile/win_types.h"

namespace profile {

// The platform's three profile calls, with its signatures and behaviour. They are this layer's
// own on every platform, so that the panel behaves the same everywhere; on Windows the system's
// calls of the same names stay outside the namespace and the system's code never reaches them.
// A bare file name resolves in the profile directory (see file_store.h). Reads never fail: a
// missing or unreadable file reads as empty. A read with a null section or key lists nothing (no
// program of the installation asks for lists). A write returns FALSE with errno set when it could
// not be made, and leaves the file as it was; text containing CR or LF is refused with EINVAL
// rather than written, since it would create lines of its own in a file other programs trust, and
// so are the null key or value that would ask for a deletion.
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

// Writes collected and then committed as one save of the file: other readers see all of them or
// none.
class Batch {
  public:
    explicit Batch(LPCSTR fileName) : file_(fileName ? fileName : "") {}

    void Write(LPCSTR section, LPCSTR key, LPCSTR value);
    // FALSE with errno set when any write is refused or the file cannot be saved; then nothing
    // at all is written.
    BOOL Commit();

  private:
    struct Op {
        std::string section, key, value;
    };

    std::string file_;
    std::vector<Op> ops_;
    bool refused_ = false;
};

}  // namespace profile
