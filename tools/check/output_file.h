// Writing what mirelko-check prints into a file that another program may read at any moment,
// as node_exporter's textfile collector does.
#pragma once

#include <string>

namespace check {

// Replaces `path` whole: the bytes go into a temporary file beside it, which is then renamed
// over it, so a reader sees the old file or the new one, never a part. A symbolic link in its
// place is replaced too, never the file it points to. A name without a
// directory is taken in the current directory. On failure says why in `problem` and leaves the
// file as it was, with no temporary file left behind.
bool ReplaceFile(const std::string& path, const std::string& bytes, std::string& problem);

}  // namespace check
