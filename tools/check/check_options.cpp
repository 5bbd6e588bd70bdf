#include "tools/check/check_options.h"

#include "tools/common/arg_reader.h"

namespace check {

ParsedOptions ParseOptions(int argc, char** argv) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    tools::ArgReader args(argc, argv);
    while (!args.Done()) {
        const std::string name(args.Next());
        if (name == "-h" || name == "--help") {
            options.action = Options::Action::Help;
        } else if (name == "-V" || name == "--version") {
            options.action = Options::Action::Version;
        } else if (name == "--profile-dir") {
            options.profileDir = args.Value();
            if (!options.profileDir || options.profileDir->empty())
                parsed.error = "--profile-dir needs a directory";
        } else if (name == "--max-age") {
            std::optional<std::string> value = args.Value();
            if (value) options.maxAgeSeconds = tools::ParseCount(*value);
            if (!options.maxAgeSeconds)
                parsed.error =
                    "--max-age needs a whole number of seconds, not \"" + value.value_or("") + "\"";
        } else {
            parsed.error = (name.starts_with("-") ? "unknown option " : "unexpected argument ") +
                           name + " (see --help)";
        }
        if (!parsed.error.empty()) break;
    }
    return parsed;
}

}  // namespace check
