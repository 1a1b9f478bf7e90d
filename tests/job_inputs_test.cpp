#include "engine/job_inputs.h"

#include <gtest/gtest.h>

namespace qelvo {
namespace {

TEST(TextExtension, ListedExtensionsAndTheirPrefixesPass) {
    for (const char* path :
         {"C:\\a.txt", "C:\\a.h", "C:\\a.php3", "C:\\a.ht", "C:\\a.p", "C:\\x.y\\a.c", "C:\\a."}) {
        EXPECT_TRUE(has_text_extension(path)) << path;
    }
}

TEST(TextExtension, CapitalsUnlistedAndDottedDirectoriesFail) {
    for (const char* path : {"C:\\a.TXT", "C:\\a.bak", "C:\\a.txt.bak", "C:\\my.dir\\readme",
                             "C:\\a.exe", "C:\\a.tx t"}) {
        EXPECT_FALSE(has_text_extension(path)) << path;
    }
}

TEST(TextExtension, PathWithoutAnyDotPasses) { EXPECT_TRUE(has_text_extension("C:\\readme")); }

TEST(LineBreakEscape, BackslashNBecomesCrLf) {
    EXPECT_EQ(expand_line_breaks("a\\nb\\n"), "a\r\nb\r\n");
    EXPECT_EQ(expand_line_breaks("a\\\\nb"), "a\\\r\nb");
    EXPECT_EQ(expand_line_breaks("no escape \\t"), "no escape \\t");
}

}  // namespace
}  // namespace qelvo
