// The kinds of control on the main window, and their geometry.
#pragma once

namespace qelvo {

enum class ControlKind {
    group_box,
    label,  // a transparent static text
    button,
    check_box,
    combo_box,  // a drop-down combo box with an editable text field
    edit_box,
    progress_bar,
    report_list,  // a list view in report mode
    picture_box,
    popup_menu,
};

struct Geometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const Geometry&, const Geometry&) = default;
};

}  // namespace qelvo
