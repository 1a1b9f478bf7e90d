// The settings file reads and writes INI text as the Windows private-profile
// functions do, and never leaves a damaged or half-written file behind.
#include "ui/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/gbk_literal.h"
#include "platform/platform.h"
#include "tests/temp_tree.h"

namespace qelvo::testing {
namespace {

using ui::IniDocument;
using ui::kSettingsValueLimit;
using ui::SettingsFile;
using ui::SettingsValue;

class SettingsFileTest : public ::testing::Test {
  protected:
    void put(std::string_view bytes) { tree.write("data.ini", bytes); }
    std::string contents() const { return tree.read("data.ini"); }

    // Every entry of the directory, to see that no temporary file is left.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (platform::EntryKind kind :
             {platform::EntryKind::files, platform::EntryKind::directories}) {
            platform::search_directory(tree.root(), "*", kind, [&](const std::string& name) {
                names.push_back(name);
                return true;
            });
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempTree tree;
    SettingsFile settings{tree.path("data.ini")};
};

TEST_F(SettingsFileTest, MissingFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(settings.read("a", "1"), "");
    EXPECT_FALSE(tree.exists("data.ini"));
    put("[a]\r\n1=x\r\n");
    EXPECT_EQ(settings.read("b", "1"), "");
    EXPECT_EQ(settings.read("a", "2"), "");
    EXPECT_EQ(SettingsFile(tree.path("missing\\data.ini")).read("a", "1"), "");
    EXPECT_EQ(SettingsFile("").read("a", "1"), "");
}

// 0x80 and 0xFF stand alone in code page 936, so the bracket or equals sign
// after them still ends the name.
TEST_F(SettingsFileTest, NamesEndingInASingleByteHighCharacterAreFound) {
    put("[a\x80]\r\nk\xFF=v\r\n");
    EXPECT_EQ(settings.read("a\x80", "k\xFF"), "v");
    ASSERT_TRUE(settings.write("a\x80", "k\xFF", "w"));
    EXPECT_EQ(contents(), "[a\x80]\r\nk\xFF=w\r\n");
}

TEST_F(SettingsFileTest, FirstWriteCreatesTheFileWithCrLf) {
    ASSERT_TRUE(settings.write("a", "1", "x"));
    EXPECT_EQ(contents(), "[a]\r\n1=x\r\n");
    EXPECT_EQ(settings.read("a", "1"), "x");
}

TEST_F(SettingsFileTest, NamesMatchWithoutRegardToAsciiCase) {
    put("[Paths]\r\nLast=C:\\x\r\n");
    EXPECT_EQ(settings.read("PATHS", "last"), "C:\\x");
    EXPECT_EQ(settings.read("paths", "LAST"), "C:\\x");
    ASSERT_TRUE(settings.write("pAtHs", "lAsT", "D:\\y"));
    // Replaced in place: the file's spelling of both names is kept.
    EXPECT_EQ(contents(), "[Paths]\r\nLast=D:\\y\r\n");
}

TEST_F(SettingsFileTest, SecondBytesOfChineseCharactersAreNotFolded) {
    // 0x81 0x41 and 0x81 0x61 are two different characters whose second
    // bytes read "A" and "a" in ASCII.
    const std::string upper = "\x81\x41";
    const std::string lower = "\x81\x61";
    ASSERT_TRUE(settings.write(upper, upper, "1"));
    ASSERT_TRUE(settings.write(lower, lower, "2"));
    ASSERT_TRUE(settings.write(upper, lower, "3"));
    EXPECT_EQ(settings.read(upper, upper), "1");
    EXPECT_EQ(settings.read(lower, lower), "2");
    EXPECT_EQ(settings.read(upper, lower), "3");
    EXPECT_EQ(settings.read(lower, upper), "");
}

TEST_F(SettingsFileTest, ReplacingAValueLeavesEveryOtherLineAsItWas) {
    put("; comment\r\n[a]\r\n1=one\r\n  2 = two  \r\n; note\r\n3=three\r\n\r\n[b]\r\n2=bee\r\n");
    ASSERT_TRUE(settings.write("a", "2", "TWO"));
    EXPECT_EQ(contents(),
              "; comment\r\n[a]\r\n1=one\r\n2=TWO\r\n; note\r\n3=three\r\n\r\n[b]\r\n2=bee\r\n");
}

TEST_F(SettingsFileTest, NewKeyGoesAfterTheLastLineOfItsSection) {
    put("[a]\r\n1=one\r\n\r\n; kept with a\r\n2=two\r\n\r\n\r\n[b]\r\n1=bee\r\n");
    ASSERT_TRUE(settings.write("a", "3", "three"));
    ASSERT_TRUE(settings.write("b", "2", "bee2"));
    EXPECT_EQ(contents(),
              "[a]\r\n1=one\r\n\r\n; kept with a\r\n2=two\r\n3=three\r\n\r\n\r\n"
              "[b]\r\n1=bee\r\n2=bee2\r\n");
}

TEST_F(SettingsFileTest, NewKeyInASectionWithoutKeysFollowsItsHeader) {
    put("[a]\r\n\r\n[b]\r\n");
    ASSERT_TRUE(settings.write("a", "1", "x"));
    ASSERT_TRUE(settings.write("b", "1", "y"));
    EXPECT_EQ(contents(), "[a]\r\n1=x\r\n\r\n[b]\r\n1=y\r\n");
}

TEST_F(SettingsFileTest, MissingSectionIsAddedAtTheEndOfTheFile) {
    put("[a]\r\n1=x\r\n\r\n[b]\r\n1=y");  // no line end after the last line
    ASSERT_TRUE(settings.write("c", "1", "z"));
    EXPECT_EQ(contents(), "[a]\r\n1=x\r\n\r\n[b]\r\n1=y\r\n\r\n[c]\r\n1=z\r\n");
    ASSERT_TRUE(settings.write("a", "2", "w"));
    EXPECT_EQ(contents(), "[a]\r\n1=x\r\n2=w\r\n\r\n[b]\r\n1=y\r\n\r\n[c]\r\n1=z\r\n");
}

TEST_F(SettingsFileTest, LinesBeforeTheFirstSectionBelongToNone) {
    put("1=stray\r\n[a]\r\n");
    EXPECT_EQ(settings.read("a", "1"), "");
    EXPECT_EQ(settings.read("", "1"), "");
    ASSERT_TRUE(settings.write("b", "1", "x"));
    EXPECT_EQ(contents(), "1=stray\r\n[a]\r\n\r\n[b]\r\n1=x\r\n");
    SettingsFile fresh(tree.path("only_stray.ini"));
    tree.write("only_stray.ini", "1=stray\r\n");
    ASSERT_TRUE(fresh.write("a", "1", "x"));
    EXPECT_EQ(tree.read("only_stray.ini"), "1=stray\r\n\r\n[a]\r\n1=x\r\n");
}

TEST_F(SettingsFileTest, FirstSectionAndFirstKeyOfANameCount) {
    put("[a]\r\n1=first\r\n1=second\r\n[A]\r\n1=third\r\n2=later\r\n");
    EXPECT_EQ(settings.read("a", "1"), "first");
    EXPECT_EQ(settings.read("a", "2"), "");
    ASSERT_TRUE(settings.write("a", "1", "new"));
    ASSERT_TRUE(settings.write("a", "2", "two"));
    EXPECT_EQ(contents(), "[a]\r\n1=new\r\n1=second\r\n2=two\r\n[A]\r\n1=third\r\n2=later\r\n");
}

TEST_F(SettingsFileTest, BlanksAroundNamesAndValuesAreNotPartOfThem) {
    put("  [ sec ]  \r\n\t key \t=\t some value \t\r\nempty =\r\nbare\r\n");
    EXPECT_EQ(settings.read("sec", "key"), "some value");
    EXPECT_EQ(settings.read(" sec\t", "\tkey "), "some value");
    EXPECT_EQ(settings.read("sec", "empty"), "");
    EXPECT_EQ(settings.read("sec", "bare"), "");
    ASSERT_TRUE(settings.write(" sec ", " bare ", "  now set  "));
    ASSERT_TRUE(settings.write("sec", "new", " v "));
    EXPECT_EQ(contents(),
              "  [ sec ]  \r\n\t key \t=\t some value \t\r\nempty =\r\nbare=now set\r\n"
              "new=v\r\n");
}

TEST_F(SettingsFileTest, OnePairOfMatchingQuotesIsRemovedOnRead) {
    put("[q]\r\n1=\"a b\"\r\n2='c'\r\n3=\"d'\r\n4=\"\r\n5=\"\"\r\n6=\"x\"y\"\r\n7=\"\"e\"\"\r\n"
        "8= \"f\" \r\n");
    EXPECT_EQ(settings.read("q", "1"), "a b");
    EXPECT_EQ(settings.read("q", "2"), "c");
    EXPECT_EQ(settings.read("q", "3"), "\"d'");
    EXPECT_EQ(settings.read("q", "4"), "\"");
    EXPECT_EQ(settings.read("q", "5"), "");
    EXPECT_EQ(settings.read("q", "6"), "x\"y");
    EXPECT_EQ(settings.read("q", "7"), "\"e\"");
    EXPECT_EQ(settings.read("q", "8"), "f");
}

TEST_F(SettingsFileTest, ReadValuesAreCutToTheBuffer) {
    const std::string exact(kSettingsValueLimit, 'a');
    const std::string longer(20000, 'b');
    std::string chinese;
    while (chinese.size() < 20000) chinese += gbk("中");
    ASSERT_TRUE(settings.write("cut", "exact", exact));
    ASSERT_TRUE(settings.write("cut", "longer", longer));
    ASSERT_TRUE(settings.write("cut", "chinese", chinese));
    ASSERT_TRUE(settings.write("cut", "quoted", "\"" + exact + "b\""));
    EXPECT_EQ(settings.read("cut", "exact"), exact);
    EXPECT_EQ(settings.read("cut", "longer"), longer.substr(0, 10239));
    // 10239 is odd: the last whole two-byte character ends at 10238.
    EXPECT_EQ(settings.read("cut", "chinese"), chinese.substr(0, 10238));
    EXPECT_EQ(settings.read("cut", "quoted"), exact);
    // The file keeps the whole value.
    EXPECT_NE(contents().find("longer=" + longer + "\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, ChineseSectionsKeysAndValuesAreGbkBytes) {
    const std::string section = gbk("文件路径");
    const std::string key = gbk("路径");
    const std::string value = gbk("D:\\网站\\首页");
    ASSERT_TRUE(settings.write(section, key, value));
    EXPECT_EQ(contents(), "[" + section + "]\r\n" + key + "=" + value + "\r\n");
    EXPECT_EQ(settings.read(section, key), value);
    // A second byte of 0x5D (a closing bracket in ASCII) ends no section name.
    const std::string bracket_trail = "x\x81]";
    ASSERT_TRUE(settings.write(bracket_trail, "1", "y"));
    EXPECT_EQ(settings.read(bracket_trail, "1"), "y");
    EXPECT_EQ(settings.read("x\x81", "1"), "");
}

TEST_F(SettingsFileTest, LfOnlyFileIsReadAndWrittenBackWithCrLf) {
    put("[a]\n1=x\n2=y\n\n[b]\n1=z\n");
    EXPECT_EQ(settings.read("a", "2"), "y");
    EXPECT_EQ(settings.read("b", "1"), "z");
    ASSERT_TRUE(settings.write("a", "3", "w"));
    EXPECT_EQ(contents(), "[a]\r\n1=x\r\n2=y\r\n3=w\r\n\r\n[b]\r\n1=z\r\n");
}

TEST_F(SettingsFileTest, TextThatWouldNotReadBackIsRefusedAndChangesNothing) {
    const std::string before = "[a]\r\n1=x\r\n";
    put(before);
    EXPECT_FALSE(settings.write("a", "1", "line\r\nbreak"));
    EXPECT_FALSE(settings.write("a", "1", "lf\nonly"));
    EXPECT_FALSE(settings.write("a", "1", "cr\ronly"));
    EXPECT_FALSE(settings.write("a", "1", std::string("zero\0byte", 9)));
    EXPECT_FALSE(settings.write("a\r\n[b]", "1", "v"));
    EXPECT_FALSE(settings.write("a", "1\n2", "v"));
    EXPECT_FALSE(settings.write("a", "k=ey", "v"));
    EXPECT_FALSE(settings.write("a", "[k]", "v"));
    EXPECT_FALSE(settings.write("a", "[k", "v]"));
    EXPECT_FALSE(settings.write("a", " ", "v"));
    EXPECT_FALSE(settings.write("", "1", "v"));
    EXPECT_FALSE(settings.write("a\x81", "1", "v"));  // a cut character swallows the bracket
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(settings.read("a", "1"), "x");
    // Brackets inside names and values that read back are fine.
    ASSERT_TRUE(settings.write("a]b", "k]", "[v]"));
    ASSERT_TRUE(settings.write("a]b", "[k", "v"));
    EXPECT_EQ(settings.read("a]b", "k]"), "[v]");
    EXPECT_EQ(settings.read("a]b", "[k"), "v");
}

TEST_F(SettingsFileTest, ManyValuesInOneWriteSkipOnlyTheRefusedOnes) {
    const std::vector<SettingsValue> values{{"1", "a"}, {"2", "b\nc"}, {"3", "d"}, {"1", "e"}};
    EXPECT_FALSE(settings.write_many("s", values));
    EXPECT_EQ(contents(), "[s]\r\n1=e\r\n3=d\r\n");
}

TEST_F(SettingsFileTest, WritesLeaveNoTemporaryFiles) {
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(settings.write("a", std::to_string(round), "value"));
    }
    EXPECT_EQ(entries(), std::vector<std::string>{"data.ini"});
}

TEST_F(SettingsFileTest, AFileThatCannotBeReadIsNotOverwritten) {
    tree.make_directory("data.ini");  // exists, but no file to read
    EXPECT_FALSE(settings.write("a", "1", "x"));
    EXPECT_TRUE(platform::directory_exists(tree.path("data.ini")));
}

TEST_F(SettingsFileTest, WriteIntoAMissingDirectoryFails) {
    SettingsFile nowhere(tree.path("missing\\data.ini"));
    EXPECT_FALSE(nowhere.write("a", "1", "x"));
    EXPECT_FALSE(SettingsFile("").write("a", "1", "x"));
    EXPECT_EQ(entries(), std::vector<std::string>{});
}

TEST_F(SettingsFileTest, AnUnchangedValueIsNotWrittenAgain) {
    put("[a]\r\n1 = x\n");
    ASSERT_TRUE(settings.write("A", "1", " x "));
    // The LF-only line end shows that the file was left alone.
    EXPECT_EQ(contents(), "[a]\r\n1 = x\n");
}

TEST_F(SettingsFileTest, ParsedDocumentReadsAsTheFileDoes) {
    const IniDocument document("[a]\r\n1=x\r\n[b]\n2 = 'y'\n");
    EXPECT_EQ(document.read("A", "1"), "x");
    EXPECT_EQ(document.read("b", "2"), "y");
    EXPECT_FALSE(document.modified());
    EXPECT_EQ(document.bytes(), "[a]\r\n1=x\r\n[b]\r\n2 = 'y'\r\n");
    EXPECT_EQ(IniDocument().bytes(), "");
}

TEST_F(SettingsFileTest, ThousandKeysAreSavedAndLoaded) {
    std::vector<std::string> keys;
    std::vector<std::string> texts;
    for (int key = 1; key <= 1000; ++key) {
        keys.push_back(std::to_string(key));
        texts.push_back("C:\\some\\directory\\" + keys.back());
    }
    std::vector<SettingsValue> values;
    for (std::size_t index = 0; index < keys.size(); ++index) {
        values.push_back({keys[index], texts[index]});
    }

    ASSERT_TRUE(settings.write_many(gbk("文件路径"), values));
    const IniDocument document = settings.load();
    for (std::size_t index = 0; index < keys.size(); ++index) {
        ASSERT_EQ(document.read(gbk("文件路径"), keys[index]), texts[index]);
    }
}

TEST(SettingsFilePath, IsDataIniBesideTheExecutable) {
    const std::string directory = platform::executable_directory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(ui::settings_file_path(), directory + "data.ini");
}

}  // namespace
}  // namespace qelvo::testing
