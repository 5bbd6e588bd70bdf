#include "profile/header_starts.h"

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
// 32 bytes at a time, without a branch for a '[' that is passed over: a byte may follow when it
// is at most a blank (0x20) or when, with bit 5 set, it is one of the letters. That lets a few
// more through than `starts` allows, which are then passed over one by one.
__attribute__((target("avx2"))) std::size_t WideNext(const HeaderStarts& starts,
                                                     const unsigned char (&letters)[2],
                                                     const char* text, std::size_t from,
                                                     std::size_t size) {
    const __m256i open = _mm256_set1_epi8('[');
    const __m256i space = _mm256_set1_epi8(0x20);
    const __m256i first = _mm256_set1_epi8(static_cast<char>(letters[0]));
    const __m256i second = _mm256_set1_epi8(static_cast<char>(letters[1]));
    for (; from + 33 <= size; from += 32) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + from));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + from + 1));
        const __m256i folded = _mm256_or_si256(next, space);
        const __m256i allowed = _mm256_or_si256(
            _mm256_or_si256(_mm256_cmpeq_epi8(folded, first), _mm256_cmpeq_epi8(folded, second)),
            _mm256_cmpeq_epi8(_mm256_min_epu8(next, space), next));
        const __m256i hits = _mm256_and_si256(_mm256_cmpeq_epi8(here, open), allowed);
        if (_mm256_testz_si256(hits, hits)) continue;
        const auto bits = static_cast<unsigned>(_mm256_movemask_epi8(hits));
        const std::size_t at = from + static_cast<std::size_t>(__builtin_ctz(bits));
        if (starts.Allows(text[at + 1])) return at;
        from = at + 1 - 32;  // on after this one
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
