// Every kind of lookup in any bytes, through the editor's text and the snapshot, held to the
// plain model: strings cut to capacities 0 to 100, integers, key and section lists; and the
// index asked for sections it was told of ahead and for others.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "profile/decimal.h"
#include "profile/private_profile.h"
#include "tests/fuzz/reference.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

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

// What GetPrivateProfileStringA puts in a list buffer of `size` bytes, and returns.
std::pair<std::string, DWORD> ListIn(const std::vector<std::string_view>& names, DWORD size) {
    std::string out;
    for (std::string_view name : names) out.append(name).push_back('\0');
    if (size < 2) return {std::string(size, '\0'), 0};
    if (out.size() + 1 <= size) {
        DWORD n = static_cast<DWORD>(out.size());
        out += '\0';
        if (n == 0) out += '\0';
        return {out, n};
    }
    out.resize(size - 2);
    return {out + std::string(2, '\0'), size - 2};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int rounds = in.ConsumeIntegralInRange(1, 6);
    std::vector<std::uint8_t> script = in.ConsumeBytes<std::uint8_t>(rounds * 12);
    const std::string file = in.ConsumeRemainingBytesAsString();
    FuzzedDataProvider ask(script.data(), script.size());

    const reference::Model model(file);
    const std::vector<std::string_view> sections = model.Sections();
    profile::IniText text(file);
    const profile::Snapshot snapshot = profile::Snapshot::OfBytes(file);

    for (int round = 0; round < rounds; ++round) {
        const std::string section = PickName(ask, sections);
        const std::string key = PickName(ask, model.Keys(section));
        const std::optional<std::string_view> expected = model.Find(section, key);

        std::optional<std::string_view> found = text.Find(section, key);
        Check(found.has_value() == expected.has_value());
        Check(!found || *found == *expected);

        const DWORD capacity = ask.ConsumeIntegralInRange<DWORD>(0, 100);
        auto buffer = std::make_unique<char[]>(capacity + 1);  // one guard byte past the end
        buffer[capacity] = '\x5a';
        switch (ask.ConsumeIntegralInRange(0, 3)) {
            case 0: {  // a string with a default that has trailing blanks
                DWORD n = snapshot.GetString(section.c_str(), key.c_str(), "dflt  ", buffer.get(),
                                             capacity);
                if (capacity == 0) {
                    Check(n == 0);
                    break;
                }
                std::string_view want = expected.value_or("dflt").substr(0, capacity - 1);
                Check(n == want.size() && std::memcmp(buffer.get(), want.data(), n) == 0 &&
                      buffer[n] == 0);
                break;
            }
            case 1: {  // an integer
                const INT fallback = -77;
                UINT n = snapshot.GetInt(section.c_str(), key.c_str(), fallback);
                const std::int32_t want =
                    !expected || expected->empty() ? fallback : reference::Decimal(*expected);
                Check(static_cast<std::int32_t>(n) == want);
                Check(profile::ParseDecimal(expected.value_or("")) ==
                      reference::Decimal(expected.value_or("")));
                break;
            }
            case 2: {  // the keys of a section
                auto [want, n] = ListIn(model.Keys(section), capacity);
                Check(snapshot.GetString(section.c_str(), nullptr, "", buffer.get(), capacity) ==
                      n);
                Check(std::memcmp(buffer.get(), want.data(), want.size()) == 0);
                std::vector<std::string_view> keys = text.Keys(section);
                Check(keys == model.Keys(section));
                break;
            }
            default: {  // the sections of the file
                auto [want, n] = ListIn(sections, capacity);
                Check(snapshot.GetString(nullptr, nullptr, "", buffer.get(), capacity) == n);
                Check(std::memcmp(buffer.get(), want.data(), want.size()) == 0);
                std::vector<std::string_view> names = text.Sections();
                Check(names == sections);
                break;
            }
        }
        Check(buffer[capacity] == '\x5a');

        // The same lookup from an index told of two sections ahead, one of them perhaps this
        // one, and asked for these and for others.
        const std::string other = PickName(ask, sections);
        const std::string_view wanted[] = {other, section};
        const profile::IniIndex index(file, wanted);
        for (const std::string& name : {section, other, std::string("Box1"), std::string()}) {
            const std::optional<std::string_view> want = model.Find(name, key);
            found = index.Find(name, key);
            Check(found.has_value() == want.has_value());
            Check(!found || *found == *want);
            Check(index.Keys(name) == model.Keys(name));
        }
        Check(index.Sections() == sections);
    }
    return 0;
}
