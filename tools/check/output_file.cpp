#include "tools/check/output_file.h"

#include <cerrno>
#include <optional>

#include "profile/file_store.h"

namespace check {

bool ReplaceFile(const std::string& path, const std::string& bytes, std::string& problem) {
    // The file layer takes a bare name to be in the profile directory.
    const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    const bool replaced = profile::UpdateFile(
        where,
        [&](std::optional<std::string>& old) {
            old = bytes;
            return true;  // even when the same: the file's time tells when the check last ran
        },
        profile::Links::kReplace);  // a link in its place is replaced, never written through
    if (!replaced) problem = "cannot write " + path + ": " + profile::DescribeFailure(errno, true);
    return replaced;
}

}  // namespace check
