#include "engine/run.h"

#include <string>

#include "engine/brief_waits.h"

namespace qelvo {

void Run::append_path(std::string_view path) {
    {
        const std::unique_lock lock = lock_briefly_held(index_lock_);
        if (emptied()) return;
        paths_.push_back(path);
        passable_.push_back(false);
        listed_.store(paths_.size(), std::memory_order_release);
    }
    collected_.notify_one();
}

bool Run::looking_ahead_ended() const {
    return collecting_ended_.load() || collecting_should_end();
}

bool Run::look_ahead_may_go_on() const {
    return looking_ahead_ended() ||
           looked_ahead_.load(std::memory_order_relaxed) < listed_.load(std::memory_order_acquire);
}

std::optional<LookAheadPath> Run::take_for_look_ahead() {
    // A look-ahead that has caught up with the walk most often needs to wait
    // only while the walk reads the next directory.
    constexpr int kTries = 4096;
    spin_until([this] { return look_ahead_may_go_on(); }, kTries);
    std::unique_lock lock = lock_briefly_held(index_lock_);
    collected_.wait(lock,
                    [this] { return looking_ahead_ended() || looked_ahead_ < paths_.size(); });
    if (looking_ahead_ended()) return std::nullopt;
    const std::size_t index = looked_ahead_.fetch_add(1, std::memory_order_relaxed);
    return LookAheadPath{index, std::string(paths_[index])};
}

void Run::mark_passable(std::size_t index) {
    const std::unique_lock lock = lock_briefly_held(index_lock_);
    if (index < passable_.size()) passable_[index] = true;
}

void Run::end_collecting() {
    {
        std::lock_guard lock(index_lock_);
        collecting_ended_.store(true);
    }
    collected_.notify_all();
}

std::size_t Run::path_count() const {
    std::lock_guard lock(index_lock_);
    return emptied() ? 0 : paths_.size();
}

std::vector<std::string> Run::paths() const {
    std::lock_guard lock(index_lock_);
    return emptied() ? std::vector<std::string>{} : paths_.strings();
}

std::optional<ClaimedFile> Run::claim(FunctionRef<void(std::int32_t)> while_locked,
                                      FunctionRef<void()> read_inputs) {
    const std::unique_lock lock = lock_briefly_held(index_lock_);
    const std::int32_t number = claims_.fetch_add(1) + 1;
    while_locked(number);
    // The emptied flag is read after the claim counter moved, so a claim
    // counter reset that follows an emptying can never hand out a file twice.
    if (emptied() && !paths_.empty()) {
        paths_.clear();
        std::vector<bool>().swap(passable_);
    }
    if (number < 1 || static_cast<std::size_t>(number) > paths_.size()) return std::nullopt;
    const auto index = static_cast<std::size_t>(number) - 1;
    ClaimedFile claimed{number, std::string(paths_[index]), passable_[index]};
    read_inputs();
    return claimed;
}

}  // namespace qelvo
