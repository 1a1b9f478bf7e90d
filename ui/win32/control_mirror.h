// Keeps the real controls of the main window equal to the model of the
// controls, in both directions:
// - What the engine writes into the model reaches the screen on the
//   user-interface thread. The model's listener runs on the writing thread
//   and only marks the control's changed properties and, when no note is on
//   its way yet, posts the window one note; it never blocks and never takes
//   a lock. The user-interface thread then shows the model's current values
//   of the marked properties, so many writes cost one update. While changes
//   keep coming, a short timer takes over from the notes, so that painting
//   and input are never starved by a stream of posted messages, and the last
//   change is always shown exactly.
// - What the user types, chooses or ticks is written into the model at once,
//   before the notification that reported it returns, so a worker reading
//   the find text sees the latest edit. Updates made by the mirror itself
//   are not taken for user edits.
// The result list is a virtual list view: it holds only its row count, and
// asks for the texts of the rows it paints, which come from the model.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/control_model.h"

namespace qelvo::ui {

// Posted to the window when the model changed and no note is pending.
inline constexpr UINT kMirrorNoteMessage = WM_APP + 1;
// The window's timer that shows further changes while they keep coming.
inline constexpr UINT_PTR kMirrorTimerId = 0x4D31;
inline constexpr UINT kMirrorTimerMilliseconds = 20;

// A drop-down combo box's window is as high as its field and its opened
// list together; the field keeps the layout's height.
inline constexpr int kComboListHeight = 240;

class ControlMirror {
  public:
    explicit ControlMirror(ControlModel& model);
    ControlMirror(const ControlMirror&) = delete;
    ControlMirror& operator=(const ControlMirror&) = delete;

    // Pairs a model name with its real control; called for every control
    // before attach().
    void add_control(std::string_view name, HWND control);

    // Shows every value of the model, then listens to it. The window gets
    // the notes and runs the timer. The mirror must outlive every writer of
    // the model, so it lives until the process ends.
    void attach(HWND window);

    // The window's share of the work, on the user-interface thread.
    void on_note();
    void on_timer();
    // Shows every change marked so far; true when there was one.
    bool apply_pending();

    // User edits, from the notifications the window receives: EN_CHANGE of
    // edit boxes, CBN_EDITCHANGE and CBN_SELCHANGE of combo boxes and
    // BN_CLICKED of check boxes.
    void on_command(HWND control, UINT code);
    // The result list's LVN_GETDISPINFOW and LVN_ITEMCHANGED. True when the
    // notification was the mirror's.
    bool on_notify(const NMHDR& header);
    // The text of a combo box's edit field changed by any means (typed,
    // pasted, chosen from the list or set from outside).
    void take_combo_text(HWND combo);
    // A check box's state was set from outside (BM_SETCHECK).
    void take_checked(HWND check_box);

    HWND handle(std::string_view name) const;
    // Empty for a window that is not one of the mirrored controls.
    std::string_view name_of(HWND control) const;

  private:
    struct Mirrored {
        std::string name;
        ControlKind kind;
        HWND handle = nullptr;
        std::atomic<std::uint32_t> changed{0};
        // The values last shown, to skip the calls that would change nothing.
        std::string text;
        bool checked = false;
        bool visible = false;
        Geometry geometry;
        std::int32_t progress_maximum = 0;
        std::int32_t progress_position = 0;
        std::size_t row_count = 0;
        // The report list's rows as last painted, by index, for the rows in
        // view only.
        std::map<std::size_t, ReportRow> painted_rows;
        std::int64_t selected_row = -1;
        std::vector<std::string> items;
    };

    void note_change(const ControlChange& change);
    void apply(Mirrored& control, std::uint32_t changed, bool force);
    void apply_text(Mirrored& control, bool force);
    void apply_combo_text(Mirrored& control, const std::string& text);
    void apply_checked(Mirrored& control, bool force);
    void apply_visible(Mirrored& control, bool force);
    void apply_geometry(Mirrored& control, bool force);
    void apply_progress(Mirrored& control, bool force);
    void apply_rows(Mirrored& control, bool force);
    void apply_selected_row(Mirrored& control, bool force);
    void apply_items(Mirrored& control, bool force);

    void take_text(Mirrored& control, std::string text);
    void take_selected_row(Mirrored& control);
    void repaint_changed_rows(Mirrored& control, std::size_t count);
    void forget_rows_out_of_view(Mirrored& control);
    void fill_row_text(Mirrored& control, NMLVDISPINFOW& info);
    void start_timer();

    Mirrored* find(HWND control);
    const Mirrored* find(std::string_view name) const;

    ControlModel& model_;
    HWND window_ = nullptr;
    std::vector<std::unique_ptr<Mirrored>> controls_;
    // Fixed before the listener is installed, so the listener reads them
    // from any thread without a lock.
    std::map<std::string, Mirrored*, std::less<>> by_name_;
    std::map<HWND, Mirrored*> by_handle_;

    // True from the post of a note until the user-interface thread has
    // shown every change and stopped the timer: the listener posts nothing
    // meanwhile.
    std::atomic<bool> note_pending_{false};
    bool timer_running_ = false;
    // Set while the mirror changes controls, whose notifications are then
    // its own and no user edits.
    bool applying_ = false;
};

}  // namespace qelvo::ui
