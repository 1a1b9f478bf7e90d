#include "engine/gbk_forms.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/codepage.h"

namespace qelvo {
namespace {

TEST(GbkForms, AUnitHasAnExactFormWhenItComesBackFromGbkAsItself) {
    int exact = 0;
    for (char32_t unit = 1; unit < 0x10000; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) continue;
        const std::u16string one(1, static_cast<char16_t>(unit));
        const bool comes_back = codepage::gbk_to_utf16(codepage::utf16_to_gbk(one)) == one;
        ASSERT_EQ(has_exact_gbk_form(unit), comes_back)
            << "U+" << std::hex << static_cast<std::uint32_t>(unit);
        exact += comes_back;
    }
    // ASCII, the euro sign, the Chinese characters: GBK holds over 21,000 exactly.
    EXPECT_GT(exact, 21000);
    EXPECT_TRUE(has_exact_gbk_form(U'€'));
    EXPECT_FALSE(has_exact_gbk_form(0x1F600));  // an emoji, outside UTF-16's first plane
    EXPECT_FALSE(has_exact_gbk_form(0xFEFF));   // the byte-order mark
}

}  // namespace
}  // namespace qelvo
