#include "engine/control_model.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "engine/gbk_literal.h"

namespace qelvo {

ControlModel::ControlModel(std::span<const ControlLayout> layout) {
    for (const ControlLayout& entry : layout) {
        Control control{.kind = entry.kind,
                        .text = gbk(entry.text),
                        .checked = entry.checked,
                        .visible = entry.visible,
                        .geometry = entry.geometry,
                        .rows = {},
                        .items = {}};
        for (std::string_view item : entry.items) control.items.push_back(gbk(item));
        controls_.emplace(std::string(entry.name), std::move(control));
    }
}

void ControlModel::set_change_listener(ControlChangeListener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

// An unknown name is a programming error in a caller, never a user input.
const ControlModel::Control& ControlModel::find(std::string_view name) const {
    auto found = controls_.find(name);
    if (found == controls_.end()) {
        std::fprintf(stderr, "qelvo: no control named %.*s\n", static_cast<int>(name.size()),
                     name.data());
        std::abort();
    }
    return found->second;
}

ControlModel::Control& ControlModel::find(std::string_view name) {
    return const_cast<Control&>(std::as_const(*this).find(name));
}

template <typename Read>
auto ControlModel::read(std::string_view name, Read read_control) const {
    std::lock_guard lock(mutex_);
    return read_control(find(name));
}

template <typename Write>
void ControlModel::write(std::string_view name, ControlProperty property, Write write_control) {
    ControlChangeListener listener;
    {
        std::lock_guard lock(mutex_);
        write_control(find(name));
        ++version_;
        listener = listener_;
    }
    if (listener) listener(ControlChange{name, property});
}

ControlKind ControlModel::kind(std::string_view name) const {
    return read(name, [](const Control& c) { return c.kind; });
}

std::string ControlModel::text(std::string_view name) const {
    return read(name, [](const Control& c) { return c.text; });
}

void ControlModel::set_text(std::string_view name, std::string value) {
    write(name, ControlProperty::text, [&](Control& c) {
        c.text = std::move(value);
        text_version_.fetch_add(1);
    });
}

bool ControlModel::checked(std::string_view name) const {
    return read(name, [](const Control& c) { return c.checked; });
}

void ControlModel::set_checked(std::string_view name, bool checked) {
    write(name, ControlProperty::checked, [&](Control& c) { c.checked = checked; });
}

bool ControlModel::visible(std::string_view name) const {
    return read(name, [](const Control& c) { return c.visible; });
}

void ControlModel::set_visible(std::string_view name, bool visible) {
    write(name, ControlProperty::visible, [&](Control& c) { c.visible = visible; });
}

Geometry ControlModel::geometry(std::string_view name) const {
    return read(name, [](const Control& c) { return c.geometry; });
}

void ControlModel::set_geometry(std::string_view name, Geometry geometry) {
    write(name, ControlProperty::geometry, [&](Control& c) { c.geometry = geometry; });
}

std::int32_t ControlModel::progress_maximum(std::string_view name) const {
    return read(name, [](const Control& c) { return c.progress_maximum; });
}

void ControlModel::set_progress_maximum(std::string_view name, std::int32_t maximum) {
    write(name, ControlProperty::progress_maximum,
          [&](Control& c) { c.progress_maximum = maximum; });
}

std::int32_t ControlModel::progress_position(std::string_view name) const {
    return read(name, [](const Control& c) { return c.progress_position; });
}

void ControlModel::set_progress_position(std::string_view name, std::int32_t position) {
    write(name, ControlProperty::progress_position,
          [&](Control& c) { c.progress_position = position; });
}

void ControlModel::insert_row(std::string_view name, std::size_t index, ReportRow row) {
    write(name, ControlProperty::rows, [&](Control& c) {
        const std::size_t at = index < c.rows.size() ? index : c.rows.size();
        c.rows.insert(c.rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
    });
}

void ControlModel::delete_all_rows(std::string_view name) {
    write(name, ControlProperty::rows, [](Control& c) {
        c.rows.clear();
        c.selected_row = -1;
    });
}

std::size_t ControlModel::row_count(std::string_view name) const {
    return read(name, [](const Control& c) { return c.rows.size(); });
}

ReportRow ControlModel::row(std::string_view name, std::size_t index) const {
    return read(name, [&](const Control& c) {
        return index < c.rows.size() ? c.rows[index] : ReportRow{};
    });
}

std::vector<ReportRow> ControlModel::rows(std::string_view name) const {
    return read(name, [](const Control& c) { return c.rows; });
}

std::int64_t ControlModel::selected_row(std::string_view name) const {
    return read(name, [](const Control& c) { return c.selected_row; });
}

void ControlModel::set_selected_row(std::string_view name, std::int64_t row) {
    write(name, ControlProperty::selected_row, [&](Control& c) { c.selected_row = row; });
}

std::vector<std::string> ControlModel::items(std::string_view name) const {
    return read(name, [](const Control& c) { return c.items; });
}

void ControlModel::set_items(std::string_view name, std::vector<std::string> items) {
    write(name, ControlProperty::items, [&](Control& c) { c.items = std::move(items); });
}

void ControlModel::add_item(std::string_view name, std::string item) {
    write(name, ControlProperty::items, [&](Control& c) { c.items.push_back(std::move(item)); });
}

std::uint64_t ControlModel::text_version() const { return text_version_.load(); }

std::uint64_t ControlModel::version() const {
    std::lock_guard lock(mutex_);
    return version_;
}

}  // namespace qelvo
