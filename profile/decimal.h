// Decimal text to integer, the way the platform's own conversions treat it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace profile {

// Skips leading white space, takes one optional sign and the digits up to the first non-digit.
// No digits gives 0. Values beyond 32 bits wrap modulo 2^32 instead of saturating, as the
// platform's profile and runtime conversions do.
constexpr std::int32_t ParseDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::uint32_t value = 0;  // unsigned, so overflow wraps instead of being undefined
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

// What an integer lookup makes of a value: the fallback when it is missing or empty.
constexpr std::int32_t ProfileInt(std::optional<std::string_view> value, std::int32_t fallback) {
    return !value || value->empty() ? fallback : ParseDecimal(*value);
}

}  // namespace profile
