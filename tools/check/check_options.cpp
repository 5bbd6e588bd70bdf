#include "tools/check/check_options.h"

#include "tools/common/arg_reader.h"

namespace check {

namespace {

// The first problem of the command line, or "" when it has none.
std::string ProblemOf(tools::ArgReader& args, Options& options) {
    const std::string name(args.Next());
    if (name == "-h" || name == "--help") {
        options.action = Options::Action::Help;
    } else if (name == "-V" || name == "--version") {
        options.action = Options::Action::Version;
    } else if (name == "--profile-dir") {
        options.profileDir = args.Value();
        if (!options.profileDir || options.profileDir->empty())
            return "--profile-dir needs a directory";
    } else if (name == "--max-age") {
        std::optional<std::string> value = args.Value();
        if (value) options.maxAgeSeconds = tools::ParseCount(*value);
        if (!options.maxAgeSeconds)
            return "--max-age needs a whole number of seconds, not \"" + value.value_or("") + "\"";
    } else if (name == "--format") {
        const std::optional<std::string> value = args.Value();
        if (value == "nagios") {
            options.format = Options::Format::Nagios;
        } else if (value == "prometheus") {
            options.format = Options::Format::Prometheus;
        } else {
            return "--format needs nagios or prometheus, not \"" + value.value_or("") + "\"";
        }
    } else if (name == "--output") {
        options.output = args.Value();
        if (!options.output || options.output->empty()) return "--output needs a file";
    } else {
        return (name.starts_with("-") ? "unknown option " : "unexpected argument ") + name +
               " (see --help)";
    }
    return "";
}

}  // namespace

ParsedOptions ParseOptions(int argc, char** argv) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    tools::ArgReader args(argc, argv);
    // To the end even after a problem: the format decides where the problem is reported.
    while (!args.Done()) {
        std::string problem = ProblemOf(args, options);
        if (parsed.error.empty()) parsed.error = std::move(problem);
    }
    if (!parsed.error.empty()) return parsed;
    const bool metrics = options.format == Options::Format::Prometheus;
    if (metrics && options.maxAgeSeconds)
        parsed.error = "--max-age is for --format=nagios; alert on the status file's age instead";
    if (!metrics && options.output) parsed.error = "--output needs --format=prometheus";
    return parsed;
}

}  // namespace check
