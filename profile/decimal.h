// Decimal text to integer, the way the platform's own conversions treat it.
#pragma once

#include <cstdint>
#include <string_view>

namespace profile {

// Skips leading white space, takes one optional sign and the digits up to the first non-digit.
// No digits gives 0. Values beyond 32 bits wrap modulo 2^32 instead of saturating, as the
// platform's profile and runtime conversions do.
std::int32_t ParseDecimal(std::string_view text);

}  // namespace profile
