#include "engine/file_search.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file_contents.h"
#include "engine/file_text.h"
#include "engine/gbk_forms.h"
#include "engine/gbk_literal.h"
#include "engine/search_plan.h"
#include "platform/codepage.h"
#include "platform/platform.h"
#include "tests/byte_literal.h"
#include "tests/temp_tree.h"
#include "tests/whole_file_reference.h"

namespace qelvo::testing {
namespace {

std::string describe(const SearchInputs& inputs, bool ignore_case) {
    return std::string(inputs.utf8 ? "UTF-8" : "GBK") + " file, find " + byte_literal(inputs.find) +
           ", replacement " + byte_literal(inputs.replacement) +
           (ignore_case ? ", ignoring case" : ", case-sensitive");
}

std::string utf8(std::string_view gbk_text) { return codepage::gbk_to_utf8(gbk_text); }

// U+F8F5, a private-use character that GBK holds as the single byte 0xFF.
const std::string kF8F5 = "\xEF\xA3\xB5";

// Pieces of one byte up to the size the workers use. A piece is read into a buffer with room
// for what is carried from the piece before, so the edges fall at offsets that vary with the
// find text: files longer than a few buffers and matches at every offset find them all.
constexpr std::size_t kEveryPieceSize[] = {1, 2, 3, 5, 7, 16, 64, FileSearch::kPieceSize};
constexpr std::size_t kSmallPieceSizes[] = {1, 3, 16};
constexpr std::size_t kSomePieceSizes[] = {1, 3, 7, FileSearch::kPieceSize};

constexpr std::string_view kName = "file.txt";

class FileSearchTest : public ::testing::Test {
  protected:
    // One search per piece size, kept from file to file and from inputs to inputs as a worker
    // keeps its own.
    FileSearch& search_with(std::size_t piece_size) {
        std::unique_ptr<FileSearch>& search = searches_[piece_size];
        if (!search) search = std::make_unique<FileSearch>(piece_size);
        return *search;
    }

    void put(std::string_view bytes) const {
        std::ofstream file(tree.native(kName), std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(file.good());
    }

    // A search keeps the file it tested last open, which on Windows keeps the next put() from
    // writing it; testing a path that names no file lets it go.
    void release(FileSearch& search) const { search.contains(tree.path("no such file")); }

    std::vector<std::string> directory_entries() const {
        std::vector<std::string> names;
        platform::list_directory(tree.root(), [&names](const std::string& name, auto) {
            names.push_back(name);
            return true;
        });
        return names;
    }

    // Tests the file with each piece size and rewrites it when it holds the find text, as a
    // worker does, and compares both with the whole-file result. Stops at the first difference.
    void check(std::string_view bytes, const SearchInputs& inputs, bool ignore_case,
               std::span<const std::size_t> piece_sizes = kEveryPieceSize) {
        const WholeFileResult expected = whole_file_result(bytes, inputs, ignore_case);
        ++(expected.contains ? found : not_found);
        if (expected.rewritten != bytes) ++changed;
        for (const std::size_t piece_size : piece_sizes) {
            FileSearch& search = search_with(piece_size);
            put(bytes);
            search.prepare(inputs, ignore_case);
            const bool contains = search.contains(tree.path(kName));
            // A file without a match is not rewritten: it must hold what it held.
            const bool replaced = !contains || search.replace(tree.path(kName));
            const std::string rewritten = tree.read(kName);
            release(search);
            if (contains == expected.contains && replaced && rewritten == expected.rewritten) {
                continue;
            }
            ADD_FAILURE() << describe(inputs, ignore_case) << ", piece size " << piece_size
                          << "\nfile      " << byte_literal(bytes) << "\ncontains  expected "
                          << expected.contains << ", got " << contains << "\nreplace   "
                          << (replaced ? "succeeded" : "failed") << "\nexpected  "
                          << byte_literal(expected.rewritten) << "\ngot       "
                          << byte_literal(rewritten);
            return;
        }
    }

    TempTree tree;
    // How many files checked held the find text, did not, and were changed by the rewrite.
    int found = 0;
    int not_found = 0;
    int changed = 0;

  private:
    std::map<std::size_t, std::unique_ptr<FileSearch>> searches_;
};

bool is_letter(char byte) { return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z'); }

// Files made of few distinct pieces, so that the find text, near misses of it and characters
// that are hard to search in bytes meet often, also across piece edges.
class RandomFiles {
  public:
    explicit RandomFiles(std::uint32_t seed) : engine_(seed) {}

    std::size_t below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(engine_);
    }
    bool one_in(std::size_t n) { return below(n) == 0; }
    template <typename Item>
    const Item& pick(const std::vector<Item>& items) {
        return items[below(items.size())];
    }

    // GBK texts, each chosen for how it is searched: ASCII, Chinese, characters whose second
    // byte is a letter, one-byte GBK forms of 0x80 and more, a lone first byte, nothing.
    std::string find() {
        static const std::vector<std::string> finds = {
            "a",        "ab",        "aB",      "abc",       "aaa",      "abab",     "b a",
            "?",        "",          gbk("中"), gbk("中文"), gbk("文a"), gbk("a中"), "\x81\x41",
            "\x81\x61", "x\x81\x61", gbk("€"),  gbk("a€b"),  "\xFF",     "\x81",     "a\x81"};
        return pick(finds);
    }

    std::string replacement(const std::string& find) {
        switch (below(12)) {
            case 0:
                return find;
            case 1:
                return find + find;
            default: {
                static const std::vector<std::string> replacements = {
                    "", "X", "xy", "AB", gbk("新"), "\x80", "\x81", "\x81\x41", "\xFF", "?"};
                return pick(replacements);
            }
        }
    }

    std::string gbk_file(std::string_view find, std::string_view replacement) {
        static const std::vector<std::string> common = {
            "a", "A", "b", "B", " ", "\r\n", "x", "?", gbk("中"), gbk("文"),
            // Extension characters whose second byte is a letter.
            "\x81\x41", "\x81\x61", "\xB0\x41", "\xB0\x61"};
        static const std::vector<std::string> uncommon = {"\x81", "\x80", "\xFF", "\xFE"};
        return file(common, {uncommon, kZero}, find, replacement,
                    [this] { return random_gbk_character(); });
    }

    std::string utf8_file(std::string_view find, std::string_view replacement) {
        static const std::vector<std::string> common = {
            "a", "A", "b", "B", " ", "\r\n", "x", "?", "中", "文", "·",
            // The characters whose GBK forms are 0x81 0x41 and 0x81 0x61.
            utf8("\x81\x41"), utf8("\x81\x61"),
            // An emoji, a byte-order mark and U+0080, none of which has a GBK form.
            "\xF0\x9F\x98\x80", "\xEF\xBB\xBF", "\xC2\x80"};
        // Stray and truncated sequences, an overlong form, a surrogate, a code point past
        // U+10FFFF, and GBK text in a file taken for UTF-8.
        static const std::vector<std::string> invalid = {
            "\x80",         "\xFF",         "\xC0\x80",         "\xE4\x41", "\xE4\xB8",
            "\xED\xA0\x80", "\xF0\x9F\x98", "\xF4\x90\x80\x80", gbk("中文")};
        // '€' and U+F8F5, whose GBK forms are the single bytes 0x80 and 0xFF: the letter after
        // one is taken as its second byte.
        static const std::vector<std::string> single_high_byte = {"€", kF8F5, "€a", kF8F5 + "a"};
        return file(common, {invalid, single_high_byte, kZero}, utf8(find), utf8(replacement),
                    [this] { return utf8(random_gbk_character()); });
    }

    // A few bytes cut from the searched text of a file, as a find text: it occurs there unless
    // the cut goes through a character.
    std::string cut_from(std::string_view bytes, bool is_utf8) {
        const std::string_view text = split_at_first_zero(bytes).text;
        if (text.empty()) return "a";
        const std::size_t at = below(text.size());
        const std::string_view cut = text.substr(at, 1 + below(6));
        return is_utf8 ? codepage::utf8_to_gbk(cut) : std::string(cut);
    }

  private:
    // A first byte and a second byte from anywhere in their ranges; the pair may have no
    // character, which in a UTF-8 file gives a character without a GBK form.
    std::string random_gbk_character() {
        std::string character(1, static_cast<char>(0x81 + below(0x7E)));
        const char second = static_cast<char>(0x40 + below(0xBF));
        return character + (second == '\x7F' ? 'A' : second);
    }

    inline static const std::vector<std::string> kZero = {std::string(1, '\0')};

    template <typename MakePiece>
    std::string file(const std::vector<std::string>& common,
                     const std::vector<std::vector<std::string>>& occasional, std::string_view find,
                     std::string_view replacement, MakePiece make_piece) {
        // Each occasional group of pieces is in some files only, and the find text is left out
        // of some, where the whole file is read without a match.
        std::vector<const std::vector<std::string>*> groups;
        for (const std::vector<std::string>& group : occasional) {
            if (one_in(3)) groups.push_back(&group);
        }
        const bool seeded = !find.empty() && !one_in(4);
        std::string bytes;
        for (std::size_t count = below(120); count > 0; --count) {
            const std::size_t kind = below(16);
            if (seeded && kind < 4) {
                bytes += near_miss(find, kind);
            } else if (kind == 4) {
                bytes += replacement;
            } else if (kind == 5 && !groups.empty()) {
                bytes += pick(*groups[below(groups.size())]);
            } else if (kind == 6) {
                bytes += make_piece();
            } else {
                bytes += pick(common);
            }
        }
        return bytes;
    }

    // The find text itself, with the case of some letters changed, or cut short at either end.
    std::string near_miss(std::string_view find, std::size_t kind) {
        std::string piece(find);
        if (kind == 1) {
            for (char& byte : piece) {
                if (is_letter(byte) && one_in(2)) byte = static_cast<char>(byte ^ 0x20);
            }
        } else if (kind == 2) {
            piece.resize(below(piece.size()));
        } else if (kind == 3) {
            piece.erase(0, 1 + below(piece.size()));
        }
        return piece;
    }

    std::mt19937 engine_;
};

bool holds_single_high_byte_character(std::string_view bytes) {
    const std::string_view text = split_at_first_zero(bytes).text;
    for (const std::string& character : single_high_byte_characters()) {
        if (text.find(character) != std::string_view::npos) return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Random files, random inputs

using FileSearchRandom = FileSearchTest;

TEST_F(FileSearchRandom, GbkFilesGiveTheWholeFileResult) {
    RandomFiles random(20240613);
    std::map<SearchMethod, int> methods;
    for (int round = 0; round < 120 && !HasFailure(); ++round) {
        SearchInputs inputs{random.find(), "", false};
        inputs.replacement = random.replacement(inputs.find);
        const std::string bytes = random.gbk_file(inputs.find, inputs.replacement);
        if (random.one_in(3)) inputs.find = random.cut_from(bytes, false);
        const bool ignore_case = random.one_in(2);
        ++methods[make_search_plan(inputs, ignore_case).method];
        check(bytes, inputs, ignore_case);
    }
    // Files with matches, files without, and inputs of both methods came up.
    EXPECT_GT(found, 40);
    EXPECT_GT(not_found, 15);
    EXPECT_GT(changed, 40);
    EXPECT_GT(methods[SearchMethod::gbk_bytes], 80);
    EXPECT_GT(methods[SearchMethod::whole_file], 0);
}

TEST_F(FileSearchRandom, Utf8FilesGiveTheWholeFileResult) {
    RandomFiles random(20240614);
    std::map<SearchMethod, int> methods;
    int sent_to_conversion = 0;
    for (int round = 0; round < 150 && !HasFailure(); ++round) {
        SearchInputs inputs{random.find(), "", true};
        inputs.replacement = random.replacement(inputs.find);
        const std::string bytes = random.utf8_file(inputs.find, inputs.replacement);
        if (random.one_in(3)) inputs.find = random.cut_from(bytes, true);
        const bool ignore_case = random.one_in(2);
        const SearchMethod method = make_search_plan(inputs, ignore_case).method;
        ++methods[method];
        if (method == SearchMethod::utf8_bytes && holds_single_high_byte_character(bytes)) {
            ++sent_to_conversion;
        }
        check(bytes, inputs, ignore_case);
    }
    EXPECT_GT(found, 50);
    EXPECT_GT(not_found, 25);
    EXPECT_GT(changed, 45);
    EXPECT_GT(methods[SearchMethod::utf8_bytes], 60);
    EXPECT_GT(methods[SearchMethod::utf8_converted], 20);
    EXPECT_GT(sent_to_conversion, 20);
}

// ---------------------------------------------------------------------------------------------
// Inputs that cannot be searched in a UTF-8 file's bytes, next to inputs that can: both give
// what the conversion gives.

using FileSearchRoutes = FileSearchTest;

TEST_F(FileSearchRoutes, EveryRouteGivesTheWholeFileResult) {
    struct Route {
        SearchInputs inputs;
        bool ignore_case;
        SearchMethod method;
    };
    const Route routes[] = {
        {{"ab", "X", true}, false, SearchMethod::utf8_bytes},
        {{"aB", gbk("新"), true}, true, SearchMethod::utf8_bytes},
        {{gbk("中文"), "", true}, true, SearchMethod::utf8_bytes},
        {{"\x81\x61", "X", true}, false, SearchMethod::utf8_bytes},
        // Folding the second byte would make it another character.
        {{"\x81\x61", "X", true}, true, SearchMethod::utf8_converted},
        {{"x\x81\x41", "", true}, true, SearchMethod::utf8_converted},
        // '€', and U+F8F5, one byte of 0x80 or more in GBK.
        {{gbk("a€"), "X", true}, false, SearchMethod::utf8_converted},
        {{"\xFF", "b", true}, true, SearchMethod::utf8_converted},
        // A lone first byte has no UTF-8 form, in the find text or the replacement.
        {{"a\x81", "X", true}, false, SearchMethod::utf8_converted},
        {{"ab", "\x81", true}, false, SearchMethod::utf8_converted},
        {{"", "X", true}, true, SearchMethod::whole_file},
        {{"\x81\x61", "X", false}, true, SearchMethod::gbk_bytes},
        {{"a\x81", "\x80", false}, false, SearchMethod::gbk_bytes},
    };
    RandomFiles random(20240615);
    for (const Route& route : routes) {
        EXPECT_EQ(make_search_plan(route.inputs, route.ignore_case).method, route.method)
            << describe(route.inputs, route.ignore_case);
        for (int round = 0; round < 15 && !HasFailure(); ++round) {
            const SearchInputs& inputs = route.inputs;
            const std::string bytes = inputs.utf8
                                          ? random.utf8_file(inputs.find, inputs.replacement)
                                          : random.gbk_file(inputs.find, inputs.replacement);
            check(bytes, inputs, route.ignore_case, kSomePieceSizes);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Bytes inserted at every offset of a text: matches and characters cut in two fall on both
// sides of every piece edge, and an odd number of inserted bytes changes which bytes begin GBK
// characters after them.

class FileSearchPieceEdges : public FileSearchTest {
  protected:
    void check_at_every_offset(std::string_view text, std::string_view inserted,
                               const SearchInputs& inputs) {
        for (std::size_t at = 0; at <= text.size() && !HasFailure(); ++at) {
            std::string bytes(text);
            bytes.insert(at, inserted);
            check(bytes, inputs, at % 3 == 0, kSmallPieceSizes);
        }
    }
};

std::string repeated(std::string_view piece, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += piece;
    return text;
}

TEST_F(FileSearchPieceEdges, LetterAmongCharactersWhoseSecondByteIsALetter) {
    const std::string text = repeated("\xB0\x61", 24);
    check_at_every_offset(text, "a", {"a", "XY", false});
    check_at_every_offset(text, "A", {"a", "", false});
}

TEST_F(FileSearchPieceEdges, PairOfBytesAcrossTwoCharactersBeginsOneAfterAnInsertedByte) {
    // In 中中 the bytes D0 D6 run across the two characters; after a single byte inserted
    // within a 中 they make a character of their own.
    check_at_every_offset(repeated(gbk("中"), 24), "a", {"\xD0\xD6", "z", false});
}

TEST_F(FileSearchPieceEdges, GbkCharacterAmongGbkCharacters) {
    check_at_every_offset(repeated(gbk("中"), 24), gbk("文"), {gbk("文"), "w", false});
}

TEST_F(FileSearchPieceEdges, Utf8CharacterAmongUtf8Characters) {
    // Inserted within a character, it leaves invalid sequences on both sides.
    check_at_every_offset(repeated("中", 16), "文", {gbk("文"), gbk("新字"), true});
}

TEST_F(FileSearchPieceEdges, CharacterWithAOneByteGbkFormInAUtf8File) {
    // '€' and U+F8F5 are single bytes of 0x80 or more in GBK, taken as the first byte of a
    // two-byte character: the "ab" right after one is not found, the one in front of it is.
    const std::string text = repeated("中", 16);
    const SearchInputs inputs{"ab", "X", true};
    check_at_every_offset(text, "€ab", inputs);
    check_at_every_offset(text, kF8F5 + "ab", inputs);
    check_at_every_offset(text, "ab€", inputs);
}

TEST_F(FileSearchPieceEdges, MatchAcrossTwoCharactersAfterAOneByteFormInAUtf8File) {
    // After '€', 0x80 in GBK, the bytes D0 CE that run across 中文 begin a character of the
    // GBK text, 形, which is found and replaced. What is left of 中 and 文 around the
    // replacement goes back to UTF-8 as the bytes it now is: a first byte before a letter, a
    // space or another first byte, and a first byte alone at the end.
    const std::string text = repeated("€中文", 12);
    for (const std::string& replacement : {std::string("X"), std::string(" "), gbk("新")}) {
        check_at_every_offset(text, "a", {gbk("形"), replacement, true});
    }
}

TEST_F(FileSearchPieceEdges, CharacterWithoutAGbkFormEndsARunOfTheGbkText) {
    // The '€' in front sends the file through its GBK text, where an emoji, a byte-order mark or
    // a cut sequence between 中 and 文 keeps them from making 中文, and one inserted into a
    // match splits it.
    const std::string text =
        "€" + repeated("中\xF0\x9F\x98\x80文中\xEF\xBB\xBF文中\xE6\x96文中文", 3);
    const SearchInputs inputs{gbk("中文"), "zw", true};
    check_at_every_offset(text, "中文", inputs);
    check_at_every_offset(text, "\xF0\x9F\x98", inputs);
}

TEST_F(FileSearchPieceEdges, LargeUtf8FileWithAOneByteFormAndItsOnlyMatchAcrossAPieceEnd) {
    // One run of characters over three pieces, sent through the GBK text by the '€' at its
    // start; the match takes each offset around the end of the first piece read.
    const std::string text = "€" + repeated("中", FileSearch::kPieceSize);
    const std::size_t piece_sizes[] = {FileSearch::kPieceSize};
    const SearchInputs inputs{gbk("文"), "wen", true};
    for (std::size_t at = FileSearch::kPieceSize - 6;
         at < FileSearch::kPieceSize + 12 && !HasFailure(); ++at) {
        std::string bytes = text;
        bytes.insert(at, "文");
        check(bytes, inputs, false, piece_sizes);
    }
}

TEST_F(FileSearchPieceEdges, LargeFileWithItsOnlyMatchAcrossTheEndOfAPiece) {
    // Over three pieces of two-byte characters; the match takes each offset around the end of
    // the first piece read, which the room kept for carried bytes puts a little after the
    // piece size. At odd offsets it is cut across characters and not found.
    const std::string text = repeated(gbk("中"), (3 * FileSearch::kPieceSize + 100) / 2);
    const std::size_t piece_sizes[] = {FileSearch::kPieceSize};
    const SearchInputs inputs{gbk("文"), "wen", false};
    for (std::size_t at = FileSearch::kPieceSize - 4;
         at < FileSearch::kPieceSize + 40 && !HasFailure(); ++at) {
        std::string bytes = text;
        bytes.insert(at, gbk("文"));
        check(bytes, inputs, false, piece_sizes);
    }
}

// ---------------------------------------------------------------------------------------------
// Particular files

using FileSearchFiles = FileSearchTest;

TEST_F(FileSearchFiles, EmptyFileAndAFileOfOneZeroByteHoldNothing) {
    for (const std::string& bytes : {std::string(), std::string(1, '\0')}) {
        for (const bool utf8 : {false, true}) {
            for (const std::string& find : {std::string("a"), std::string()}) {
                const SearchInputs inputs{find, "X", utf8};
                EXPECT_FALSE(whole_file_result(bytes, inputs, false).contains);
                check(bytes, inputs, false);
            }
        }
    }
}

TEST_F(FileSearchFiles, TextEndsAtTheFirstZeroByte) {
    const std::string after_zero = std::string(1, '\0') + "ab" + std::string(1, '\0') + "ab";
    for (const bool utf8 : {false, true}) {
        const SearchInputs inputs{"ab", "X", utf8};
        EXPECT_EQ(whole_file_result("xab" + after_zero, inputs, false).rewritten,
                  "xX" + after_zero);
        EXPECT_FALSE(whole_file_result("xa" + after_zero, inputs, false).contains);
        check("xab" + after_zero, inputs, false);
        check("xa" + after_zero, inputs, false);
        // The same with piece edges before and after the zero byte.
        const std::string padding = repeated("xy", 40);
        check(padding + "ab" + after_zero + padding, inputs, true);
        check(padding + "a" + after_zero + padding, inputs, true);
    }
}

TEST_F(FileSearchFiles, MissingPathOrDirectoryHoldsNothingAndNothingIsCreated) {
    tree.make_directory("folder");
    const SearchInputs inputs[] = {
        {"a", "X", false}, {"a", "X", true}, {"a\x81", "X", true}, {"", "X", false}};
    for (const SearchInputs& input : inputs) {
        for (const std::size_t piece_size : {std::size_t{1}, FileSearch::kPieceSize}) {
            FileSearch& search = search_with(piece_size);
            search.prepare(input, false);
            EXPECT_FALSE(search.contains(tree.path("missing.txt"))) << describe(input, false);
            EXPECT_FALSE(search.contains(tree.path("folder"))) << describe(input, false);
        }
    }
    EXPECT_EQ(directory_entries(), std::vector<std::string>{"folder"});
}

TEST_F(FileSearchFiles, ReadOnlyFileIsLeftAsItWas) {
    namespace fs = std::filesystem;
    const fs::perms write =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    struct Case {
        std::string bytes;
        SearchInputs inputs;
    };
    const Case cases[] = {
        {gbk("一 ab 二"), {"ab", "X", false}},
        {"one ab two", {"ab", "X", true}},
        // Through the conversion: for the replacement, and for the '€' ahead of the match.
        {"one ab two", {"ab", "\x81", true}},
        {"one € ab two", {"ab", "X", true}},
    };
    for (const Case& each : cases) {
        put(each.bytes);
        fs::permissions(tree.native(kName), write, fs::perm_options::remove);
        for (const std::size_t piece_size : {std::size_t{1}, FileSearch::kPieceSize}) {
            FileSearch& search = search_with(piece_size);
            search.prepare(each.inputs, false);
            EXPECT_TRUE(search.contains(tree.path(kName))) << describe(each.inputs, false);
            EXPECT_FALSE(search.replace(tree.path(kName))) << describe(each.inputs, false);
            EXPECT_EQ(tree.read(kName), each.bytes);
            EXPECT_EQ(directory_entries(), std::vector<std::string>{std::string(kName)});
        }
        fs::permissions(tree.native(kName), fs::perms::owner_write, fs::perm_options::add);
    }
}

}  // namespace
}  // namespace qelvo::testing
