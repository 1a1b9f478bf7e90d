// How long the settings file takes with long input histories, the work a
// window start and a job start do:
//   load    a section of 100,001 keys read into a combo box (the load stops
//           at key 100,000)
//   save    a combo box of 1,000 items saved, then every history loaded as
//           the next window start would
//   many    1,000 keys written at once and read back through one parse
// Each is timed over several rounds; the median is printed. Run from
// build/: bin/qelvo_bench_settings_history [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/control_model.h"
#include "engine/gbk_literal.h"
#include "platform/platform.h"
#include "ui/input_history.h"
#include "ui/settings_file.h"

namespace {

using qelvo::ControlModel;
using qelvo::gbk;
using qelvo::ui::SettingsFile;

double median_ms(int rounds, const std::function<void()>& prepare,
                 const std::function<void()>& timed) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        timed();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::ranges::sort(times);
    return times[times.size() / 2];
}

std::string long_section() {
    std::string file = gbk("[文件路径]\r\n");
    for (int key = 1; key <= 100001; ++key) file += std::to_string(key) + "=p\r\n";
    return file;
}

std::vector<std::string> thousand_items() {
    std::vector<std::string> items;
    for (int item = 1; item <= 1000; ++item)
        items.push_back(gbk("D:\\目录\\") + std::to_string(item));
    return items;
}

// Returns whether every step's result was as expected.
bool run(const std::string& settings_path, int rounds) {
    SettingsFile settings(settings_path);
    bool right = true;

    const std::string section = long_section();
    std::size_t loaded = 0;
    const double load = median_ms(
        rounds, [&] { qelvo::platform::write_file_atomic(settings_path, section); },
        [&] {
            ControlModel controls;
            const std::size_t before = controls.items("组合框_文件路径").size();
            qelvo::ui::load_history(controls, "组合框_文件路径", "文件路径", settings);
            loaded = controls.items("组合框_文件路径").size() - before;
        });
    right = right && loaded == qelvo::ui::kHistoryKeyLimit;

    const std::vector<std::string> items = thousand_items();
    std::size_t reloaded = 0;
    const double save = median_ms(
        rounds, [&] { qelvo::platform::write_file_atomic(settings_path, ""); },
        [&] {
            ControlModel controls;
            controls.set_items("组合框_文件路径", items);
            controls.set_text("组合框_文件路径", gbk("D:\\最后"));
            qelvo::ui::save_history(controls, "组合框_文件路径", "文件路径", settings);
            ControlModel next_start;
            qelvo::ui::load_all_histories(next_start, settings);
            reloaded = next_start.items("组合框_文件路径3").size();
        });
    right = right && reloaded == items.size() + 1;

    std::vector<std::string> keys;
    for (int key = 1; key <= 1000; ++key) keys.push_back(std::to_string(key));
    std::vector<qelvo::ui::SettingsValue> values;
    for (std::size_t index = 0; index < keys.size(); ++index) {
        values.push_back({keys[index], items[index]});
    }
    bool read_back = false;
    const double many = median_ms(
        rounds, [&] { qelvo::platform::write_file_atomic(settings_path, ""); },
        [&] {
            read_back = settings.write_many(gbk("文件路径"), values);
            const qelvo::ui::IniDocument document = settings.load();
            for (const auto& value : values) {
                read_back = read_back && document.read(gbk("文件路径"), value.key) == value.value;
            }
        });
    right = right && read_back;

    std::printf("median of %d rounds\n", rounds);
    std::printf("  load  100,001 keys into a combo box        %8.1f ms\n", load);
    std::printf("  save  1,000 items, then load every history %8.1f ms\n", save);
    std::printf("  many  1,000 keys written and read back     %8.1f ms\n", many);
    return right;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    std::error_code error;
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path(error) /
        ("qelvo-bench-settings-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    if (error || !std::filesystem::create_directory(directory, error)) {
        std::fprintf(stderr, "cannot make a scratch directory\n");
        return 2;
    }
    const std::optional<std::string> settings_path =
        qelvo::platform::engine_path_from_host((directory / "data.ini").string());
    const bool right = settings_path && run(*settings_path, rounds);
    std::filesystem::remove_all(directory, error);
    if (!right) {
        std::fprintf(stderr, "a result was not as expected\n");
        return 1;
    }
    return 0;
}
