#include "cli/command_line.h"

#include <algorithm>

namespace qelvo::cli {
namespace {

const OptionSpec* find_option(const std::vector<OptionSpec>& options, std::string_view name) {
    auto found = std::find_if(options.begin(), options.end(),
                              [&](const OptionSpec& option) { return option.name == name; });
    return found == options.end() ? nullptr : &*found;
}

bool looks_like_option(std::string_view argument) {
    return argument.size() > 2 && argument.substr(0, 2) == "--";
}

}  // namespace

std::optional<ParsedCommandLine> parse_command_line(const std::vector<std::string>& arguments,
                                                    const std::vector<OptionSpec>& options,
                                                    std::string& error) {
    ParsedCommandLine parsed;
    bool options_ended = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!options_ended && argument == "--") {
            options_ended = true;
            continue;
        }
        if (options_ended || !looks_like_option(argument)) {
            parsed.positional.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name =
            argument.substr(2, equals == std::string::npos ? equals : equals - 2);
        const OptionSpec* option = find_option(options, name);
        if (!option) {
            error = "unknown option --" + name;
            return std::nullopt;
        }
        if (!option->takes_value) {
            if (equals != std::string::npos) {
                error = "option --" + name + " takes no value";
                return std::nullopt;
            }
            parsed.flags.insert(name);
        } else if (equals != std::string::npos) {
            parsed.values[name] = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            parsed.values[name] = arguments[++i];
        } else {
            error = "option --" + name + " needs a value";
            return std::nullopt;
        }
    }
    return parsed;
}

}  // namespace qelvo::cli
