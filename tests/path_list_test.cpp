#include "engine/path_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qelvo {
namespace {

// Paths of every length up to past a block, so that some fill a block to its last byte, some
// start a new one and one needs a block of its own.
std::vector<std::string> paths_of_growing_length() {
    std::vector<std::string> paths;
    for (std::size_t length = 0; length < 3000; length += 7) {
        paths.push_back(std::string(length, static_cast<char>('a' + length % 26)));
    }
    paths.push_back(std::string((1 << 20) + 5, 'x'));
    paths.push_back("Z:\\after\\the\\long\\one.txt");
    return paths;
}

TEST(PathList, GivesBackEveryPathAcrossBlocks) {
    const std::vector<std::string> expected = paths_of_growing_length();
    PathList list;
    for (int round = 0; round < 2; ++round) {
        for (int copy = 0; copy < 3; ++copy) {
            for (const std::string& path : expected) list.push_back(path);
        }
        ASSERT_EQ(list.size(), 3 * expected.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
            ASSERT_EQ(list[i], expected[i % expected.size()]) << "path " << i;
        }
        std::vector<std::string> all;
        for (int copy = 0; copy < 3; ++copy)
            all.insert(all.end(), expected.begin(), expected.end());
        EXPECT_EQ(list.strings(), all);
        // A cleared list is empty and takes paths again.
        list.clear();
        EXPECT_TRUE(list.empty());
        EXPECT_TRUE(list.strings().empty());
    }
}

}  // namespace
}  // namespace qelvo
