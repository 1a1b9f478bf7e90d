#include "ui/text_input_rules.h"

#include <cstddef>

#include "engine/text.h"

namespace qelvo::ui {
namespace {

constexpr std::string_view kComboLineBreak = "\\n";
constexpr std::string_view kEditLineBreak = "\r\n";

constexpr char kZeroByte = '\x00';
constexpr char kEndOfFileMark = '\x1A';

// The GBK double-byte rule of the text primitives: a byte of 0x80 or more
// starts a two-byte character.
bool starts_two_byte_character(char byte) { return static_cast<unsigned char>(byte) >= 0x80; }

// The buttons' fixed sizes and the edit box's fixed corner; the rest follows
// the window's outer size.
constexpr int kMargin = 8;
constexpr int kTextBoxWidthAllowance = 20;
constexpr int kTextBoxHeightAllowance = 85;
constexpr int kButtonTopFromBottom = 68;
constexpr int kCancelLeftFromRight = 92;
constexpr int kConfirmLeftFromRight = 180;
constexpr int kButtonHeight = 27;
constexpr int kImportButtonWidth = 96;
constexpr int kConfirmButtonWidth = 80;
constexpr int kCancelButtonWidth = 80;

}  // namespace

std::string text_for_editing(std::string_view combo_text) {
    return text::replace_text(combo_text, kComboLineBreak, kEditLineBreak);
}

std::string text_for_combo(std::string_view edit_text) {
    return text::replace_text(edit_text, kEditLineBreak, kComboLineBreak);
}

std::string imported_text(std::string_view file_bytes) {
    // A zero byte ends the text wherever it stands, as it ends any text made
    // from bytes: a text never holds one, and no GBK character has one as its
    // second byte.
    const std::string_view before_zero = file_bytes.substr(0, file_bytes.find(kZeroByte));
    // The end of file mark only counts where a character starts, so a second
    // byte of that value never cuts a character in half.
    std::size_t offset = 0;
    while (offset < before_zero.size() && before_zero[offset] != kEndOfFileMark) {
        offset += starts_two_byte_character(before_zero[offset]) ? 2 : 1;
    }
    return std::string(before_zero.substr(0, offset));
}

InputWindowLayout input_window_layout(int outer_width, int outer_height) {
    const int button_top = outer_height - kButtonTopFromBottom;
    return {
        .text_box = {kMargin, kMargin, outer_width - kTextBoxWidthAllowance,
                     outer_height - kTextBoxHeightAllowance},
        .import_button = {kMargin, button_top, kImportButtonWidth, kButtonHeight},
        .confirm_button = {outer_width - kConfirmLeftFromRight, button_top, kConfirmButtonWidth,
                           kButtonHeight},
        .cancel_button = {outer_width - kCancelLeftFromRight, button_top, kCancelButtonWidth,
                          kButtonHeight},
    };
}

}  // namespace qelvo::ui
