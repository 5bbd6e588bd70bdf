#include "profile/private_profile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "profile/decimal.h"
#include "profile/file_store.h"
#include "profile/ini_editor.h"
#include "profile/ini_reader.h"

namespace profile {

namespace {

DWORD CopyOut(std::string_view text, LPSTR buffer, DWORD size) {
    const DWORD n = static_cast<DWORD>(std::min<std::size_t>(text.size(), size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

// A missing or unreadable file reads as empty.
std::optional<FileText> Read(LPCSTR fileName) {
    return fileName && *fileName ? ReadProfileFile(fileName) : std::nullopt;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (!lpReturnedString || nSize == 0) return 0;
    if (!lpAppName || !lpKeyName) {  // an empty list, closed by two NULs where they fit
        lpReturnedString[0] = '\0';
        if (nSize > 1) lpReturnedString[1] = '\0';
        return 0;
    }
    const std::optional<FileText> file = Read(lpFileName);
    if (const auto value = FindValue(TextOf(file), lpAppName, lpKeyName))
        return CopyOut(*value, lpReturnedString, nSize);
    // The platform drops trailing blanks of the default.
    std::string_view def = lpDefault ? lpDefault : "";
    while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
    return CopyOut(def, lpReturnedString, nSize);
}

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
    if (!lpAppName || !lpKeyName) return static_cast<UINT>(nDefault);
    const std::optional<FileText> file = Read(lpFileName);
    return static_cast<UINT>(ProfileInt(FindValue(TextOf(file), lpAppName, lpKeyName), nDefault));
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                LPCSTR lpFileName) {
    if (!lpFileName || !*lpFileName || !lpAppName || !lpKeyName || !lpString ||
        !IsWritableSection(lpAppName) || !IsWritableKey(lpKeyName) || !IsWritableValue(lpString)) {
        errno = EINVAL;
        return FALSE;
    }
    const bool saved = UpdateFile(lpFileName, [&](std::optional<std::string>& bytes) {
        if (!bytes) bytes.emplace();
        return SetEntry(*bytes, lpAppName, lpKeyName, lpString);
    });
    return saved ? TRUE : FALSE;
}

}  // namespace profile
