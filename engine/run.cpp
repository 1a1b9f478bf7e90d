#include "engine/run.h"

#include <utility>

namespace qelvo {

void Run::append_path(std::string path) {
    std::lock_guard lock(index_lock_);
    if (!emptied()) paths_.push_back(std::move(path));
}

std::size_t Run::path_count() const {
    std::lock_guard lock(index_lock_);
    return emptied() ? 0 : paths_.size();
}

std::vector<std::string> Run::paths() const {
    std::lock_guard lock(index_lock_);
    return emptied() ? std::vector<std::string>{} : paths_;
}

std::optional<ClaimedFile> Run::claim(const std::function<void(std::int32_t)>& while_locked,
                                      const std::function<void()>& read_inputs) {
    std::lock_guard lock(index_lock_);
    const std::int32_t number = claims_.fetch_add(1) + 1;
    while_locked(number);
    // The emptied flag is read after the claim counter moved, so a claim
    // counter reset that follows an emptying can never hand out a file twice.
    if (emptied() && !paths_.empty()) std::vector<std::string>().swap(paths_);
    if (number < 1 || static_cast<std::size_t>(number) > paths_.size()) return std::nullopt;
    ClaimedFile claimed{number, paths_[static_cast<std::size_t>(number) - 1]};
    read_inputs();
    return claimed;
}

}  // namespace qelvo
