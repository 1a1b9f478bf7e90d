// Parsing of qelvo-cli's command line: a command, its positional arguments
// and its options, all still in the host's encoding (UTF-8).
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qelvo::cli {

struct OptionSpec {
    std::string_view name;  // without the leading dashes
    bool takes_value;
};

struct ParsedCommandLine {
    std::vector<std::string> positional;
    std::map<std::string, std::string, std::less<>> values;
    std::set<std::string, std::less<>> flags;
};

// Options may come as "--name value" or "--name=value", anywhere after the
// command; "--" ends the options. Returns nothing and sets error on a
// malformed line.
std::optional<ParsedCommandLine> parse_command_line(const std::vector<std::string>& arguments,
                                                    const std::vector<OptionSpec>& options,
                                                    std::string& error);

}  // namespace qelvo::cli
