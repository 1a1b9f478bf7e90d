#include "cli/headless_run.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <mutex>

#include "cli/command_line.h"
#include "cli/host_io.h"
#include "cli/stop_signals.h"
#include "engine/directory_cache.h"
#include "engine/gbk_literal.h"
#include "platform/platform.h"

namespace qelvo::cli {
namespace {

class StderrMessages : public MessageDialog {
  public:
    void show(const std::string& gbk_text) override {
        print_line(stderr, host_from_gbk(gbk_text));
        shown_ = true;
    }
    bool shown() const { return shown_; }

  private:
    bool shown_ = false;
};

// Names every file a run could not write, restore or delete, with the reason.
class FailurePrinter : public FailureReport {
  public:
    void file_failed(const std::string& path, std::string_view what,
                     const std::string& reason) override {
        std::lock_guard lock(mutex_);
        print_line(stderr, "qelvo-cli: " + platform::host_path_from_engine(path) + ": " +
                               std::string(what) + ": " + reason);
        any_ = true;
    }
    bool any() const {
        std::lock_guard lock(mutex_);
        return any_;
    }

  private:
    mutable std::mutex mutex_;
    bool any_ = false;
};

// Prints every hit row as it is recorded. Rows are recorded under the run's
// result lock, so the listener is never called for two rows at once; the
// mutex covers the clearing of the list by the click itself.
class HitPrinter {
  public:
    explicit HitPrinter(ControlModel& controls) : controls_(controls) {}

    void on_change(const ControlChange& change) {
        if (change.property != ControlProperty::rows || change.name != "超级列表框1") return;
        std::lock_guard lock(mutex_);
        const std::size_t count = controls_.row_count("超级列表框1");
        for (; printed_ < count; ++printed_) print_row(controls_.row("超级列表框1", printed_));
        printed_ = count;
    }

  private:
    static void print_row(const ReportRow& row) {
        if (row.size() < 2) return;
        print_line(stdout, host_from_gbk(row[0]) + "\t" + platform::host_path_from_engine(row[1]));
    }

    ControlModel& controls_;
    std::mutex mutex_;
    std::size_t printed_ = 0;
};

bool set_positional(ControlModel& controls, const PositionalSpec& argument,
                    const std::string& value) {
    std::optional<std::string> converted;
    // An empty path stays empty, so that the job's own check reports it.
    if (argument.kind == ArgumentKind::path && !value.empty()) {
        converted = platform::engine_path_from_host(value);
    } else {
        converted = gbk_from_host(value);
    }
    if (!converted) {
        print_line(stderr, std::string("qelvo-cli: ") + std::string(argument.placeholder) +
                               " holds a character that has no GBK form: " + value);
        return false;
    }
    controls.set_text(argument.control, *converted);
    return true;
}

bool apply_arguments(ControlModel& controls, const CommandSpec& command,
                     const ParsedCommandLine& parsed) {
    for (const auto& [control, value] : command.defaults) controls.set_text(control, gbk(value));
    for (std::size_t i = 0; i < command.positional.size(); ++i) {
        if (!set_positional(controls, command.positional[i], parsed.positional[i])) return false;
    }
    for (const OptionBinding& option : command.options) {
        if (!option.takes_value) {
            controls.set_checked(option.control, parsed.flags.contains(option.option));
            continue;
        }
        auto value = parsed.values.find(option.option);
        if (value == parsed.values.end()) continue;
        std::optional<std::string> converted = gbk_from_host(value->second);
        if (!converted) {
            print_line(stderr, "qelvo-cli: --" + std::string(option.option) +
                                   " holds a character that has no GBK form");
            return false;
        }
        controls.set_text(option.control, *converted);
    }
    return true;
}

// Shows files claimed out of files found while the run works.
void show_progress(const ControlModel& controls) {
    std::fprintf(stderr, "\r%d/%d   ", controls.progress_position("进度条1"),
                 controls.progress_maximum("进度条1"));
    std::fflush(stderr);
}

// Waits for the run's threads to end. A stop signal clicks the start button
// once more, as the stop button of the window: the workers end at their next
// claim, after the files in hand.
void wait_for_run(const CommandSpec& command, Engine& engine) {
    const bool show = is_terminal(stderr);
    bool stopped = false;
    while (!engine.state.wait_until_no_threads_for(std::chrono::milliseconds(100))) {
        if (!stopped && stop_signal_received() != 0) {
            stopped = true;
            release_stop_signals();
            command.click(engine);
        }
        if (show) show_progress(engine.controls);
    }
    if (show) std::fputs("\r                         \r", stderr);
}

// A PATH that names nothing to walk: neither a directory nor, where the
// command loads cache files, an existing one. An empty one is left to the
// job's own check.
bool names_nothing_to_walk(const CommandSpec& command, const ControlModel& controls) {
    for (const PositionalSpec& argument : command.positional) {
        if (argument.kind != ArgumentKind::path) continue;
        const std::string path = controls.text(argument.control);
        if (path.empty() || platform::directory_exists(path)) continue;
        const bool loads_cache = !command.cache_option.empty();
        if (loads_cache && names_cache_file(path) && platform::exists(path)) continue;
        return true;
    }
    return false;
}

int status_after_run(bool files_failed) {
    switch (stop_signal_received()) {
        case 0:
            return files_failed ? kFilesNotWritten : kSuccess;
        case SIGTERM:
            return kStoppedByTermination;
        default:
            return kStoppedByInterrupt;
    }
}

// The PATH argument as it was typed.
std::string path_argument(const CommandSpec& command, const ParsedCommandLine& parsed) {
    for (std::size_t i = 0; i < command.positional.size(); ++i) {
        if (command.positional[i].kind == ArgumentKind::path) return parsed.positional[i];
    }
    return {};
}

std::vector<OptionSpec> option_specs(const CommandSpec& command) {
    std::vector<OptionSpec> specs;
    for (const OptionBinding& option : command.options) {
        specs.push_back({option.option, option.takes_value});
    }
    return specs;
}

}  // namespace

int run_headless(const CommandSpec& command, const std::vector<std::string>& arguments) {
    std::string error;
    std::optional<ParsedCommandLine> parsed =
        parse_command_line(arguments, option_specs(command), error);
    if (parsed && parsed->positional.size() != command.positional.size()) {
        error = "expected " + std::to_string(command.positional.size()) +
                " arguments; see qelvo-cli --help";
        parsed.reset();
    }
    if (!parsed) {
        print_line(stderr, "qelvo-cli " + std::string(command.name) + ": " + error);
        return kUsageError;
    }

    ControlModel controls;
    EngineState state;
    StderrMessages messages;
    FailurePrinter failures;
    Engine engine{controls, state, messages, nullptr, &failures};
    if (command.show_panel) command.show_panel(engine);
    if (!apply_arguments(controls, command, *parsed)) return kInputError;
    if (names_nothing_to_walk(command, controls)) {
        print_line(stderr, "qelvo-cli: " + path_argument(command, *parsed) + ": no such directory");
        return kInputError;
    }

    HitPrinter printer(controls);
    controls.set_change_listener(
        [&printer](const ControlChange& change) { printer.on_change(change); });
    catch_stop_signals();
    command.click(engine);
    if (messages.shown()) return kInputError;
    wait_for_run(command, engine);
    controls.set_change_listener(nullptr);

    if (controls.caption(command.start_button) != gbk(command.idle_caption)) {
        print_line(stderr, "qelvo-cli: no worker thread started: the thread count \"" +
                               host_from_gbk(controls.text(command.thread_count_box)) +
                               "\" is not a positive number");
        return kNoWorkerStarted;
    }
    print_line(stdout, host_from_gbk(controls.caption("透明标签19")));
    print_line(stdout, host_from_gbk(controls.caption("透明标签2")));
    if (!command.cache_option.empty() && parsed->flags.contains(command.cache_option)) {
        print_line(stdout, host_from_gbk(controls.caption(command.cache_status_label)));
    }
    return status_after_run(failures.any());
}

}  // namespace qelvo::cli
