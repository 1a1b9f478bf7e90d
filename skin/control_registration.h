// What every control skinner does the same way: walking a parent's direct
// children of one class, telling whether a control is already in a family's
// list, registering and subclassing a control, and finding the record of a
// control from inside its subclass procedure.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
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

}  // namespace qelvo::skin
