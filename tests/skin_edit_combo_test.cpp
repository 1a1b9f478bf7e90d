// Skinned edit boxes and combo boxes in the test process: the frame ring and
// its border in each state, the system's scroll bars beside it, the veil in
// an edit's client area, the combo box's edit and its colour reply under the
// veil, the text a combo box shows after attaching, a drop-down list's text
// and a drop-down combo's hole, hover repaints, and no GDI or GDI+ object
// left behind by a thousand repaints.
#ifdef _WIN32

#include "tests/skin_test_window.h"

#include <algorithm>
#include <string>

#include "skin/edit_combo_painters.h"
#include "skin/gdi_holders.h"

namespace qelvo::skin {
namespace {

using testing::capture;
using testing::Capture;
using testing::class_procedure;
using testing::current_procedure;
using testing::prop;

constexpr wchar_t kTestClass[] = L"QelvoSkinEditComboTest";
constexpr COLORREF kWindowFill = RGB(30, 90, 160);
constexpr COLORREF kMarker = RGB(0, 200, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kHole = RGB(255, 0, 255);
constexpr int kRestAlpha = 80;
constexpr int kEditLitAlpha = 180;
constexpr int kTextSize = 12;
// The drop-down button and its arrow: 17 or 18 pixels and 2 of margin.
constexpr int kButtonSpan = 20;

// A combo box behind this hears nothing from its edit, so a text typed
// there leaves the selection where it was.
LRESULT CALLBACK without_commands(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND) return 0;
    return CallWindowProcW(class_procedure(window), window, message, wparam, lparam);
}

std::wstring text_of(HWND control) {
    wchar_t text[64]{};
    GetWindowTextW(control, text, 64);
    return text;
}

// Paints the area of the window in the marker colour: a paint that does
// not reach it leaves the marker.
void mark(HWND control, int x, int y, int width = 1, int height = 1) {
    testing::fill_window_area(control, {x, y, x + width, y + height}, kMarker);
}

bool is_marked(HWND control, int x, int y) { return capture(control).at(x, y) == kMarker; }

void repaint(HWND control) {
    RedrawWindow(control, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool is_dark(COLORREF pixel) {
    return GetRValue(pixel) < 128 && GetGValue(pixel) < 128 && GetBValue(pixel) < 128;
}

COLORREF over_white(COLORREF colour, int alpha) {
    const auto blend = [alpha](int channel) { return 255 + (channel - 255) * alpha / 255; };
    return RGB(blend(GetRValue(colour)), blend(GetGValue(colour)), blend(GetBValue(colour)));
}

void expect_close(COLORREF actual, COLORREF expected) {
    EXPECT_NEAR(GetRValue(actual), GetRValue(expected), 6);
    EXPECT_NEAR(GetGValue(actual), GetGValue(expected), 6);
    EXPECT_NEAR(GetBValue(actual), GetBValue(expected), 6);
}

class SkinEditComboTest : public testing::SkinEngineFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing::register_test_class(kTestClass));
        ASSERT_NO_FATAL_FAILURE(start_engine());
        engine.setBackground({}, {}, kWindowFill);
    }
    void TearDown() override {
        if (top) DestroyWindow(top);
    }

    HWND child(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y, int width,
               int height) {
        return testing::make_child(top, className, style, x, y, width, height, exStyle);
    }
    HWND combo(DWORD style, int y, int selection) {
        HWND box = child(L"ComboBox", 0, style, 200, y, 150, 200);
        for (const wchar_t* item : {L"HHHH", L"beta"}) {
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
        return box;
    }

    // The window with its edits and combo boxes, skinned (with the veil at
    // overlay alpha 0 when asked) and shown without taking the focus.
    void skin(bool veil) {
        if (veil) engine.setOptions(1, 0);
        top = testing::make_window(kTestClass, L"edits", WS_POPUP | WS_CLIPCHILDREN, 40, 40, 400,
                                   300);
        ASSERT_NE(top, nullptr);
        scrolled = child(L"Edit", WS_EX_CLIENTEDGE, ES_MULTILINE | WS_HSCROLL | WS_VSCROLL, 10, 40,
                         160, 90);
        plain = child(L"Edit", WS_EX_CLIENTEDGE, ES_AUTOHSCROLL, 10, 150, 160, 24);
        dropDown = combo(CBS_DROPDOWN, 40, -1);
        SetWindowTextW(dropDown, L"HH typed");
        showsItem = combo(CBS_DROPDOWN, 80, 1);
        SetWindowLongPtrW(showsItem, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(without_commands));
        SetWindowTextW(FindWindowExW(showsItem, nullptr, L"Edit", nullptr), L"typed");
        SetWindowLongPtrW(showsItem, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(class_procedure(showsItem)));
        dropList = combo(CBS_DROPDOWNLIST, 120, 0);
        emptyList = combo(CBS_DROPDOWNLIST, 160, -1);
        for (HWND control : {scrolled, plain, dropDown, showsItem, dropList, emptyList}) {
            ASSERT_NE(control, nullptr);
        }
        ASSERT_EQ(text_of(showsItem), L"typed");
        ASSERT_EQ(SendMessageW(showsItem, CB_GETCURSEL, 0, 0), 1);
        record = skin_window(top);
        ASSERT_NE(record, nullptr);
        testing::show_skinned(top, *record);
    }

    SkinWindow* record = nullptr;
    HWND top = nullptr, scrolled = nullptr, plain = nullptr, dropDown = nullptr;
    HWND showsItem = nullptr, dropList = nullptr, emptyList = nullptr;
};

using SkinEditFrame = SkinEditComboTest;
using SkinEditVeil = SkinEditComboTest;
using SkinComboAttach = SkinEditComboTest;
using SkinComboPaint = SkinEditComboTest;
using SkinEditComboHover = SkinEditComboTest;
using SkinEditComboObjects = SkinEditComboTest;

// --- Edit frames ----------------------------------------------------------------

TEST_F(SkinEditFrame, ScrolledEditGetsTheSkinsFrameAndTheSystemsScrollBarsAndCorner) {
    ASSERT_NO_FATAL_FAILURE(skin(false));
    const EditFrameGeometry frame = editFrameGeometry(scrolled);
    RECT client{};
    GetClientRect(scrolled, &client);
    ASSERT_GT(frame.contentWidth, client.right) << "no vertical scroll bar";
    ASSERT_GT(frame.contentHeight, client.bottom) << "no horizontal scroll bar";
    EXPECT_EQ(frame.borderX, 2);
    EXPECT_EQ(frame.borderY, 2);
    mark(scrolled, 0, 0, 1000, 1000);
    repaint(scrolled);
    const Capture shot = capture(scrolled);
    const int middle = shot.height / 2;
    expect_close(shot.at(0, middle), over_white(0, kRestAlpha));
    EXPECT_EQ(shot.at(1, middle), kWhite);
    EXPECT_NE(shot.at(frame.borderX + 5, frame.borderY + 5), kMarker) << "client unpainted";
    const int barLeft = frame.borderX + client.right;
    EXPECT_NE(shot.at(barLeft + 3, frame.borderY + 3), kMarker) << "scroll bar unpainted";
    const int cornerX = frame.borderX + frame.contentWidth - 3;
    const int cornerY = frame.borderY + frame.contentHeight - 3;
    EXPECT_EQ(shot.at(cornerX, cornerY), GetSysColor(COLOR_BTNFACE));

    // The region the system may paint: both bars and the corner, no client.
    const Region bars = scrollBarRegion(scrolled);
    ASSERT_TRUE(bars);
    RECT outer{};
    GetWindowRect(scrolled, &outer);
    EXPECT_TRUE(PtInRegion(bars.get(), outer.left + cornerX, outer.top + cornerY));
    EXPECT_TRUE(PtInRegion(bars.get(), outer.left + barLeft + 3, outer.top + 10));
    EXPECT_FALSE(PtInRegion(bars.get(), outer.left + 10, outer.top + 10));
    EXPECT_FALSE(scrollBarRegion(plain));
}

TEST_F(SkinEditFrame, BorderIsGreyAtRestOnePixelAccentWhenFocusedTwoWhenHot) {
    ASSERT_NO_FATAL_FAILURE(skin(false));
    struct State {
        bool focused, hot;
        COLORREF outer, inner;
    };
    const COLORREF lit = over_white(engine.settings.accentColour, kEditLitAlpha);
    const State states[] = {
        {false, false, over_white(0, kRestAlpha), kWhite},
        {true, false, lit, kWhite},
        {false, true, lit, lit},
    };
    for (const State& state : states) {
        SCOPED_TRACE(::testing::Message() << "focused " << state.focused << " hot " << state.hot);
        paintEditFrame(engine, plain, state.focused, state.hot);
        const Capture shot = capture(plain);
        expect_close(shot.at(0, shot.height / 2), state.outer);
        expect_close(shot.at(1, shot.height / 2), state.inner);
        expect_close(shot.at(shot.width / 2, 0), state.outer);
    }
}

TEST_F(SkinEditVeil, EditClientAndRingShowTheSkinnedWindowThroughTheVeil) {
    ASSERT_NO_FATAL_FAILURE(skin(true));
    repaint(plain);
    const Capture shot = capture(plain);
    RECT outer{};
    GetWindowRect(plain, &outer);
    POINT origin{outer.left, outer.top};
    ScreenToClient(top, &origin);
    const auto layer = [&](int x, int y) {
        return GetPixel(record->backgroundLayer.dc, origin.x + x, origin.y + y);
    };
    const int middle = shot.height / 2;
    for (const int x : {1, shot.width - 5}) {
        SCOPED_TRACE(::testing::Message() << "x " << x);
        expect_close(shot.at(x, middle), layer(x, middle));
    }
}

// --- Combo boxes ----------------------------------------------------------------

TEST_F(SkinComboAttach, WithoutTheVeilTheComboEditKeepsTheSystemsLookAndReply) {
    ASSERT_NO_FATAL_FAILURE(skin(false));
    HWND edit = FindWindowExW(dropDown, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(prop(edit, L"Hw_lbID"), 0);
    EXPECT_EQ(current_procedure(edit), class_procedure(edit));
    HDC dc = GetDC(edit);
    const LRESULT reply = SendMessageW(dropDown, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(edit));
    const LRESULT systems =
        CallWindowProcW(class_procedure(dropDown), dropDown, WM_CTLCOLOREDIT,
                        reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
    ReleaseDC(edit, dc);
    EXPECT_EQ(reply, systems);
    EXPECT_EQ(prop(edit, L"Kj_dxjb"), 0);
}

TEST_F(SkinComboAttach, UnderTheVeilTheComboHandsItsEditAFreshPatternBrush) {
    ASSERT_NO_FATAL_FAILURE(skin(true));
    HWND edit = FindWindowExW(dropDown, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(current_procedure(edit), editSkinProc);
    HDC dc = GetDC(edit);
    const auto reply = [&] {
        return reinterpret_cast<HGDIOBJ>(SendMessageW(dropDown, WM_CTLCOLOREDIT,
                                                      reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(edit)));
    };
    reply();
    const long withOnePair = gdi_count::live();
    HGDIOBJ second = reply();
    ReleaseDC(edit, dc);
    EXPECT_EQ(gdi_count::live(), withOnePair) << "the earlier brush or bitmap was kept";
    EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(prop(edit, L"Kj_dxjb")), second);
    EXPECT_NE(prop(edit, L"Kj_wtjb"), 0);
    DestroyWindow(dropDown);
    EXPECT_EQ(gdi_count::live(), withOnePair - 2) << "the edit kept its brush and bitmap";
}

TEST_F(SkinComboAttach, ASelectedItemBecomesTheTextAComboWithoutSelectionKeepsIts) {
    ASSERT_NO_FATAL_FAILURE(skin(false));
    EXPECT_EQ(text_of(showsItem), L"beta");
    EXPECT_EQ(text_of(dropDown), L"HH typed");
    EXPECT_EQ(SendMessageW(dropDown, CB_GETCURSEL, 0, 0), CB_ERR);
}

// Dark pixels left of the drop-down button, and the rows they span.
struct DarkArea {
    int count = 0, left = 1000, top = 1000, bottom = -1;
};

DarkArea dark_area(const Capture& shot) {
    DarkArea area;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width - kButtonSpan; ++x) {
            if (!is_dark(shot.at(x, y))) continue;
            ++area.count;
            area.left = std::min(area.left, x);
            area.top = std::min(area.top, y);
            area.bottom = std::max(area.bottom, y);
        }
    }
    return area;
}

TEST_F(SkinComboPaint, DropDownListTextIsTheSkinsADropDownShowsItsEditThroughTheHole) {
    ASSERT_NO_FATAL_FAILURE(skin(false));
    repaint(emptyList);
    EXPECT_EQ(dark_area(capture(emptyList)).count, 0);
    repaint(dropList);
    const DarkArea text = dark_area(capture(dropList));
    ASSERT_GT(text.count, 0);
    RECT client{};
    GetClientRect(dropList, &client);
    EXPECT_GE(text.left, 2);
    EXPECT_GE(text.top, (client.bottom - kTextSize) / 2);
    EXPECT_GE(text.bottom - text.top + 1, kTextSize / 2);
    EXPECT_LE(text.bottom - text.top + 1, kTextSize);

    // A hot paint through the window DC would cover the edit but for the
    // hole, which the copy leaves transparent.
    repaint(dropDown);
    SendMessageW(dropDown, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    const Capture shot = capture(dropDown);
    EXPECT_GT(dark_area(shot).count, 0) << "the edit's text was painted over";
    EXPECT_EQ(std::ranges::count(shot.pixels, kHole), 0);
}

// --- Hover ------------------------------------------------------------------------

TEST_F(SkinEditComboHover, MovesRepaintOncePerEntryEvenAcrossFamiliesSharingAnIndex) {
    ASSERT_NO_FATAL_FAILURE(skin(false));
    ASSERT_FALSE(record->comboSkins.empty() || record->editSkins.empty());
    // Index 1 of each family: a combo's border pixel and an edit's ring.
    HWND box = record->comboSkins[0].hwnd;
    HWND edit = record->editSkins[0].hwnd;
    const POINT comboTop{capture(box).width / 2, 0};
    const POINT editLeft{0, capture(edit).height / 2};
    const auto repainted_by = [](HWND control, POINT at, UINT message) {
        mark(control, at.x, at.y);
        SendMessageW(control, message, 0, MAKELPARAM(3, 3));
        return !is_marked(control, at.x, at.y);
    };
    EXPECT_TRUE(repainted_by(box, comboTop, WM_MOUSEMOVE));
    EXPECT_EQ(record->hotPart, 3);
    EXPECT_FALSE(repainted_by(box, comboTop, WM_MOUSEMOVE)) << "a second move repainted";
    EXPECT_TRUE(repainted_by(edit, editLeft, WM_MOUSEMOVE)) << "the edit was not lit";
    EXPECT_EQ(record->hotPart, 1);
    EXPECT_EQ(record->hotParent, top);
    EXPECT_FALSE(repainted_by(edit, editLeft, WM_MOUSEMOVE)) << "a second move repainted";
    EXPECT_TRUE(repainted_by(edit, editLeft, WM_MOUSELEAVE));
    EXPECT_EQ(record->hotControl, 0);
}

// --- Nothing left behind ----------------------------------------------------------

TEST_F(SkinEditComboObjects, ThousandRepaintsOfEachLeaveNothingBehind) {
    ASSERT_NO_FATAL_FAILURE(skin(true));
    const testing::ObjectCounts before;
    for (int i = 0; i < 1000; ++i) {
        for (HWND control : {scrolled, plain, dropDown, dropList}) repaint(control);
        SendMessageW(plain, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        SendMessageW(plain, WM_MOUSELEAVE, 0, 0);
        SendMessageW(dropList, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        SendMessageW(dropList, WM_MOUSELEAVE, 0, 0);
    }
    EXPECT_TRUE(testing::counts_unchanged(before));
}

}  // namespace
}  // namespace qelvo::skin

#endif  // _WIN32
