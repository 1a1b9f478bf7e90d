// How texts travel between a text combo box and the text input window, what
// an imported file gives, and the window's layout on resize.
#include "ui/text_input_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "engine/gbk_literal.h"

namespace qelvo::ui {
namespace {

// The s suffix keeps embedded zero bytes in the literals.
using namespace std::string_literals;

// ---------------------------------------------------------------------------------------------
// Combo box <-> edit box

TEST(TextInputLineBreaks, EscapedLineBreakOpensAsTwoLinesAndGoesBackUnchanged) {
    const std::string combo = "a\\nb";
    const std::string edited = text_for_editing(combo);
    EXPECT_EQ(edited, "a\r\nb");
    EXPECT_EQ(text_for_combo(edited), combo);
}

TEST(TextInputLineBreaks, EveryOccurrenceIsConvertedIncludingAtBothEnds) {
    EXPECT_EQ(text_for_editing("\\nx\\n\\ny\\n"), "\r\nx\r\n\r\ny\r\n");
    EXPECT_EQ(text_for_combo("\r\nx\r\n\r\ny\r\n"), "\\nx\\n\\ny\\n");
}

TEST(TextInputLineBreaks, TextWithoutLineBreaksPassesUnchanged) {
    EXPECT_EQ(text_for_editing(""), "");
    EXPECT_EQ(text_for_combo(""), "");
    const std::string chinese = gbk("查找内容 \\t \\N n\\");
    EXPECT_EQ(text_for_editing(chinese), chinese);
    EXPECT_EQ(text_for_combo(chinese), chinese);
}

TEST(TextInputLineBreaks, LoneCarriageReturnOrLineFeedStaysRaw) {
    EXPECT_EQ(text_for_combo("a\nb"), "a\nb");
    EXPECT_EQ(text_for_combo("a\rb"), "a\rb");
    // LF CR is no line break pair; only the CR LF inside it counts.
    EXPECT_EQ(text_for_combo("a\n\r\nb\r"), "a\n\\nb\r");
}

TEST(TextInputLineBreaks, DoubledBackslashBeforeNIsStillOneEscapedBreakAfterABackslash) {
    // Matching goes left to right: the first backslash stays, the second one
    // and the n make the line break.
    EXPECT_EQ(text_for_editing("a\\\\nb"), "a\\\r\nb");
    EXPECT_EQ(text_for_combo("a\\\r\nb"), "a\\\\nb");
}

TEST(TextInputLineBreaks, BackslashAsSecondByteOfAChineseCharacterIsNoEscape) {
    // 0x95 0x5C is one GBK character whose second byte is a backslash; the n
    // after it is an ordinary letter.
    const std::string second_byte_backslash = "\x95\x5Cn";
    EXPECT_EQ(text_for_editing(second_byte_backslash), second_byte_backslash);
    // The same bytes after a one-byte character do form an escape.
    EXPECT_EQ(text_for_editing("\x5Cn\x95\x5C"), "\r\n\x95\x5C");
}

TEST(TextInputLineBreaks, ChineseLinesRoundTrip) {
    const std::string combo = gbk("第一行\\n第二行\\n");
    const std::string edited = text_for_editing(combo);
    EXPECT_EQ(edited, gbk("第一行\r\n第二行\r\n"));
    EXPECT_EQ(text_for_combo(edited), combo);
}

// ---------------------------------------------------------------------------------------------
// Imported files

TEST(TextInputImport, WholeFileWithoutStopBytes) {
    EXPECT_EQ(imported_text(""), "");
    EXPECT_EQ(imported_text("line 1\r\nline 2\nline 3\r"), "line 1\r\nline 2\nline 3\r");
    const std::string chinese = gbk("中文文本");
    EXPECT_EQ(imported_text(chinese), chinese);
}

TEST(TextInputImport, StopsAtTheFirstZeroByteOrEndOfFileMark) {
    EXPECT_EQ(imported_text("abc\x1A"
                            "def"),
              "abc");
    EXPECT_EQ(imported_text("abc\0def"s), "abc");
    EXPECT_EQ(imported_text("ab\0c\x1A"
                            "d"s),
              "ab");
    EXPECT_EQ(imported_text("ab\x1A"
                            "c\0d"s),
              "ab");
    EXPECT_EQ(imported_text("\x1A"
                            "abc"),
              "");
    EXPECT_EQ(imported_text("\0abc"s), "");
}

TEST(TextInputImport, EndOfFileMarkAsSecondByteDoesNotCutTheCharacter) {
    // Under the double-byte rule 0x81 0x1A is one character; the mark that
    // counts is the one after it.
    EXPECT_EQ(imported_text("a\x81\x1A"
                            "b\x1A"
                            "c"),
              "a\x81\x1A"
              "b");
    EXPECT_EQ(imported_text(gbk("中") + "\x1A" + gbk("文")), gbk("中"));
}

TEST(TextInputImport, ZeroByteEndsTheTextEvenAfterALeadByte) {
    // No GBK character has a zero second byte, and a text holds no zero byte.
    EXPECT_EQ(imported_text("a\x81\0b"s), "a\x81");
}

TEST(TextInputImport, LeadByteAtTheEndOfTheFileIsKept) {
    EXPECT_EQ(imported_text("ab\xD6"), "ab\xD6");
}

// ---------------------------------------------------------------------------------------------
// Layout on resize

void expect_geometry(const Geometry& actual, Geometry expected) {
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.width, expected.width);
    EXPECT_EQ(actual.height, expected.height);
}

TEST(TextInputLayout, SixHundredByFourHundred) {
    const InputWindowLayout layout = input_window_layout(600, 400);
    expect_geometry(layout.text_box, {8, 8, 580, 315});
    expect_geometry(layout.import_button, {8, 332, 96, 27});
    expect_geometry(layout.confirm_button, {420, 332, 80, 27});
    expect_geometry(layout.cancel_button, {508, 332, 80, 27});
}

TEST(TextInputLayout, ButtonsStayInOneRowBelowTheTextBoxAtAnySize) {
    for (const auto& [width, height] : {std::pair{510, 370}, {300, 200}, {1024, 768}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        const InputWindowLayout layout = input_window_layout(width, height);
        const int bottom_of_text_box = layout.text_box.top + layout.text_box.height;
        EXPECT_EQ(layout.import_button.top, bottom_of_text_box + 9);
        EXPECT_EQ(layout.confirm_button.top, layout.import_button.top);
        EXPECT_EQ(layout.cancel_button.top, layout.import_button.top);
        // 取消 stands 8 pixels right of 确认, and both end where the text box ends
        // less the frame the outer size includes.
        EXPECT_EQ(layout.cancel_button.left - (layout.confirm_button.left + 80), 8);
        EXPECT_EQ(layout.cancel_button.left + 80, layout.text_box.left + layout.text_box.width);
        expect_geometry(layout.import_button, {8, height - 68, 96, 27});
    }
}

}  // namespace
}  // namespace qelvo::ui
