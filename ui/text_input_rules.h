// The rules of the text input window that do not need a window: how a text
// travels between a one-line combo box and the multi-line edit box, what an
// imported file contributes, and where the window's controls go when it is
// resized. Texts are GBK.
#pragma once

#include <string>
#include <string_view>

#include "engine/control_kind.h"

namespace qelvo::ui {

// A combo box writes a line break as the two characters backslash and n; the
// edit box shows real CR LF line breaks.
std::string text_for_editing(std::string_view combo_text);
// Only the pair CR LF becomes backslash and n; a lone CR or LF stays as it is.
std::string text_for_combo(std::string_view edit_text);

// The text of an imported file: its bytes up to the first zero byte or end of
// file mark (0x1A) that stands where a character starts. The bytes are taken
// as GBK without conversion, line breaks as they are.
std::string imported_text(std::string_view file_bytes);

// Positions relative to the window's client area.
struct InputWindowLayout {
    Geometry text_box;
    Geometry import_button;
    Geometry confirm_button;
    Geometry cancel_button;
};

// The controls for a window of the given outer size (frame included): the
// edit box grows with the window, the buttons keep to its bottom, and
// "确认" and "取消" to its right edge while "导入文本" stays on the left.
InputWindowLayout input_window_layout(int outer_width, int outer_height);

}  // namespace qelvo::ui
