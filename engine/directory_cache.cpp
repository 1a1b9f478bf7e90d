#include "engine/directory_cache.h"

#include "engine/file_text.h"
#include "engine/gbk_literal.h"
#include "engine/text.h"
#include "platform/platform.h"

namespace qelvo {
namespace {

struct Texts {
    std::string folder = gbk("缓存");
    std::string writing = gbk("目录缓存中..");
    std::string written = gbk("缓存成功");
};

const Texts& texts() {
    static const Texts instance;
    return instance;
}

void write_cache_file(Engine engine, const CachePanel& panel,
                      const std::vector<std::string>& paths) {
    engine.controls.set_caption(panel.status_label, texts().writing);
    const std::string contents = cache_file_contents(paths);
    make_directory_path(platform::executable_directory() + texts().folder);
    const std::string cache_path = cache_file_path(engine.controls.text(panel.path_box));
    // A failed write is not reported: the writer's texts are its only output.
    platform::write_file_atomic(cache_path, contents);
    engine.controls.add_item(panel.path_box, cache_path);
    engine.controls.set_caption(panel.status_label, texts().written);
}

}  // namespace

bool names_cache_file(std::string_view path) { return text::right_part(path, 4) == ".ldz"; }

void load_cache_file(Run& run, const std::string& cache_path) {
    const std::string bytes = platform::read_file(cache_path).value_or(std::string());
    for (const std::string& path : text::split_text(split_at_first_zero(bytes).text, "\r\n")) {
        run.append_path(path);
    }
}

std::string cache_file_contents(const std::vector<std::string>& paths) {
    std::string contents;
    for (const std::string& path : paths) contents.append(path).append("\r\n");
    return contents;
}

std::string cache_file_path(std::string_view path_box_text) {
    const std::vector<std::string> pieces = text::split_text(path_box_text, "\\");
    const std::string name = pieces.empty() ? std::string() : pieces.back();
    return platform::executable_directory() + texts().folder + "\\" + name + ".ldz";
}

MakeDirectoryResult make_directory_path(std::string_view directory) {
    std::string path = text::trim(directory);
    if (path.empty()) return MakeDirectoryResult::failed;
    if (path.back() == '\\') path.pop_back();
    if (platform::directory_exists(path)) return MakeDirectoryResult::existing;
    std::string level;
    for (const std::string& piece : text::split_text(path, "\\")) {
        level += level.empty() ? piece : "\\" + piece;
        if (level.size() == 2 && level[1] == ':') continue;  // the drive itself
        if (!platform::directory_exists(level) && !platform::make_directory(level)) {
            return MakeDirectoryResult::failed;
        }
    }
    return MakeDirectoryResult::created;
}

void start_cache_writer(Engine engine, const CachePanel& panel, std::vector<std::string> paths) {
    engine.state.start_thread(
        [engine, panel, paths = std::move(paths)] { write_cache_file(engine, panel, paths); });
}

}  // namespace qelvo
