// ParseDottedQuad against the documented rule, on any text.
#include <cstdlib>
#include <string_view>

#include "profile/box_config.h"
#include "tests/fuzz/reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const profile::Octets octets = profile::ParseDottedQuad(text);
    const std::vector<int> want = reference::DottedQuad(text);
    for (std::size_t i = 0; i < 4; ++i) {
        if (octets[i] != want[i]) std::abort();
    }
    return 0;
}
