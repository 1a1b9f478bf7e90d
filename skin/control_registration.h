// What every control skinner does the same way: walking a parent's direct
// children of one class, telling whether a control is already in a family's
// list, registering and subclassing a control, finding the record of a
// control from inside its subclass procedure, and finding it by its indexes
// for a painter.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "skin/skin_engine.h"
#include "skin/skin_records.h"
#include "skin/window_properties.h"

namespace qelvo::skin {

// Calls visit(child) for each direct child of the parent whose class is the
// given one (the system compares the name without regard to case).
template <typename Visit>
void forEachChildOfClass(HWND parent, const wchar_t* className, Visit&& visit) {
    for (HWND child = FindWindowExW(parent, nullptr, className, nullptr); child;
         child = FindWindowExW(parent, child, className, nullptr)) {
        visit(child);
    }
}

// The control's 1-based index in its family's list, 0 when it is not there.
template <typename Record>
int indexOfControl(const std::vector<Record>& records, HWND control) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].hwnd == control) return static_cast<int>(i + 1);
    }
    return 0;
}

template <typename Record>
bool isRegistered(const std::vector<Record>& records, HWND control) {
    return indexOfControl(records, control) != 0;
}

// Appends a zeroed record for the control; its control index is the new
// length of the list.
template <typename Record>
int appendControlRecord(std::vector<Record>& records, HWND control) {
    Record record{};
    record.hwnd = control;
    records.push_back(std::move(record));
    return static_cast<int>(records.size());
}

// Appends the control's record, subclasses the control with the procedure
// (the replaced one goes into the record and "Hw_hProc"), and sets the
// control's index and its window's index. Returns the control index; the
// record is the list's last element.
template <typename Record>
int registerControl(std::vector<Record>& records, HWND control, int windowIndex,
                    WNDPROC procedure) {
    const int index = appendControlRecord(records, control);
    records.back().oldProc = subclassWindow(control, procedure);
    set_int_property(control, kIndexProperty, index);
    set_int_property(control, kOwnerIndexProperty, windowIndex);
    return index;
}

// The record of a control in its family's list, found through the indexes
// it carries. Null when the engine is gone, or when an index is 0, stale
// (its window was removed) or names another control's record.
template <typename Record>
Record* findControlRecord(HWND control, std::vector<Record> SkinWindow::*family) {
    SkinEngine* engine = SkinEngine::instance();
    if (!engine) return nullptr;
    SkinWindow* owner = engine->window(int_property(control, kOwnerIndexProperty));
    if (!owner) return nullptr;
    std::vector<Record>& records = owner->*family;
    const int index = int_property(control, kIndexProperty);
    if (index < 1 || static_cast<std::size_t>(index) > records.size()) return nullptr;
    Record& record = records[static_cast<std::size_t>(index - 1)];
    return record.hwnd == control ? &record : nullptr;
}

// A control's record with the indexes that name it and its window's record.
template <typename Record>
struct ControlAt {
    int windowIndex = 0;
    int controlIndex = 0;
    SkinWindow* owner = nullptr;
    Record* record = nullptr;
};

// The control's record as findControlRecord finds it, with the rest of
// ControlAt; none where findControlRecord gives null.
template <typename Record>
std::optional<ControlAt<Record>> locateControl(HWND control,
                                               std::vector<Record> SkinWindow::*family) {
    Record* record = findControlRecord(control, family);
    if (!record) return std::nullopt;
    const int windowIndex = int_property(control, kOwnerIndexProperty);
    return ControlAt<Record>{windowIndex, int_property(control, kIndexProperty),
                             SkinEngine::instance()->window(windowIndex), record};
}

// The record at a window's and a control's indexes; null when either is
// outside its list.
template <typename Record>
Record* recordAt(SkinEngine& engine, int windowIndex, int controlIndex,
                 std::vector<Record> SkinWindow::*family) {
    SkinWindow* owner = engine.window(windowIndex);
    if (!owner) return nullptr;
    std::vector<Record>& records = owner->*family;
    if (controlIndex < 1 || static_cast<std::size_t>(controlIndex) > records.size()) return nullptr;
    return &records[static_cast<std::size_t>(controlIndex - 1)];
}

}  // namespace qelvo::skin
