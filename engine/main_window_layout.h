// The main window's layout: every control with its kind, parent, geometry
// and start values. The window builds its real controls from this table; the
// model of the controls takes its start values from it.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "engine/control_kind.h"

namespace qelvo {

struct ReportColumn {
    std::string_view title;  // UTF-8
    int width = 0;
};

// Texts in this table are UTF-8 source literals; the model holds them as GBK.
struct ControlLayout {
    std::string_view name;
    ControlKind kind;
    std::string_view parent;  // empty: the main window itself
    Geometry geometry;
    std::string_view text;  // caption, or the start text of an edit or combo box
    std::vector<std::string_view> items = {};
    bool checked = false;
    bool visible = true;
    std::vector<ReportColumn> columns = {};
};

inline constexpr std::string_view kMainWindowTitle = "Qelvo文本替换";

std::span<const ControlLayout> main_window_layout();

}  // namespace qelvo
