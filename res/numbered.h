// "IP Controller 7", "BOX 7": a text and a box number, for the captions and list items of rows.
#pragma once

#include <cstdio>
#include <string>

namespace res {

inline std::string Numbered(const char* text, int n) {
    char numbered[32];
    std::snprintf(numbered, sizeof numbered, "%s %d", text, n);
    return numbered;
}

}  // namespace res
