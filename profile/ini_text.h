// The bytes of one profile file, read and edited in memory. Nothing here touches the disk.
//
// Reading follows the platform's profile rules: section and key names match without regard to
// ASCII case, blanks around names and values are trimmed, one pair of enclosing quotes is
// dropped, a NUL ends the line it is in, only the first section of a name is seen and within it
// the first occurrence of a key. Editing changes only the line concerned (or appends one), so
// comments, unknown keys, other sections and their line endings stay byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profile/text_buffer.h"

namespace profile {

class IniText {
  public:
    IniText() = default;
    explicit IniText(std::string bytes) : bytes_(std::move(bytes)) {}

    const std::string& bytes() const { return bytes_; }

    // The value of key in section, or nothing when the section or key is missing. An entry
    // "Key=" gives an empty value, which is not the same as missing.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    // The key names of a section, and the section names of the file, in file order.
    std::vector<std::string_view> Keys(std::string_view section) const;
    std::vector<std::string_view> Sections() const;

    // Each edit returns whether the bytes changed. New lines end in CRLF.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);

  private:
    struct Match;
    Match Locate(std::string_view section, std::string_view key) const;

    std::string bytes_;
};

// The same answers as IniText for bytes that no longer change, made cheap for many lookups:
// a section's entries are parsed the first time a key is looked up in it. Not for use from two
// threads at once.
//
// The sections the lookups will ask for may be named when the index is made ("wanted"): they
// are then found while the text arrives, piece by piece, and no other header is remembered; a
// '[' that cannot open one of them is passed over without a look at its line. A lookup of any
// other section, or of the list of sections, first indexes every header of the whole text.
class IniIndex {
  public:
    explicit IniIndex(std::string bytes);
    // Text that will arrive in `memory`, which the index keeps until TakeMemory.
    IniIndex(TextBuffer memory, std::vector<std::string> wanted);
    IniIndex(const IniIndex&) = delete;
    IniIndex& operator=(const IniIndex&) = delete;
    ~IniIndex();

    TextBuffer& memory() { return memory_; }
    // The first `size` bytes of memory() are the text so far. Returns false once every wanted
    // section has been found with its end: the rest of the text does not change their answers.
    bool Arrived(std::size_t size);
    // The text is the first `size` bytes of memory(); nothing more arrives. A reader that
    // stopped when Arrived said so may look up only the wanted sections.
    void Complete(std::size_t size);
    // The memory, for the next read; the index is then empty.
    TextBuffer TakeMemory();

    std::optional<std::string_view> Find(std::string_view section, std::string_view key);
    // The bytes after '=' as they stand, untrimmed: what IniText::Set compares a value with.
    std::optional<std::string_view> FindRaw(std::string_view section, std::string_view key);
    std::vector<std::string_view> Keys(std::string_view section);
    std::vector<std::string_view> Sections();

    // The bytes that may follow the '[' of a wanted header.
    struct Starts;

  private:
    // The first of each name, among names kept elsewhere, found by its case-folded hash.
    struct NameTable {
        std::vector<std::uint64_t> slots;  // hash << 32 | (position + 1); empty when few names

        void Build(const std::string_view* names, std::size_t count);
        std::optional<std::size_t> First(const std::string_view* names, std::size_t count,
                                         std::string_view name) const;
    };
    // A parsed section: its entries are [first, first + count) of keyNames_, values_ and
    // rawValues_.
    struct Entries {
        std::size_t section;  // where its entries begin, or kLeading
        std::size_t first = 0, count = 0;
        NameTable keys;
    };
    // A section's entries lie in [begin, end).
    struct Span {
        std::size_t key, begin, end;
    };
    struct Wanted {
        std::string name;  // trimmed
        bool found = false;
        std::size_t begin = 0, end = kOpen;
    };
    static constexpr std::size_t kLeading = SIZE_MAX;
    static constexpr std::size_t kOpen = SIZE_MAX;
    class Scanner;

    void Scan(std::size_t limit);
    void ResetScan();
    void IndexAll();
    std::size_t FirstHeaderBegin();
    std::optional<Span> SectionOf(std::string_view name);
    const Entries& EntriesOf(const Span& span);
    std::optional<std::size_t> KeyOf(std::string_view section, std::string_view key);

    std::string owned_;
    TextBuffer memory_;
    std::string_view text_;

    // Finding the wanted sections while the text arrives.
    std::vector<Wanted> wanted_;
    std::uint64_t wantedShapes_[16] = {};  // (length, first letter) of the wanted names
    std::unique_ptr<Starts> wantedStarts_;  // what may follow the '[' of a wanted header
    std::size_t wantedLeft_ = 0;
    bool wantedOpen_ = false;  // a found section's end is not known yet
    std::unique_ptr<Scanner> scanner_;
    std::size_t scannedTo_ = 0;  // the scan has seen the text up to here
    std::size_t firstHeader_ = kOpen;

    // Every header, indexed when first needed.
    bool indexed_ = false;
    std::vector<std::string_view> sectionNames_;
    NameTable sectionTable_;
    std::vector<std::size_t> headerBegin_, bodyBegin_;  // by header position
    std::optional<bool> leadingHasEntries_;
    std::vector<Entries> parsed_;
    std::vector<std::string_view> keyNames_, values_, rawValues_;
};

// Text that may be written as a section name, key or value without creating other lines,
// sections or keys than the one meant.
bool IsWritableSection(std::string_view section);
bool IsWritableKey(std::string_view key);
bool IsWritableValue(std::string_view value);

}  // namespace profile
