#include "cli/commands.h"

#include <algorithm>

namespace qelvo::cli {

const std::vector<CommandSpec>& commands() {
    static const std::vector<CommandSpec> all{replace_command(), find_command(), restore_command()};
    return all;
}

const CommandSpec* find_command(std::string_view name) {
    const std::vector<CommandSpec>& all = commands();
    auto found = std::find_if(all.begin(), all.end(),
                              [&](const CommandSpec& command) { return command.name == name; });
    return found == all.end() ? nullptr : &*found;
}

}  // namespace qelvo::cli
