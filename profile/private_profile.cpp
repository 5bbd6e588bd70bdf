#include "profile/private_profile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "profile/decimal.h"
#include "profile/file_store.h"

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

// The memory of the last read on this thread, lent to the next one: already mapped, so a read
// into it does not first fault in fresh pages. Its bytes are never looked at again; every read
// fills it afresh. A very large file's memory is not kept.
constexpr std::size_t kKeptMemory = 16u << 20;

TextBuffer& SpareMemory() {
    thread_local TextBuffer spare;
    return spare;
}

void GiveBack(TextBuffer memory) {
    TextBuffer& spare = SpareMemory();
    if (memory.capacity() <= kKeptMemory && memory.capacity() > spare.capacity())
        spare = std::move(memory);
}

// Reads the file into `index`, each piece looked at as it arrives. With `wantedOnly`, the read
// stops as soon as the wanted sections and their ends are known. A missing or unreadable file
// reads as empty.
void Read(LPCSTR fileName, IniIndex& index, bool wantedOnly) {
    std::optional<std::size_t> size;
    if (fileName && *fileName) {
        size = ReadFileInto(ResolveProfilePath(fileName), index.memory(), [&](std::size_t have) {
            return index.Arrived(have) || !wantedOnly;
        });
    }
    index.Complete(size.value_or(0));
}

// One lookup as the platform answers it, from an IniText or an IniIndex.
template <typename Text>
DWORD GetStringIn(Text& text, LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer,
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

template <typename Text>
UINT GetIntIn(Text& text, LPCSTR section, LPCSTR key, INT fallback) {
    if (!section || !key) return static_cast<UINT>(fallback);
    std::optional<std::string_view> value = text.Find(section, key);
    if (!value || value->empty()) return static_cast<UINT>(fallback);
    return static_cast<UINT>(ParseDecimal(*value));
}

// A single call makes one lookup: only its section is looked for, and the read ends with it.
// The list of sections needs the whole file.
class SingleLookup {
  public:
    explicit SingleLookup(LPCSTR fileName, LPCSTR section)
        : text_(std::move(SpareMemory()),
                section ? std::vector<std::string>{section} : std::vector<std::string>{}) {
        Read(fileName, text_, section != nullptr);
    }
    ~SingleLookup() { GiveBack(text_.TakeMemory()); }
    IniIndex& text() { return text_; }

  private:
    IniIndex text_;
};

DWORD LookUpString(LPCSTR fileName, LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer,
                   DWORD size) {
    if (!buffer || size == 0) return 0;
    SingleLookup lookup(fileName, section);
    return GetStringIn(lookup.text(), section, key, fallback, buffer, size);
}

UINT LookUpInt(LPCSTR fileName, LPCSTR section, LPCSTR key, INT fallback) {
    if (!section || !key) return static_cast<UINT>(fallback);
    SingleLookup lookup(fileName, section);
    return GetIntIn(lookup.text(), section, key, fallback);
}

}  // namespace

Snapshot::Snapshot(LPCSTR fileName, std::vector<std::string> sections)
    : text_(std::move(SpareMemory()), std::move(sections)) {
    Read(fileName, text_, false);
}

Snapshot::~Snapshot() { GiveBack(text_.TakeMemory()); }

DWORD Snapshot::GetString(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer, DWORD size) {
    return GetStringIn(text_, section, key, fallback, buffer, size);
}

UINT Snapshot::GetInt(LPCSTR section, LPCSTR key, INT fallback) {
    return GetIntIn(text_, section, key, fallback);
}

bool Batch::WouldChangeNothing(const std::string& bytes) const {
    IniIndex index(bytes);
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
        // Saving what is already there is the common case: one indexed pass tells, where the
        // edits below would each look through the file again.
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
