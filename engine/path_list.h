// The paths a run collects, kept in large blocks of bytes rather than in an
// allocation each. A tree of a hundred thousand files takes half the memory
// that way, and in a run over it every page touched for the first time is a
// fault to pay for.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qelvo {

class PathList {
  public:
    void push_back(std::string_view path);
    std::size_t size() const { return paths_.size(); }
    bool empty() const { return paths_.empty(); }
    // Valid until the list is cleared.
    std::string_view operator[](std::size_t index) const { return paths_[index]; }
    std::vector<std::string> strings() const;
    // Lets all of the list's memory go.
    void clear();

  private:
    static constexpr std::size_t kBlockSize = 1 << 20;

    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;  // the room left at the end of the last block
    std::size_t room_ = 0;
    std::vector<std::string_view> paths_;
};

}  // namespace qelvo
