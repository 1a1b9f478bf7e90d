#ifdef _WIN32

#include "tests/skin_test_window.h"

#include <commctrl.h>

#include <ostream>
#include <sstream>

#include "gdiplus/status.h"
#include "skin/gdi_holders.h"

namespace qelvo::skin::testing {

bool register_test_class(const wchar_t* className, WNDPROC procedure, DWORD commonControls) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // Only this function registers the tests' classes: one that exists was
    // registered by an earlier test, with its common controls.
    WNDCLASSW existing{};
    if (GetClassInfoW(instance, className, &existing)) return true;
    if (commonControls != 0) {
        INITCOMMONCONTROLSEX controls{sizeof(controls), commonControls};
        InitCommonControlsEx(&controls);
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    return RegisterClassW(&windowClass) != 0;
}

HWND make_window(const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                 int width, int height) {
    return CreateWindowExW(0, className, title, style, x, y, width, height, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

HWND make_child(HWND parent, const wchar_t* className, DWORD style, int x, int y, int width,
                int height, DWORD extendedStyle, const wchar_t* text) {
    return CreateWindowExW(extendedStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y,
                           width, height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

HFONT make_font(const wchar_t* face, int height, int weight) {
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                       face);
}

std::intptr_t prop(HWND window, const wchar_t* name) {
    return reinterpret_cast<std::intptr_t>(GetPropW(window, name));
}

WNDPROC current_procedure(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
}

WNDPROC class_procedure(HWND window) {
    return reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC));
}

HWND combo_list_of(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    return GetComboBoxInfo(combo, &info) ? info.hwndList : nullptr;
}

std::vector<COLORREF> window_pixels(HWND control, const RECT& area) {
    HDC screen = GetWindowDC(control);
    std::vector<COLORREF> pixels = copy_pixels(screen, area);
    ReleaseDC(control, screen);
    return pixels;
}

COLORREF window_pixel(HWND control, int x, int y) {
    return window_pixels(control, {x, y, x + 1, y + 1}).at(0);
}

std::vector<COLORREF> Capture::rows(int top, int bottom) const {
    return {pixels.begin() + top * width, pixels.begin() + bottom * width};
}

std::vector<COLORREF> Capture::columns(int left, int right) const {
    std::vector<COLORREF> part;
    for (int y = 0; y < height; ++y) {
        for (int x = left; x < right; ++x) part.push_back(at(x, y));
    }
    return part;
}

Capture capture(HWND control) {
    RECT outer{};
    GetWindowRect(control, &outer);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    return {width, height, window_pixels(control, {0, 0, width, height})};
}

void fill_window_area(HWND control, const RECT& area, COLORREF colour) {
    HDC dc = GetWindowDC(control);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    ReleaseDC(control, dc);
}

void show_skinned(HWND window, const SkinWindow& record) {
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    ASSERT_NE(record.backgroundLayer.dc, nullptr) << "no background layer was rendered";
}

ObjectCounts::ObjectCounts()
    : gdiObjects(gdi_count::live()), gdiplusObjects(gdiplus::live_objects()) {}

ObjectCounts::ObjectCounts(const SkinEngine& engine) : ObjectCounts() {
    this->engine = &engine;
    memoryDcs = engine.memoryDcs.size();
}

namespace {

template <typename Count>
void describe_change(std::ostream& out, const char* what, Count before, Count now) {
    if (now != before) out << " " << what << " " << before << " before, " << now << " now;";
}

}  // namespace

::testing::AssertionResult counts_unchanged(const ObjectCounts& before) {
    const ObjectCounts now = before.engine ? ObjectCounts(*before.engine) : ObjectCounts();
    std::ostringstream changes;
    describe_change(changes, "GDI objects", before.gdiObjects, now.gdiObjects);
    describe_change(changes, "GDI+ objects", before.gdiplusObjects, now.gdiplusObjects);
    describe_change(changes, "memory DCs", before.memoryDcs, now.memoryDcs);
    if (changes.str().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "changed:" << changes.str();
}

void SkinEngineFixture::start_engine() {
    engine.start(GetModuleHandleW(nullptr));
    ASSERT_NE(engine.settings.gdiplusToken, 0u) << "GDI+ did not start";
}

SkinWindow* SkinEngineFixture::skin_window(HWND window, const WindowSkinOptions& options) {
    engine.skinWindow(window, options);
    return engine.window(engine.findSkinWindow(window));
}

}  // namespace qelvo::skin::testing

#endif  // _WIN32
