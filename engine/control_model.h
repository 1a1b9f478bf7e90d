// A thread-safe model of the main window's controls, addressed by the
// layout's names. Jobs on any thread read and write it; the window mirrors it
// onto real controls on the user-interface thread, and the headless front end
// reads it directly. Every access is one whole read or write under a short
// internal lock that is never held while calling out, so a reader never waits
// on a job and no job waits on a reader. Texts are GBK.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/control_kind.h"
#include "engine/main_window_layout.h"

namespace qelvo {

enum class ControlProperty {
    text,  // the text of an edit or combo box, the caption of anything else
    checked,
    visible,
    geometry,
    progress_maximum,
    progress_position,
    rows,
    selected_row,
    items,
};

struct ControlChange {
    std::string_view name;
    ControlProperty property;
};

// Told of every write, on the writing thread, after the model's lock is
// released. It must not block: a window posts itself a note and returns.
using ControlChangeListener = std::function<void(const ControlChange&)>;

using ReportRow = std::vector<std::string>;

class ControlModel {
  public:
    explicit ControlModel(std::span<const ControlLayout> layout = main_window_layout());

    ControlModel(const ControlModel&) = delete;
    ControlModel& operator=(const ControlModel&) = delete;

    // Set before any job runs; it is not swapped while jobs write.
    void set_change_listener(ControlChangeListener listener);

    ControlKind kind(std::string_view name) const;

    // Text of edit and combo boxes and caption of buttons, labels and group
    // boxes are one property.
    std::string text(std::string_view name) const;
    void set_text(std::string_view name, std::string value);
    std::string caption(std::string_view name) const { return text(name); }
    void set_caption(std::string_view name, std::string value) { set_text(name, value); }

    bool checked(std::string_view name) const;
    void set_checked(std::string_view name, bool checked);

    bool visible(std::string_view name) const;
    void set_visible(std::string_view name, bool visible);

    Geometry geometry(std::string_view name) const;
    void set_geometry(std::string_view name, Geometry geometry);

    std::int32_t progress_maximum(std::string_view name) const;
    void set_progress_maximum(std::string_view name, std::int32_t maximum);
    std::int32_t progress_position(std::string_view name) const;
    void set_progress_position(std::string_view name, std::int32_t position);

    // Report list rows. A row inserted past the end is appended, as a list
    // view does it.
    void insert_row(std::string_view name, std::size_t index, ReportRow row);
    void delete_all_rows(std::string_view name);
    std::size_t row_count(std::string_view name) const;
    ReportRow row(std::string_view name, std::size_t index) const;
    std::vector<ReportRow> rows(std::string_view name) const;
    // -1 when no row is selected.
    std::int64_t selected_row(std::string_view name) const;
    void set_selected_row(std::string_view name, std::int64_t row);

    // A combo box's drop-down items.
    std::vector<std::string> items(std::string_view name) const;
    void set_items(std::string_view name, std::vector<std::string> items);
    void add_item(std::string_view name, std::string item);

    // Grows by one on every write; a mirror compares it to skip idle work.
    std::uint64_t version() const;
    // Grows on every write of a text or caption, before the lock is released
    // and without taking it: a reader that sees the same value again knows
    // that no text has changed since it last read them.
    std::uint64_t text_version() const;

  private:
    struct Control {
        ControlKind kind;
        std::string text;
        bool checked = false;
        bool visible = true;
        Geometry geometry;
        std::int32_t progress_maximum = 100;
        std::int32_t progress_position = 0;
        std::vector<ReportRow> rows;
        std::int64_t selected_row = -1;
        std::vector<std::string> items;
    };

    // Looked up by a name's view, without making a string of it: every claim
    // of a file sets the progress bar's position.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const {
            return std::hash<std::string_view>{}(name);
        }
    };

    const Control& find(std::string_view name) const;
    Control& find(std::string_view name);

    template <typename Read>
    auto read(std::string_view name, Read read_control) const;
    template <typename Write>
    void write(std::string_view name, ControlProperty property, Write write_control);

    mutable std::mutex mutex_;
    std::unordered_map<std::string, Control, NameHash, std::equal_to<>> controls_;
    std::uint64_t version_ = 0;
    std::atomic<std::uint64_t> text_version_{0};
    ControlChangeListener listener_;
};

}  // namespace qelvo
