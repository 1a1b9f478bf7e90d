#include "engine/file_contents.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/gbk_literal.h"
#include "engine/text.h"
#include "platform/codepage.h"

namespace qelvo {
namespace {

// UTF-8 bytes in, replacement made, UTF-8 bytes out.
std::string replace_in_utf8(std::string_view utf8, std::string_view find,
                            std::string_view replacement) {
    FileContents contents = FileContents::from_utf8(utf8);
    contents.replace_all(gbk(find), gbk(replacement));
    return contents.bytes();
}

TEST(Utf8FileContents, AsciiAndChineseComeBackIdentical) {
    for (std::string_view text : {"plain ascii\r\n", "中文内容，标点。", ""}) {
        EXPECT_EQ(FileContents::from_utf8(text).bytes(), text);
    }
}

TEST(Utf8FileContents, ChineseIsSearchedInItsGbkForm) {
    const FileContents contents = FileContents::from_utf8("说明：中文");
    EXPECT_TRUE(contents.contains(gbk("中文"), false));
    EXPECT_FALSE(contents.contains("中文", false));  // the UTF-8 bytes are not searched
    EXPECT_EQ(replace_in_utf8("说明：中文", "中文", "汉字"), "说明：汉字");
}

TEST(Utf8FileContents, CharactersWithoutAGbkFormSurviveAReplacementElsewhere) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string emoji = "\xF0\x9F\x98\x80";     // U+1F600
    const std::string rare_cjk = "\xF0\xA0\x80\x80";  // U+20000
    const std::string input = bom + "old " + emoji + " 旧 " + rare_cjk + " old";
    EXPECT_EQ(replace_in_utf8(input, "old", "new"),
              bom + "new " + emoji + " 旧 " + rare_cjk + " new");
}

TEST(Utf8FileContents, GbkFileReadAsUtf8KeepsItsChineseText) {
    const std::string gbk_file = gbk("中文 abc 文字 abc");
    EXPECT_EQ(replace_in_utf8(gbk_file, "abc", "xyz"), gbk("中文 xyz 文字 xyz"));
}

TEST(Utf8FileContents, InvalidSequencesAreCarriedOverUntouched) {
    for (std::string_view broken : {"ab\xE4\x41 b", "ab\xE4", "\xC0\x80 ab", "\xED\xA0\x80 ab",
                                    "\xFF\xFE ab", "ab\xF4\x90"}) {
        const std::string input(broken);
        std::string expected = input;
        expected.replace(expected.find("ab"), 2, "cd");
        EXPECT_EQ(replace_in_utf8(input, "ab", "cd"), expected);
    }
}

TEST(Utf8FileContents, OpaqueRunsAreNeverPartOfAMatch) {
    // The emoji would become "??" in GBK, and a match must not run across
    // the characters on either side of it.
    const FileContents contents = FileContents::from_utf8(
        "a\xF0\x9F\x98\x80"
        "b");
    EXPECT_FALSE(contents.contains("?", false));
    EXPECT_FALSE(contents.contains("ab", false));
    EXPECT_TRUE(contents.contains("a", false));
}

TEST(Utf8FileContents, CleanFileGivesWhatTheWholeFileConversionsGive) {
    const std::string input = "€ 10 — “引号” café";
    const std::string whole = codepage::gbk_to_utf8(
        text::replace_text(codepage::utf8_to_gbk(input), gbk("引号"), gbk("括号")));
    EXPECT_EQ(replace_in_utf8(input, "引号", "括号"), whole);
}

TEST(Utf8FileContents, EmptySoughtIsFoundInAnyNonEmptyText) {
    EXPECT_TRUE(FileContents::from_utf8("\xF0\x9F\x98\x80").contains("", false));
    EXPECT_FALSE(FileContents::from_utf8("").contains("", false));
}

TEST(GbkFileContents, BytesAreTheTextItself) {
    FileContents contents = FileContents::from_gbk(gbk("旧文字 ABC"));
    EXPECT_TRUE(contents.contains("abc", true));
    EXPECT_FALSE(contents.contains("abc", false));
    contents.replace_all(gbk("旧"), gbk("新"));
    EXPECT_EQ(contents.bytes(), gbk("新文字 ABC"));
}

}  // namespace
}  // namespace qelvo
