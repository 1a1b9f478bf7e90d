// qelvo-cli's commands: each one sets a panel's controls from its arguments
// and clicks the panel's start button, exactly as a user of the window would.
#pragma once

#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/engine.h"

namespace qelvo::cli {

enum class ArgumentKind {
    path,  // a host path, mapped to an engine path
    text,  // typed text, converted to GBK
};

struct PositionalSpec {
    std::string_view placeholder;  // for messages, e.g. "FIND"
    std::string_view control;
    ArgumentKind kind;
};

struct OptionBinding {
    std::string_view option;   // without the leading dashes
    std::string_view control;  // a check box for a flag, else an edit or combo box
    bool takes_value;
};

struct CommandSpec {
    std::string_view name;
    std::vector<PositionalSpec> positional;
    std::vector<OptionBinding> options;
    std::string_view start_button;
    std::string_view idle_caption;  // UTF-8
    std::string_view thread_count_box;
    std::function<void(Engine&)> click;
    // Brings the panel up first, as a user of the window must; empty for the
    // panel the window starts with.
    std::function<void(Engine&)> show_panel = {};
    // The cache writer's status label, printed after the two labels when
    // the cache option was given; empty for a command without a cache.
    std::string_view cache_option = {};
    std::string_view cache_status_label = {};
    // Controls the front end starts with values of its own (control, UTF-8).
    std::vector<std::pair<std::string_view, std::string_view>> defaults = {};
};

// One per command, each in its own unit.
CommandSpec replace_command();
CommandSpec find_command();
CommandSpec restore_command();

const std::vector<CommandSpec>& commands();
const CommandSpec* find_command(std::string_view name);

}  // namespace qelvo::cli
