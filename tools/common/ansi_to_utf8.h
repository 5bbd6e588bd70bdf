// The profile files hold single-byte Windows-1252 text; terminals and monitoring systems want
// UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tools {

std::string Utf8FromAnsi(std::string_view ansi);

}  // namespace tools
