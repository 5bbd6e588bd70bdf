#include "tools/common/arg_reader.h"

#include <charconv>
#include <utility>

namespace tools {

std::string_view ArgReader::Next() {
    std::string_view word = args_[next_++];
    inlineValue_.reset();
    if (std::size_t eq = word.find('='); word.starts_with("--") && eq != std::string_view::npos) {
        inlineValue_ = std::string(word.substr(eq + 1));
        word = word.substr(0, eq);
    }
    return word;
}

std::optional<std::string> ArgReader::Value() {
    if (inlineValue_) return std::exchange(inlineValue_, std::nullopt);
    if (Done()) return std::nullopt;
    return std::string(args_[next_++]);
}

std::optional<long long> ParseCount(std::string_view text) {
    long long value = 0;
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace tools
