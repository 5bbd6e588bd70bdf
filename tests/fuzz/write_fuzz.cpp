// Random writes applied to random files. After each: the written key reads back as written, no
// other key changed its value, and the file holds one entry more or as many as before.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "profile/ini_editor.h"
#include "profile/ini_reader.h"
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
    std::string text = in.ConsumeRemainingBytesAsString();
    FuzzedDataProvider ask(script.data(), script.size());

    for (int edit = 0; edit < edits; ++edit) {
        const std::string before = text;
        const reference::Model was(before);
        const std::string section = PickName(ask, was.Sections());
        const std::string key = PickName(ask, was.Keys(section));
        const std::string value = ask.ConsumeRandomLengthString(12);
        // What the write call would refuse, or what a C string cannot carry, is not written.
        if (!profile::IsWritableSection(section) || !profile::IsWritableKey(key) ||
            !profile::IsWritableValue(value) ||
            (section + key + value).find('\0') != std::string::npos)
            continue;

        const std::optional<std::string_view> old = was.Find(section, key);
        const bool changed = profile::SetEntry(text, section, key, value);
        const std::string_view readBack = reference::Unquote(reference::Trim(value));
        const reference::Model now(text);
        Check(now.Find(section, key) == readBack);
        Check(profile::FindValue(text, section, key) == readBack);
        Check(changed == (text != before));
        Check(now.EntryCount() == was.EntryCount() + (old ? 0 : 1));

        // Keys of the section edited may be shadowed by or uncover a later one of the same name.
        for (const Pair& pair : Everything(was)) {
            if (reference::Same(pair.section, reference::Trim(section)) &&
                reference::Same(pair.key, reference::Trim(key)))
                continue;
            Check(now.Find(pair.section, pair.key) == pair.value);
        }
    }
    return 0;
}
