// The directory walk that fills a run's file list.
#pragma once

#include <string>

#include "engine/engine.h"

namespace qelvo {

// Appends the full path of every file of the directory (and, when asked, of
// its whole subtree, depth first, files before subdirectories) whose name
// matches the pattern. An empty pattern means "*.*". Shows "正在搜索:", a
// cycling busy bar and the running count of files found. Honours a stop
// between two entries.
void enumerate(Engine& engine, Run& run, std::string directory, std::string pattern,
               bool include_subfolders);

}  // namespace qelvo
