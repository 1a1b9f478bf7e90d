// A directory of the fuzz target's own, for the units that read and write files: made under the
// system's temporary directory on first use and removed when the target exits.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qelvo::fuzz {

class TempDirectory {
  public:
    // One per process; libFuzzer runs every input on the same thread.
    static const TempDirectory& instance();

    // The engine path (GBK, backslashes, drive Z:) of a file in the directory.
    std::string path(std::string_view name) const;

    // Written and read through the standard library, not the platform layer under test.
    void put(std::string_view name, std::string_view bytes) const;
    std::string read(std::string_view name) const;
    void remove(std::string_view name) const;
    // The names of every entry, sorted.
    std::vector<std::string> entries() const;

    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

  private:
    TempDirectory();
    ~TempDirectory();

    std::filesystem::path native_;
    std::string engine_;
};

}  // namespace qelvo::fuzz
