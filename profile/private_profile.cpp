#include "profile/private_profile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "profile/decimal.h"
#include "profile/file_store.h"
#include "profile/ini_text.h"

namespace profile {

namespace {

DWORD CopyOut(std::string_view text, LPSTR buffer, DWORD size) {
    DWORD n = static_cast<DWORD>(std::min<std::size_t>(text.size(), size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

// Names as a list of NUL-terminated strings closed by one more NUL. When the list does not
// fit, it is cut, still closed by two NULs, and the length returned is size - 2.
DWORD CopyList(const std::vector<std::string_view>& names, LPSTR buffer, DWORD size) {
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    DWORD at = 0;
    for (std::string_view name : names) {
        if (at + name.size() + 2 > size) {
            if (at < size - 2) std::memcpy(buffer + at, name.data(), size - 2 - at);
            buffer[size - 2] = buffer[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buffer + at, name.data(), name.size());
        at += static_cast<DWORD>(name.size());
        buffer[at++] = '\0';
    }
    buffer[at] = '\0';
    if (at == 0 && size > 1) buffer[1] = '\0';
    return at;
}

// A missing or unreadable file reads as empty.
std::optional<FileText> Read(LPCSTR fileName) {
    return fileName && *fileName ? ReadProfileFile(fileName) : std::nullopt;
}

// One lookup as the platform answers it.
DWORD GetStringIn(const IniIndex& text, LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer,
                  DWORD size) {
    if (!buffer || size == 0) return 0;
    if (!section) return CopyList(text.Sections(), buffer, size);
    if (!key) return CopyList(text.Keys(section), buffer, size);
    if (std::optional<std::string_view> value = text.Find(section, key))
        return CopyOut(*value, buffer, size);
    // The platform drops trailing blanks of the default.
    std::string_view def = fallback ? fallback : "";
    while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
    return CopyOut(def, buffer, size);
}

UINT GetIntIn(const IniIndex& text, LPCSTR section, LPCSTR key, INT fallback) {
    if (!section || !key) return static_cast<UINT>(fallback);
    return static_cast<UINT>(ProfileInt(text.Find(section, key), fallback));
}

// A single call makes one lookup, which looks only for its section.
DWORD LookUpString(LPCSTR fileName, LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer,
                   DWORD size) {
    if (!buffer || size == 0) return 0;
    const std::optional<FileText> file = Read(fileName);
    return GetStringIn(IniIndex(TextOf(file)), section, key, fallback, buffer, size);
}

UINT LookUpInt(LPCSTR fileName, LPCSTR section, LPCSTR key, INT fallback) {
    if (!section || !key) return static_cast<UINT>(fallback);
    const std::optional<FileText> file = Read(fileName);
    return GetIntIn(IniIndex(TextOf(file)), section, key, fallback);
}

std::vector<std::string_view> ViewsOf(const std::vector<std::string>& names) {
    return std::vector<std::string_view>(names.begin(), names.end());
}

}  // namespace

Snapshot::Snapshot(LPCSTR fileName, std::vector<std::string> sections)
    : Snapshot(Read(fileName), std::move(sections)) {}

Snapshot::Snapshot(std::optional<FileText> file, std::vector<std::string> sections)
    : file_(file ? std::move(*file) : FileText{}),
      sections_(std::move(sections)),
      index_(file_.text(), ViewsOf(sections_)) {}

Snapshot Snapshot::OfBytes(std::string bytes, std::vector<std::string> sections) {
    FileText file;
    file.bytes.reset(new char[bytes.size()]);
    file.size = bytes.size();
    std::memcpy(file.bytes.get(), bytes.data(), bytes.size());
    return Snapshot(std::move(file), std::move(sections));
}

DWORD Snapshot::GetString(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer,
                          DWORD size) const {
    return GetStringIn(index_, section, key, fallback, buffer, size);
}

UINT Snapshot::GetInt(LPCSTR section, LPCSTR key, INT fallback) const {
    return GetIntIn(index_, section, key, fallback);
}

bool Batch::WouldChangeNothing(std::string_view bytes) const {
    std::vector<std::string_view> sections;
    for (const Op& op : ops_) sections.push_back(op.section);
    const IniIndex index(bytes, sections);
    for (const Op& op : ops_) {
        if (!op.hasKey || !op.hasValue || index.FindRaw(op.section, op.key) != op.value)
            return false;
    }
    return true;
}

void Batch::Write(LPCSTR section, LPCSTR key, LPCSTR value) {
    if (!section || (key && !IsWritableKey(key)) || (value && !IsWritableValue(value)) ||
        !IsWritableSection(section)) {
        refused_ = true;
        return;
    }
    ops_.push_back({section, key ? key : "", value ? value : "", key != nullptr, value != nullptr});
}

BOOL Batch::Commit() {
    if (refused_ || file_.empty()) {
        errno = EINVAL;
        return FALSE;
    }
    bool ok = UpdateFile(file_, [this](std::optional<std::string>& bytes) {
        // Saving what is already there is the common case: one pass over the file tells, where
        // the edits below would each look through it again.
        if (bytes && WouldChangeNothing(*bytes)) return false;
        IniText text(bytes.value_or(std::string()));
        bool changed = false;
        for (const Op& op : ops_) {
            if (!op.hasKey)
                changed |= text.DeleteSection(op.section);
            else if (!op.hasValue)
                changed |= text.DeleteKey(op.section, op.key);
            else
                changed |= text.Set(op.section, op.key, op.value);
        }
        if (changed) bytes = text.bytes();
        return changed;
    });
    return ok ? TRUE : FALSE;
}

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    return LookUpString(lpFileName, lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize);
}

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
    return LookUpInt(lpFileName, lpAppName, lpKeyName, nDefault);
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                LPCSTR lpFileName) {
    if (!lpAppName) {
        // All three null asks the platform to flush its cache, which it answers with FALSE.
        errno = (lpKeyName || lpString) ? EINVAL : 0;
        return FALSE;
    }
    Batch batch(lpFileName);
    batch.Write(lpAppName, lpKeyName, lpString);
    return batch.Commit();
}

}  // namespace profile
