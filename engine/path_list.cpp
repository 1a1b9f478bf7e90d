#include "engine/path_list.h"

#include <algorithm>
#include <cstring>

namespace qelvo {

void PathList::push_back(std::string_view path) {
    if (path.size() > room_) {
        // A path longer than a block gets one of its own.
        room_ = std::max(kBlockSize, path.size());
        blocks_.push_back(std::unique_ptr<char[]>(new char[room_]));
        free_ = blocks_.back().get();
    }
    if (!path.empty()) std::memcpy(free_, path.data(), path.size());
    paths_.emplace_back(free_, path.size());
    free_ += path.size();
    room_ -= path.size();
}

std::vector<std::string> PathList::strings() const {
    return std::vector<std::string>(paths_.begin(), paths_.end());
}

void PathList::clear() {
    std::vector<std::string_view>().swap(paths_);
    std::vector<std::unique_ptr<char[]>>().swap(blocks_);
    free_ = nullptr;
    room_ = 0;
}

}  // namespace qelvo
