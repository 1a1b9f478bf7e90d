// Directory cache files: a walked directory's file list kept in the folder
// "缓存" beside the executable, one GBK path per line, each line ending in
// CR LF, so that a later run can load the list instead of walking the tree.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.h"

namespace qelvo {

// True when the path box names a cache file: its last four bytes are
// exactly ".ldz".
bool names_cache_file(std::string_view path);

// Appends the paths of a cache file to the run's list, in file order. A
// missing or empty file gives no paths.
void load_cache_file(Run& run, const std::string& cache_path);

// The cache file's bytes for a list.
std::string cache_file_contents(const std::vector<std::string>& paths);

// The cache file for the directory in the path box: the executable's
// directory, "缓存\", the last piece of the path split at backslashes, ".ldz".
std::string cache_file_path(std::string_view path_box_text);

enum class MakeDirectoryResult { created, existing, failed };

// Creates a directory and every missing level above it.
MakeDirectoryResult make_directory_path(std::string_view directory);

// The controls a cache writer works with.
struct CachePanel {
    std::string_view path_box;
    std::string_view status_label;
};

// Writes the cache file of a list on a thread of its own: the status label
// reads "目录缓存中.." and then "缓存成功", and the cache file's path is
// added to the path box's items. It works on its own copy of the list.
void start_cache_writer(Engine engine, const CachePanel& panel, std::vector<std::string> paths);

}  // namespace qelvo
