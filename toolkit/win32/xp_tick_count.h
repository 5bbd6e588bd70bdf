// The 64-bit tick count from the 32-bit one, for Windows that lack GetTickCount64.
#pragma once

#include <cstdint>

namespace toolkit::win32 {

// The count after `last` whose low 32 bits are `now`: the same round of the 32-bit count, or the
// next one when it went round since.
std::uint64_t ExtendTickCount(std::uint64_t last, std::uint32_t now);

}  // namespace toolkit::win32
