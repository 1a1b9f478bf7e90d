// A temporary directory tree addressed by engine paths (GBK, backslashes, a
// drive letter), the same on both backends. Files are made and read through
// the platform layer; the tree is removed when the object goes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qelvo::testing {

class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The root, without a trailing backslash.
    const std::string& root() const { return root_; }
    // root + "\" + relative; relative uses backslashes and GBK.
    std::string path(std::string_view relative) const;

    void write(std::string_view relative, std::string_view bytes) const;
    std::string read(std::string_view relative) const;
    bool exists(std::string_view relative) const;
    void make_directory(std::string_view relative) const;
    std::filesystem::path native(std::string_view relative) const;

  private:
    std::string root_;
    std::filesystem::path native_root_;
};

}  // namespace qelvo::testing
