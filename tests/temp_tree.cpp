#include "tests/temp_tree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>

#include "platform/codepage.h"
#include "platform/platform.h"

namespace qelvo::testing {
namespace {

std::filesystem::path unique_native_directory() {
    static std::atomic<int> serial{0};
    std::random_device entropy;
    const std::string name =
        "qelvo-test-" + std::to_string(entropy()) + "-" + std::to_string(serial.fetch_add(1));
    std::filesystem::path directory = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(directory);
    return directory;
}

std::string engine_path_of(const std::filesystem::path& native) {
#ifdef _WIN32
    const std::wstring wide = native.wstring();
    return codepage::utf16_to_gbk(std::u16string(wide.begin(), wide.end()));
#else
    return platform::engine_path_from_host(native.string()).value_or("");
#endif
}

}  // namespace

TempTree::TempTree() : native_root_(unique_native_directory()) {
    root_ = engine_path_of(native_root_);
    while (!root_.empty() && root_.back() == '\\') root_.pop_back();
}

TempTree::~TempTree() {
    std::error_code ignored;
    std::filesystem::permissions(native_root_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(native_root_, ignored);
}

std::string TempTree::path(std::string_view relative) const {
    return root_ + "\\" + std::string(relative);
}

void TempTree::write(std::string_view relative, std::string_view bytes) const {
    ASSERT_TRUE(platform::write_file_atomic(path(relative), bytes)) << path(relative);
}

std::string TempTree::read(std::string_view relative) const {
    return platform::read_file(path(relative)).value_or("<unreadable>");
}

bool TempTree::exists(std::string_view relative) const { return platform::exists(path(relative)); }

void TempTree::make_directory(std::string_view relative) const {
    ASSERT_TRUE(platform::make_directory(path(relative))) << path(relative);
}

std::filesystem::path TempTree::native(std::string_view relative) const {
    const std::string engine = path(relative);
#ifdef _WIN32
    const std::u16string wide = codepage::gbk_to_utf16(engine);
    return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
#else
    return std::filesystem::path(platform::host_path_from_engine(engine));
#endif
}

}  // namespace qelvo::testing
