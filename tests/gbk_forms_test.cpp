#include "engine/gbk_forms.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "platform/codepage.h"

namespace qelvo {
namespace {

TEST(GbkForms, AUnitHasAnExactFormWhenItComesBackFromGbkAsItself) {
    int exact = 0;
    for (char32_t unit = 1; unit < 0x10000; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) continue;
        const std::u16string one(1, static_cast<char16_t>(unit));
        const std::string gbk = codepage::utf16_to_gbk(one);
        const bool comes_back = codepage::gbk_to_utf16(gbk) == one;
        ASSERT_EQ(has_exact_gbk_form(unit), comes_back)
            << "U+" << std::hex << static_cast<std::uint32_t>(unit);
        if (comes_back) {
            std::string form;
            append_gbk_form(form, exact_gbk_form(unit));
            ASSERT_EQ(form, gbk) << "U+" << std::hex << static_cast<std::uint32_t>(unit);
        }
        exact += comes_back;
    }
    // ASCII, the euro sign, the Chinese characters: GBK holds over 21,000 exactly.
    EXPECT_GT(exact, 21000);
    EXPECT_EQ(exact_gbk_form(U'€'), 0x80);
    EXPECT_EQ(exact_gbk_form(U'中'), 0xD6D0);
    EXPECT_EQ(exact_gbk_form(U'A'), 'A');
    EXPECT_EQ(exact_gbk_form(0), 0);        // the zero byte ends a text; it is no character of it
    EXPECT_EQ(exact_gbk_form(0x1F600), 0);  // an emoji, outside UTF-16's first plane
    EXPECT_FALSE(has_exact_gbk_form(0xFEFF));    // the byte-order mark
    EXPECT_FALSE(has_exact_gbk_form(0x110000));  // beyond Unicode
}

// Every character of one byte and every pair of bytes, each alone, after ASCII and after a
// two-byte character, converts as the code page converts it.
TEST(GbkForms, GbkTextConvertsToUtf8AsTheCodePageConvertsItWhateverItsBytes) {
    for (unsigned first = 1; first <= 0xFF; ++first) {
        for (unsigned second = 1; second <= 0xFF; ++second) {
            const std::string pair{static_cast<char>(first), static_cast<char>(second)};
            for (const std::string& text : {pair, "a" + pair, "\xD6\xD0" + pair}) {
                std::string utf8;
                ASSERT_EQ(append_gbk_as_utf8(utf8, text, false), text.size());
                ASSERT_EQ(utf8, codepage::gbk_to_utf8(text))
                    << std::hex << first << " " << second << " after " << text.size() - 2;
            }
        }
    }
}

TEST(GbkForms, RandomGbkBytesConvertToUtf8AsTheCodePageConvertsThem) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(1, 0xFF);
    for (int round = 0; round < 2000; ++round) {
        std::string text(static_cast<std::size_t>(byte(random) % 40), '\0');
        for (char& c : text) c = static_cast<char>(byte(random));
        std::string utf8 = "kept ";
        ASSERT_EQ(append_gbk_as_utf8(utf8, text, false), text.size());
        ASSERT_EQ(utf8, "kept " + codepage::gbk_to_utf8(text));
    }
}

// A text that goes on may complete a lead byte at its end only with its next byte; a lead
// byte that is the second byte of a character is no such end.
TEST(GbkForms, ALeadByteAtTheEndOfATextThatGoesOnIsLeftForLater) {
    std::string utf8;
    EXPECT_EQ(append_gbk_as_utf8(utf8, "ab\xD6", true), 2u);
    EXPECT_EQ(utf8, "ab");
    utf8.clear();
    EXPECT_EQ(append_gbk_as_utf8(utf8, "\xD6\xD0", true),
              2u);  // 中: its second byte is in the lead range
    EXPECT_EQ(utf8, "中");
    utf8.clear();
    EXPECT_EQ(append_gbk_as_utf8(utf8, "\xD6", true), 0u);
    EXPECT_EQ(utf8, "");
    EXPECT_EQ(append_gbk_as_utf8(utf8, "\x80", true), 1u);  // the euro sign stands alone
    EXPECT_EQ(utf8, "€");
    utf8.clear();
    EXPECT_EQ(append_gbk_as_utf8(utf8, "ab\xD6", false), 3u);
    EXPECT_EQ(utf8, codepage::gbk_to_utf8("ab\xD6"));
}

}  // namespace
}  // namespace qelvo
