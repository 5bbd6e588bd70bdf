// Walks a command line of long options: "--name value" and "--name=value" alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

class ArgReader {
  public:
    ArgReader(int argc, char** argv) : args_(argv + 1, argv + (argc > 0 ? argc : 1)) {}

    bool Done() const { return next_ >= args_.size(); }
    // The next word, taken as an option name (without any "=value").
    std::string_view Next();
    // The value of the option just taken; nothing when it has none.
    std::optional<std::string> Value();

  private:
    std::vector<std::string_view> args_;
    std::size_t next_ = 0;
    std::optional<std::string> inlineValue_;
};

// Whole decimal numbers only: no sign, no blanks, no suffix, within the type.
std::optional<long long> ParseCount(std::string_view text);

}  // namespace tools
