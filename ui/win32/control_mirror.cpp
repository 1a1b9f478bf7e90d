#include "ui/win32/control_mirror.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "ui/win32/wide_text.h"

namespace qelvo::ui {
namespace {

constexpr std::uint32_t bit(ControlProperty property) {
    return 1u << static_cast<unsigned>(property);
}

// A list view shows a few dozen rows at most.
constexpr std::size_t kPaintedRowsKept = 256;

constexpr std::uint32_t kAllProperties =
    bit(ControlProperty::text) | bit(ControlProperty::checked) | bit(ControlProperty::visible) |
    bit(ControlProperty::geometry) | bit(ControlProperty::progress_maximum) |
    bit(ControlProperty::progress_position) | bit(ControlProperty::rows) |
    bit(ControlProperty::selected_row) | bit(ControlProperty::items);

bool has_caption(ControlKind kind) {
    switch (kind) {
        case ControlKind::group_box:
        case ControlKind::label:
        case ControlKind::button:
        case ControlKind::check_box:
        case ControlKind::edit_box:
            return true;
        default:
            return false;
    }
}

bool starts_with(const std::vector<std::string>& items, const std::vector<std::string>& prefix) {
    return prefix.size() <= items.size() && std::equal(prefix.begin(), prefix.end(), items.begin());
}

// The first item equal to the text byte for byte; CB_FINDSTRINGEXACT would
// ignore case.
int item_index(const std::vector<std::string>& items, const std::string& text) {
    auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

std::string combo_item_text(HWND combo, LRESULT index) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
    return gbk_from_wide(text);
}

int window_height(HWND window) {
    RECT shown{};
    GetWindowRect(window, &shown);
    return static_cast<int>(shown.bottom - shown.top);
}

// The field of a drop-down combo box is as high as its font makes it; its
// item height is the one knob that sets it to the layout's height. The knob
// is corrected by what the window then measures: Wine reads back two pixels
// more than was set, so the value read is no base to count from.
void fit_combo_field_height(HWND combo, int height) {
    LRESULT field = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (field == CB_ERR) return;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int difference = height - window_height(combo);
        if (difference == 0 || field + difference <= 0) return;
        field += difference;
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

void set_list_selection(HWND list, int index, UINT state) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

}  // namespace

ControlMirror::ControlMirror(ControlModel& model) : model_(model) {}

void ControlMirror::add_control(std::string_view name, HWND control) {
    auto mirrored = std::make_unique<Mirrored>();
    mirrored->name = std::string(name);
    mirrored->kind = model_.kind(name);
    mirrored->handle = control;
    by_name_.emplace(mirrored->name, mirrored.get());
    by_handle_.emplace(control, mirrored.get());
    controls_.push_back(std::move(mirrored));
}

void ControlMirror::attach(HWND window) {
    window_ = window;
    // Listen first, so that nothing written during the first full showing
    // is missed; what it marks is simply shown once more.
    model_.set_change_listener([this](const ControlChange& change) { note_change(change); });
    for (auto& control : controls_) apply(*control, kAllProperties, true);
}

// Runs on whichever thread wrote the model, after the model's lock is gone.
void ControlMirror::note_change(const ControlChange& change) {
    auto found = by_name_.find(change.name);
    if (found == by_name_.end()) return;  // the popup menu has no window
    found->second->changed.fetch_or(bit(change.property));
    if (!note_pending_.exchange(true)) {
        // A full queue loses the note; the next change posts another.
        if (!PostMessageW(window_, kMirrorNoteMessage, 0, 0)) note_pending_.store(false);
    }
}

void ControlMirror::on_note() {
    apply_pending();
    start_timer();
}

// While changes keep coming, the timer shows them every few milliseconds
// and the listener posts nothing: posted messages come before painting, so a
// note per change would freeze the window during a run with many hits. Once
// a tick finds nothing, notes take over again.
void ControlMirror::on_timer() {
    if (apply_pending()) return;
    KillTimer(window_, kMirrorTimerId);
    timer_running_ = false;
    note_pending_.store(false);
    // A change marked between the last look and the store above posted no
    // note: look once more.
    if (apply_pending()) {
        note_pending_.store(true);
        start_timer();
    }
}

void ControlMirror::start_timer() {
    if (timer_running_) return;
    timer_running_ = SetTimer(window_, kMirrorTimerId, kMirrorTimerMilliseconds, nullptr) != 0;
    // Without a timer the notes must carry every change again.
    if (!timer_running_) note_pending_.store(false);
}

bool ControlMirror::apply_pending() {
    if (applying_) return false;
    bool any = false;
    for (auto& control : controls_) {
        const std::uint32_t changed = control->changed.exchange(0);
        if (changed == 0) continue;
        any = true;
        apply(*control, changed, false);
    }
    return any;
}

void ControlMirror::apply(Mirrored& control, std::uint32_t changed, bool force) {
    const bool was_applying = std::exchange(applying_, true);
    // Items before the text, so that a text equal to a new item selects it;
    // rows before the selection; visibility last, so that a control appears
    // with its new contents.
    if (changed & bit(ControlProperty::items)) apply_items(control, force);
    if (changed & bit(ControlProperty::text)) apply_text(control, force);
    if (changed & bit(ControlProperty::checked)) apply_checked(control, force);
    if (changed & bit(ControlProperty::geometry)) apply_geometry(control, force);
    if (changed &
        (bit(ControlProperty::progress_maximum) | bit(ControlProperty::progress_position))) {
        apply_progress(control, force);
    }
    // Emptying the rows also drops the selection without a note of its own.
    if (changed & (bit(ControlProperty::rows) | bit(ControlProperty::selected_row))) {
        if (changed & bit(ControlProperty::rows)) apply_rows(control, force);
        apply_selected_row(control, force);
    }
    if (changed & bit(ControlProperty::visible)) apply_visible(control, force);
    applying_ = was_applying;
}

void ControlMirror::apply_text(Mirrored& control, bool force) {
    const bool combo = control.kind == ControlKind::combo_box;
    if (!combo && !has_caption(control.kind)) return;
    std::string text = model_.text(control.name);
    if (!force && text == control.text) return;
    if (combo) {
        apply_combo_text(control, text);
    } else {
        set_window_text_gbk(control.handle, text);
    }
    control.text = std::move(text);
}

// A text that is one of the items selects that item, as choosing it would;
// any other text stands in the field with no item selected.
void ControlMirror::apply_combo_text(Mirrored& control, const std::string& text) {
    const int index = item_index(control.items, text);
    SendMessageW(control.handle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (index < 0) set_window_text_gbk(control.handle, text);
}

void ControlMirror::apply_items(Mirrored& control, bool force) {
    if (control.kind != ControlKind::combo_box) return;
    std::vector<std::string> items = model_.items(control.name);
    if (!force && items == control.items) return;
    // Histories only ever append: add the new items and leave the field alone.
    const bool appended = !force && starts_with(items, control.items);
    if (!appended) SendMessageW(control.handle, CB_RESETCONTENT, 0, 0);
    for (std::size_t i = appended ? control.items.size() : 0; i < items.size(); ++i) {
        SendMessageW(control.handle, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(wide_from_gbk(items[i]).c_str()));
    }
    control.items = std::move(items);
    if (!appended) apply_combo_text(control, control.text);  // emptied with the items
}

void ControlMirror::apply_checked(Mirrored& control, bool force) {
    if (control.kind != ControlKind::check_box) return;
    const bool checked = model_.checked(control.name);
    if (!force && checked == control.checked) return;
    SendMessageW(control.handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    control.checked = checked;
}

void ControlMirror::apply_visible(Mirrored& control, bool force) {
    const bool visible = model_.visible(control.name);
    if (!force && visible == control.visible) return;
    ShowWindow(control.handle, visible ? SW_SHOWNA : SW_HIDE);
    control.visible = visible;
}

void ControlMirror::apply_geometry(Mirrored& control, bool force) {
    const Geometry geometry = model_.geometry(control.name);
    if (!force && geometry == control.geometry) return;
    const bool combo = control.kind == ControlKind::combo_box;
    SetWindowPos(control.handle, nullptr, geometry.left, geometry.top, geometry.width,
                 combo ? geometry.height + kComboListHeight : geometry.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (combo) fit_combo_field_height(control.handle, geometry.height);
    control.geometry = geometry;
}

void ControlMirror::apply_progress(Mirrored& control, bool force) {
    if (control.kind != ControlKind::progress_bar) return;
    const std::int32_t maximum = model_.progress_maximum(control.name);
    const std::int32_t position = model_.progress_position(control.name);
    const bool range_changed = force || maximum != control.progress_maximum;
    if (range_changed) SendMessageW(control.handle, PBM_SETRANGE32, 0, maximum);
    // A new range may have clamped the position the bar held.
    if (range_changed || position != control.progress_position) {
        SendMessageW(control.handle, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
    control.progress_maximum = maximum;
    control.progress_position = position;
}

// The list holds only its row count; LVN_GETDISPINFOW fetches the texts of
// the rows it paints. A growing list paints its new rows in view by itself,
// and of the rows it painted before only those whose texts changed (the
// list was emptied and filled again) are painted anew, so a busy run does
// not make the whole list flicker. A shrinking list is painted whole.
void ControlMirror::apply_rows(Mirrored& control, bool force) {
    if (control.kind != ControlKind::report_list) return;
    const std::size_t count = model_.row_count(control.name);
    if (force || count < control.row_count) {
        SendMessageW(control.handle, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
        control.painted_rows.clear();
        InvalidateRect(control.handle, nullptr, TRUE);
    } else {
        repaint_changed_rows(control, count);
        if (count != control.row_count) {
            SendMessageW(control.handle, LVM_SETITEMCOUNT, count,
                         LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        }
    }
    control.row_count = count;
}

void ControlMirror::repaint_changed_rows(Mirrored& control, std::size_t count) {
    forget_rows_out_of_view(control);
    auto& painted = control.painted_rows;
    for (auto row = painted.begin(); row != painted.end();) {
        const std::size_t index = row->first;
        if (index < count && model_.row(control.name, index) == row->second) {
            ++row;
            continue;
        }
        SendMessageW(control.handle, LVM_REDRAWITEMS, index, index);
        row = painted.erase(row);
    }
}

// Rows scrolled out of view ask for their texts again when they come back.
void ControlMirror::forget_rows_out_of_view(Mirrored& control) {
    const auto top = static_cast<std::size_t>(
        std::max<LRESULT>(0, SendMessageW(control.handle, LVM_GETTOPINDEX, 0, 0)));
    const auto page = static_cast<std::size_t>(
        std::max<LRESULT>(0, SendMessageW(control.handle, LVM_GETCOUNTPERPAGE, 0, 0)));
    auto& painted = control.painted_rows;
    painted.erase(painted.begin(), painted.lower_bound(top));
    painted.erase(painted.upper_bound(top + page), painted.end());
}
void ControlMirror::apply_selected_row(Mirrored& control, bool force) {
    if (control.kind != ControlKind::report_list) return;
    const std::int64_t selected = model_.selected_row(control.name);
    const LRESULT shown =
        SendMessageW(control.handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (!force && selected == control.selected_row && selected == shown) return;
    set_list_selection(control.handle, -1, 0);
    if (selected >= 0 && static_cast<std::size_t>(selected) < control.row_count) {
        set_list_selection(control.handle, static_cast<int>(selected),
                           LVIS_SELECTED | LVIS_FOCUSED);
    }
    control.selected_row = selected;
}

void ControlMirror::on_command(HWND control, UINT code) {
    Mirrored* mirrored = find(control);
    if (!mirrored || applying_) return;
    switch (mirrored->kind) {
        case ControlKind::edit_box:
            if (code == EN_CHANGE) take_text(*mirrored, window_text_gbk(control));
            break;
        case ControlKind::combo_box:
            if (code == CBN_EDITCHANGE) {
                take_combo_text(control);
            } else if (code == CBN_SELCHANGE) {
                // The field still shows the old text when this arrives.
                const LRESULT index = SendMessageW(control, CB_GETCURSEL, 0, 0);
                if (index != CB_ERR) take_text(*mirrored, combo_item_text(control, index));
            }
            break;
        case ControlKind::check_box:
            if (code == BN_CLICKED) take_checked(control);
            break;
        default:
            break;
    }
}

void ControlMirror::take_combo_text(HWND combo) {
    Mirrored* mirrored = find(combo);
    if (!mirrored || applying_ || mirrored->kind != ControlKind::combo_box) return;
    take_text(*mirrored, window_text_gbk(combo));
}

void ControlMirror::take_checked(HWND check_box) {
    Mirrored* mirrored = find(check_box);
    if (!mirrored || applying_ || mirrored->kind != ControlKind::check_box) return;
    const bool checked = SendMessageW(check_box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (checked == mirrored->checked) return;
    mirrored->checked = checked;
    model_.set_checked(mirrored->name, checked);
}

// The shown value is recorded first, so the note that the model's write
// brings back finds nothing to change.
void ControlMirror::take_text(Mirrored& control, std::string text) {
    if (text == control.text) return;
    control.text = text;
    model_.set_text(control.name, std::move(text));
}

void ControlMirror::take_selected_row(Mirrored& control) {
    const LRESULT shown =
        SendMessageW(control.handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    const std::int64_t selected = shown < 0 ? -1 : static_cast<std::int64_t>(shown);
    if (selected == control.selected_row) return;
    control.selected_row = selected;
    model_.set_selected_row(control.name, selected);
}

bool ControlMirror::on_notify(const NMHDR& header) {
    Mirrored* mirrored = find(header.hwndFrom);
    if (!mirrored || mirrored->kind != ControlKind::report_list) return false;
    if (header.code == LVN_GETDISPINFOW) {
        fill_row_text(*mirrored, *reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
        return true;
    }
    if (header.code == LVN_ITEMCHANGED && !applying_) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) &&
            ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)) {
            take_selected_row(*mirrored);
        }
    }
    return false;
}

void ControlMirror::fill_row_text(Mirrored& control, NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    item.pszText[0] = L'\0';
    if (item.iItem < 0 || item.iSubItem < 0) return;
    const auto index = static_cast<std::size_t>(item.iItem);
    // Scrolling through a long list would otherwise keep every row it showed.
    if (control.painted_rows.size() > kPaintedRowsKept) forget_rows_out_of_view(control);
    const ReportRow& row = control.painted_rows[index] = model_.row(control.name, index);
    if (static_cast<std::size_t>(item.iSubItem) >= row.size()) return;
    const std::wstring text = wide_from_gbk(row[static_cast<std::size_t>(item.iSubItem)]);
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    std::copy_n(text.data(), length, item.pszText);
    item.pszText[length] = L'\0';
}

HWND ControlMirror::handle(std::string_view name) const {
    const Mirrored* mirrored = find(name);
    return mirrored ? mirrored->handle : nullptr;
}

std::string_view ControlMirror::name_of(HWND control) const {
    auto found = by_handle_.find(control);
    return found == by_handle_.end() ? std::string_view() : found->second->name;
}

ControlMirror::Mirrored* ControlMirror::find(HWND control) {
    auto found = by_handle_.find(control);
    return found == by_handle_.end() ? nullptr : found->second;
}

const ControlMirror::Mirrored* ControlMirror::find(std::string_view name) const {
    auto found = by_name_.find(name);
    return found == by_name_.end() ? nullptr : found->second;
}

}  // namespace qelvo::ui
