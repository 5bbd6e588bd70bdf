// Every kind of lookup in any bytes, held to the plain model: the profile calls on the file,
// strings cut to capacities 0 to 100 and integers; and lookups made together in one pass.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "profile/decimal.h"
#include "profile/file_store.h"
#include "profile/ini_reader.h"
#include "profile/private_profile.h"
#include "tests/fuzz/file_on_disk.h"
#include "tests/fuzz/reference.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

constexpr const char* kFile = "read.ini";

// A name the lookup asks for: one from the file, perhaps in other case or with blanks around,
// or one it does not hold.
std::string PickName(FuzzedDataProvider& in, const std::vector<std::string_view>& names) {
    std::string name;
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            if (!names.empty())
                name = names[in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)];
            break;
        case 1:
            if (!names.empty())
                name = names[in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)];
            for (char& c : name)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            name = " \t" + name + " ";
            break;
        case 2:
            name = "Box1";
            break;
        default:
            break;  // ""
    }
    // The calls take C strings: nothing after a NUL is asked for.
    return name.substr(0, name.find('\0'));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::UsePrivateProfileDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int rounds = in.ConsumeIntegralInRange(1, 6);
    std::vector<std::uint8_t> script = in.ConsumeBytes<std::uint8_t>(rounds * 12);
    const std::string file = in.ConsumeRemainingBytesAsString();
    FuzzedDataProvider ask(script.data(), script.size());

    fuzzing::PutFile(kFile, file);

    const reference::Model model(file);
    const std::vector<std::string_view> sections = model.Sections();

    for (int round = 0; round < rounds; ++round) {
        const std::string section = PickName(ask, sections);
        const std::string key = PickName(ask, model.Keys(section));
        const std::optional<std::string_view> expected = model.Find(section, key);
        Check(profile::FindValue(file, section, key) == expected);

        const DWORD capacity = ask.ConsumeIntegralInRange<DWORD>(0, 100);
        auto buffer = std::make_unique<char[]>(capacity + 1);  // one guard byte past the end
        buffer[capacity] = '\x5a';
        if (ask.ConsumeBool()) {  // a string with a default that has trailing blanks
            const DWORD n = profile::GetPrivateProfileStringA(
                section.c_str(), key.c_str(), "dflt  ", buffer.get(), capacity, kFile);
            if (capacity == 0) {
                Check(n == 0);
            } else {
                std::string_view want = expected.value_or("dflt").substr(0, capacity - 1);
                Check(n == want.size() && std::memcmp(buffer.get(), want.data(), n) == 0 &&
                      buffer[n] == 0);
            }
        } else {  // an integer
            const INT fallback = -77;
            const UINT n =
                profile::GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, kFile);
            const std::int32_t want =
                !expected || expected->empty() ? fallback : reference::Decimal(*expected);
            Check(static_cast<std::int32_t>(n) == want);
            Check(profile::ParseDecimal(expected.value_or("")) ==
                  reference::Decimal(expected.value_or("")));
        }
        Check(buffer[capacity] == '\x5a');

        // The same lookup made together with others in one pass, in either order, and those
        // others too.
        const std::string other = PickName(ask, sections);
        const std::string otherKey = PickName(ask, model.Keys(other));
        const profile::Wanted wanted[] = {
            {other, otherKey}, {section, key}, {"Box1", key}, {"", key}};
        profile::Found found[std::size(wanted)];
        profile::FindAll(file, profile::Lookups(wanted), found);
        for (std::size_t i = 0; i < std::size(wanted); ++i) {
            const auto want = model.Find(wanted[i].section, wanted[i].key);
            Check(found[i].entry ? want && found[i].entry->value == *want : !want);
            Check(found[i].section.has_value() == model.Section(wanted[i].section).has_value());
        }
    }
    return 0;
}
