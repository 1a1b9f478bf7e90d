// What the in-process skin tests share: the test window class and the
// windows made of it, the properties and procedures the skin leaves on a
// control, copies of what a window shows, the object counts a thousand
// paints must leave as they were, and a fixture owning the engine.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/skin_engine.h"
#include "tests/gui_harness.h"

namespace qelvo::skin::testing {

// Registers the class of a test's top-level windows once per process,
// after the common controls the test places on them (none when
// commonControls is 0). False when the class could not be registered.
bool register_test_class(const wchar_t* className, WNDPROC procedure = DefWindowProcW,
                         DWORD commonControls = 0);

HWND make_window(const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                 int width, int height);
// A visible child, empty unless a text is given.
HWND make_child(HWND parent, const wchar_t* className, DWORD style, int x, int y, int width,
                int height, DWORD extendedStyle = 0, const wchar_t* text = L"");
HFONT make_font(const wchar_t* face, int height, int weight);

// A window property as the integer the skin stores in it; 0 when unset.
std::intptr_t prop(HWND window, const wchar_t* name);
WNDPROC current_procedure(HWND window);
WNDPROC class_procedure(HWND window);
// The list a combo box drops down or, for a simple one, shows beneath it.
HWND combo_list_of(HWND combo);

// The control's record in one family of a skinned window's records; null
// when the family did not take it.
template <typename Record>
const Record* record_of(const std::vector<Record>& records, HWND control) {
    const auto found = std::ranges::find(records, control, &Record::hwnd);
    return found == records.end() ? nullptr : &*found;
}

// A copy of the DC's pixels in the rectangle, row by row: the GUI harness's
// copy, which reads the screen for the tests that drive the program.
using gui_test::copy_pixels;
// The same through the control's window DC, in window coordinates.
std::vector<COLORREF> window_pixels(HWND control, const RECT& area);
COLORREF window_pixel(HWND control, int x, int y);

// What a control shows over its whole window rectangle, row by row.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF at(int x, int y) const { return pixels.at(static_cast<std::size_t>(y * width + x)); }
    // The rows from top up to bottom.
    std::vector<COLORREF> rows(int top, int bottom) const;
    // The columns from left up to right, row by row.
    std::vector<COLORREF> columns(int left, int right) const;
};

Capture capture(HWND control);

// Paints the area, in window coordinates, in one colour: a paint of the
// control that does not reach a pixel of it leaves the colour there.
void fill_window_area(HWND control, const RECT& area, COLORREF colour);

// Shows the skinned window without taking the focus; the showing renders
// its layers, and a failure says when the background layer is missing.
void show_skinned(HWND window, const SkinWindow& record);

// The GDI objects the skin counts and the GDI+ objects the wrappers own, as
// they are when the record is made; made with the engine, the memory DCs it
// has registered too. Whatever a thousand paints make, they must release.
struct ObjectCounts {
    ObjectCounts();
    explicit ObjectCounts(const SkinEngine& engine);

    long gdiObjects = 0;
    long gdiplusObjects = 0;
    const SkinEngine* engine = nullptr;  // null: the memory DCs are not counted
    std::size_t memoryDcs = 0;
};

// Success when each count the record holds reads the same now; otherwise
// which counts changed, and from what to what.
::testing::AssertionResult counts_unchanged(const ObjectCounts& before);

// One engine per test, made before anything the test adds to the fixture,
// so that the windows a test makes go before the engine does.
class SkinEngineFixture : public ::testing::Test {
  protected:
    // Started as the program starts it; a failure when GDI+ did not start.
    void start_engine();
    // Skins the window; its record, or null when it got none.
    SkinWindow* skin_window(HWND window, const WindowSkinOptions& options = {});

    SkinEngine engine;
};

}  // namespace qelvo::skin::testing

#endif  // _WIN32
