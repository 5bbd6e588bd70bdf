// The platform's three profile calls over this layer: the adapter that the tests, the fuzz
// targets and the benchmark hold the layer's rules against, as the platform's calls behave. The
// panel and the tools read and write through box_config.h and box_status.h instead.
#pragma once

#include "profile/win_types.h"

namespace profile {

// The platform's three profile calls, with its signatures and behaviour. They are this layer's
// own on every platform, so that its rules are held to the same calls everywhere; on Windows the
// system's calls of the same names stay outside the namespace and never reach this layer.
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
