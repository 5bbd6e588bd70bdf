// Random edits applied to random files. After each: the written key reads back as written,
// no other key changed its value, and the file holds one entry more, one fewer or as many as
// the edit calls for.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "profile/ini_text.h"
#include "tests/fuzz/reference.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string PickName(FuzzedDataProvider& in, const std::vector<std::string_view>& names) {
    if (!names.empty() && in.ConsumeBool())
        return std::string(names[in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)]);
    return in.ConsumeRandomLengthString(12);
}

// Every (section, key) pair the file answers for, with its value.
struct Pair {
    std::string_view section, key, value;
};

std::vector<Pair> Everything(const reference::Model& model) {
    std::vector<Pair> pairs;
    std::vector<std::string_view> sections = model.Sections();
    sections.push_back("");
    for (std::string_view section : sections)
        for (std::string_view key : model.Keys(section))
            pairs.push_back({section, key, model.Find(section, key).value()});
    return pairs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int edits = in.ConsumeIntegralInRange(1, 4);
    std::vector<std::uint8_t> script = in.ConsumeBytes<std::uint8_t>(edits * 24);
    profile::IniText text(in.ConsumeRemainingBytesAsString());
    FuzzedDataProvider ask(script.data(), script.size());

    for (int edit = 0; edit < edits; ++edit) {
        const std::string before = text.bytes();
        const reference::Model was(before);
        const std::string section = PickName(ask, was.Sections());
        const std::string key = PickName(ask, was.Keys(section));
        const int kind = ask.ConsumeIntegralInRange(0, 2);
        const std::string value = ask.ConsumeRandomLengthString(12);
        // What the write call would refuse, or what a C string cannot carry, is not written.
        if (!profile::IsWritableSection(section) || !profile::IsWritableKey(key) ||
            !profile::IsWritableValue(value) ||
            (section + key + value).find('\0') != std::string::npos)
            continue;

        const std::optional<std::string_view> old = was.Find(section, key);
        const bool sectionThere = was.Section(section).has_value();
        bool changed = false;
        long expectedEntries = static_cast<long>(was.EntryCount());
        if (kind == 0) {
            changed = text.Set(section, key, value);
            const std::string_view readBack = reference::Unquote(reference::Trim(value));
            Check(reference::Model(text.bytes()).Find(section, key) == readBack);
            Check(text.Find(section, key) == readBack);
            expectedEntries += old ? 0 : 1;
        } else if (kind == 1) {
            changed = text.DeleteKey(section, key);
            Check(changed == old.has_value());
            expectedEntries -= old ? 1 : 0;
        } else {
            changed = text.DeleteSection(section);
            Check(changed == sectionThere);
            expectedEntries -= static_cast<long>(was.Keys(section).size());
        }
        Check(changed == (text.bytes() != before));
        const reference::Model now(text.bytes());
        Check(static_cast<long>(now.EntryCount()) == expectedEntries);

        // Keys of the section edited may be shadowed by or uncover a later one of the same name.
        for (const Pair& pair : Everything(was)) {
            const bool edited = reference::Same(pair.section, reference::Trim(section)) &&
                                (kind == 2 || reference::Same(pair.key, reference::Trim(key)));
            if (edited) continue;
            Check(now.Find(pair.section, pair.key) == pair.value);
        }
    }
    return 0;
}
