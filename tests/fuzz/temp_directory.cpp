#include "tests/fuzz/temp_directory.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/platform.h"

namespace qelvo::fuzz {
namespace {

[[noreturn]] void give_up(const std::string& what) {
    std::fprintf(stderr, "fuzz temp directory: %s\n", what.c_str());
    std::abort();
}

}  // namespace

const TempDirectory& TempDirectory::instance() {
    static const TempDirectory directory;
    return directory;
}

TempDirectory::TempDirectory() {
    // The process id keeps the parallel jobs of a longer run (-jobs=N) apart.
    native_ = std::filesystem::temp_directory_path() /
              ("qelvo-fuzz-" + std::to_string(static_cast<long>(getpid())));
    std::error_code error;
    std::filesystem::remove_all(native_, error);
    if (!std::filesystem::create_directories(native_, error))
        give_up("cannot create " + native_.string());
    engine_ = platform::engine_path_from_host(native_.string()).value_or("");
    if (engine_.empty()) give_up("no engine path for " + native_.string());
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(native_, ignored);
}

std::string TempDirectory::path(std::string_view name) const {
    return engine_ + "\\" + std::string(name);
}

void TempDirectory::put(std::string_view name, std::string_view bytes) const {
    std::ofstream file(native_ / std::string(name), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.good()) give_up("cannot write " + std::string(name));
}

std::string TempDirectory::read(std::string_view name) const {
    std::ifstream file(native_ / std::string(name), std::ios::binary);
    if (!file.good()) return "<unreadable>";
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void TempDirectory::remove(std::string_view name) const {
    std::error_code ignored;
    std::filesystem::remove(native_ / std::string(name), ignored);
}

std::vector<std::string> TempDirectory::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(native_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace qelvo::fuzz
