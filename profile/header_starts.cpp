#include "profile/header_starts.h"

#include <cstdint>
#include <cstring>

#include "profile/ini_lines.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define MIRELKO_WIDE_HEADER_SCAN 1
#endif

namespace profile {

namespace {

// A memchr scan stops at every '[', and in a long file of other sections each stop costs a
// mispredicted branch.
std::size_t PlainNext(const HeaderStarts& starts, const char* text, std::size_t from,
                      std::size_t size) {
    while (from < size) {
        const void* hit = std::memchr(text + from, '[', size - from);
        if (!hit) return size;
        const std::size_t open = static_cast<std::size_t>(static_cast<const char*>(hit) - text);
        if (open + 1 < size && starts.Allows(text[open + 1])) return open;
        from = open + 1;
    }
    return size;
}

#ifdef MIRELKO_WIDE_HEADER_SCAN
// Where in the 32 bytes at `text` a '[' is followed by a byte that may be allowed: one below 0x21
// or above 0x7F, or one of the letters once bit 5 is set. That lets a few more through than
// `starts` allows; they are passed over one by one.
__attribute__((target("avx2"))) inline unsigned Candidates(const char* text,
                                                           const unsigned char (&letters)[2]) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + 1));
    const __m256i folded = _mm256_or_si256(next, _mm256_set1_epi8(0x20));
    const __m256i allowed = _mm256_or_si256(
        _mm256_or_si256(_mm256_cmpeq_epi8(folded, _mm256_set1_epi8(static_cast<char>(letters[0]))),
                        _mm256_cmpeq_epi8(folded, _mm256_set1_epi8(static_cast<char>(letters[1])))),
        _mm256_cmpgt_epi8(_mm256_set1_epi8(0x21), next));
    const __m256i hits = _mm256_and_si256(_mm256_cmpeq_epi8(here, _mm256_set1_epi8('[')), allowed);
    return static_cast<unsigned>(_mm256_movemask_epi8(hits));
}

// 64 bytes at a time, without a branch for each '[' that is passed over.
__attribute__((target("avx2"))) std::size_t WideNext(const HeaderStarts& starts,
                                                     const unsigned char (&letters)[2],
                                                     const char* text, std::size_t from,
                                                     std::size_t size) {
    for (; from + 65 <= size; from += 64) {
        std::uint64_t bits = Candidates(text + from, letters) |
                             std::uint64_t{Candidates(text + from + 32, letters)} << 32;
        for (; bits != 0; bits &= bits - 1) {
            const std::size_t at = from + static_cast<std::size_t>(__builtin_ctzll(bits));
            if (starts.Allows(text[at + 1])) return at;
        }
    }
    return PlainNext(starts, text, from, size);
}
#endif

}  // namespace

void HeaderStarts::Add(std::string_view name) {
    for (char blank : {' ', '\t', '\v', '\f'}) allowed_[static_cast<unsigned char>(blank)] = true;
    const char first = Fold(name.front());
    allowed_[static_cast<unsigned char>(first)] = true;
    if (first >= 'a' && first <= 'z')
        allowed_[static_cast<unsigned char>(first - 'a' + 'A')] = true;
    const auto letter = static_cast<unsigned char>(first | 0x20);
    if (letterCount_ > 0 && letters_[0] == letter) return;
    if (letterCount_ > 1 && letters_[1] == letter) return;
    if (letterCount_ < 2) letters_[letterCount_] = letters_[1] = letter;
    ++letterCount_;
}

std::size_t HeaderStarts::Next(const char* text, std::size_t from, std::size_t size) const {
#ifdef MIRELKO_WIDE_HEADER_SCAN
    if (letterCount_ <= 2 && __builtin_cpu_supports("avx2"))
        return WideNext(*this, letters_, text, from, size);
#endif
    return PlainNext(*this, text, from, size);
}

}  // namespace profile
