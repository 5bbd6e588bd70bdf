// The '[' bytes that may open the header of one of a few sections, found quickly in a long text:
// such a '[' is followed by a blank or by the first letter of one of the names, in either case.
#pragma once

#include <cstddef>
#include <string_view>

namespace profile {

class HeaderStarts {
  public:
    void Add(std::string_view name);  // trimmed, not empty
    bool Allows(char c) const { return allowed_[static_cast<unsigned char>(c)]; }

    // The first '[' in [from, size) followed by a byte this allows, or size.
    std::size_t Next(const char* text, std::size_t from, std::size_t size) const;

  private:
    bool allowed_[256] = {};
    // The names' first letters with bit 5 set, for looking at many bytes at once; only when there
    // are at most two of them.
    unsigned char letters_[2] = {};
    int letterCount_ = 0;
};

}  // namespace profile
