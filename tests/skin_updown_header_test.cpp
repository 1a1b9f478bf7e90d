// Up-down controls and list-view headers on a skinned test window: the lit
// half follows the mouse across the middle and stays put within a half, a
// held button shows the pressed look, the last header item reaches the
// list's right edge, a right-aligned text too wide for its item starts at
// the margin, only headers with buttons light up and press, the fonts the
// header records take, and a thousand repaints leave no GDI or GDI+ object
// behind.
#ifdef _WIN32

#include "tests/skin_test_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace qelvo::skin {
namespace {

using testing::capture;
using testing::Capture;
using testing::record_of;

constexpr wchar_t kTestClass[] = L"QelvoSkinUpdownHeaderTest";
constexpr COLORREF kWindowFill = RGB(30, 90, 160);
constexpr COLORREF kMarker = RGB(255, 0, 255);
constexpr int kUpdownHeight = 40;
// Rows of each half away from the seam between them, where the outlines
// of both halves may blend.
constexpr int kUpperEnd = kUpdownHeight / 2 - 2;
constexpr int kLowerStart = kUpdownHeight / 2 + 2;

// Covers the control so that any paint of it shows.
void paint_marker(HWND control) {
    RECT outer{};
    GetWindowRect(control, &outer);
    testing::fill_window_area(control, {0, 0, outer.right - outer.left, outer.bottom - outer.top},
                              kMarker);
}

bool is_dark(COLORREF colour) {
    return GetRValue(colour) + GetGValue(colour) + GetBValue(colour) < 450;
}

void repaint(HWND control) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void move(HWND control, int x, int y) { SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

RECT item_rect(HWND header, int index) {
    RECT rect{};
    SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void send_column(HWND list, UINT message, int index, int format, const wchar_t* text, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(text);
    SendMessageW(list, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void set_column(HWND list, int index, int format, const wchar_t* text, int width) {
    send_column(list, LVM_SETCOLUMNW, index, format, text, width);
}

// The columns of the program's result list, which end well before the
// right edge of a 400-pixel list.
void add_result_columns(HWND list) {
    send_column(list, LVM_INSERTCOLUMNW, 0, LVCFMT_LEFT, L"序号", 60);
    send_column(list, LVM_INSERTCOLUMNW, 1, LVCFMT_LEFT, L"文件路径", 120);
    send_column(list, LVM_INSERTCOLUMNW, 2, LVCFMT_LEFT, L"大小", 70);
}

class SkinUpdownHeaderTest : public testing::SkinEngineFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing::register_test_class(kTestClass, DefWindowProcW, ICC_WIN95_CLASSES));
        ASSERT_NO_FATAL_FAILURE(start_engine());
        engine.setBackground({}, {}, kWindowFill);
        top = testing::make_window(kTestClass, L"skin updown header", WS_POPUP | WS_CLIPCHILDREN,
                                   40, 40, 600, 520);
        ASSERT_NE(top, nullptr);
        updown = child(UPDOWN_CLASSW, 0, 20, 40, 16, kUpdownHeight);
        sideways = child(UPDOWN_CLASSW, UDS_HORZ, 60, 40, 40, 16);
        results = child(WC_LISTVIEWW, LVS_REPORT | WS_BORDER, 20, 100, 400, 150);
        plain = child(WC_LISTVIEWW, LVS_REPORT | LVS_NOSORTHEADER | WS_BORDER, 20, 280, 400, 150);
        standalone = child(WC_HEADERW, HDS_BUTTONS, 450, 40, 120, 24);
        for (HWND list : {results, plain}) {
            SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            add_result_columns(list);
        }
        resultsHeader = FindWindowExW(results, nullptr, WC_HEADERW, nullptr);
        plainHeader = FindWindowExW(plain, nullptr, WC_HEADERW, nullptr);
        for (HWND control :
             {updown, sideways, results, plain, standalone, resultsHeader, plainHeader}) {
            ASSERT_NE(control, nullptr);
        }
        skinned = skin_window(top);
        ASSERT_NE(skinned, nullptr);
        ASSERT_NO_FATAL_FAILURE(testing::show_skinned(top, *skinned));
        for (HWND control : {updown, sideways, resultsHeader, plainHeader}) repaint(control);
    }
    void TearDown() override {
        ReleaseCapture();
        if (top) DestroyWindow(top);
        DeleteObject(font);
        // Mouse-leave tracking outside the pointer posts leave messages at once.
        MSG message{};
        while (PeekMessageW(&message, nullptr, WM_MOUSELEAVE, WM_MOUSELEAVE, PM_REMOVE)) {
        }
    }

    HWND child(const wchar_t* className, DWORD style, int x, int y, int width, int height) {
        return testing::make_child(top, className, style, x, y, width, height);
    }

    HFONT font = testing::make_font(L"Tahoma", -13, FW_NORMAL);
    HWND top = nullptr, updown = nullptr, sideways = nullptr, results = nullptr, plain = nullptr;
    HWND standalone = nullptr, resultsHeader = nullptr, plainHeader = nullptr;
    SkinWindow* skinned = nullptr;
};

using SkinUpdown = SkinUpdownHeaderTest;
using SkinHeader = SkinUpdownHeaderTest;
using SkinUpdownHeaderObjects = SkinUpdownHeaderTest;

// --- Up-down controls ----------------------------------------------------------

TEST_F(SkinUpdown, HighlightMovesWithTheMouseAcrossTheMiddleAndNotWithinAHalf) {
    const Capture rest = capture(updown);
    ASSERT_EQ(rest.height, kUpdownHeight);
    move(updown, 4, 10);
    const Capture upper = capture(updown);
    EXPECT_NE(upper.rows(0, kUpperEnd), rest.rows(0, kUpperEnd)) << "the upper half is not lit";
    EXPECT_EQ(upper.rows(kLowerStart, rest.height), rest.rows(kLowerStart, rest.height));

    paint_marker(updown);
    move(updown, 4, 15);
    EXPECT_EQ(std::ranges::count(capture(updown).pixels, kMarker),
              static_cast<std::ptrdiff_t>(rest.pixels.size()))
        << "moving within the lit half painted the control";

    move(updown, 4, 30);
    const Capture lower = capture(updown);
    EXPECT_EQ(std::ranges::count(lower.pixels, kMarker), 0);
    EXPECT_EQ(lower.rows(0, kUpperEnd), rest.rows(0, kUpperEnd));
    EXPECT_NE(lower.rows(kLowerStart, rest.height), rest.rows(kLowerStart, rest.height));
    const UpdownSkin* record = record_of(skinned->updownSkins, updown);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->hotHalf, 1);
    EXPECT_EQ(skinned->hotPart, 8);

    // A horizontal control splits at the middle of its width.
    const Capture side = capture(sideways);
    move(sideways, 30, 8);
    EXPECT_EQ(record_of(skinned->updownSkins, sideways)->hotHalf, 1);
    EXPECT_EQ(capture(sideways).columns(0, side.width / 2 - 2),
              side.columns(0, side.width / 2 - 2));
    EXPECT_NE(capture(sideways).columns(side.width / 2 + 2, side.width),
              side.columns(side.width / 2 + 2, side.width));
}

TEST_F(SkinUpdown, HeldButtonTurnsTheLitHalfsGradientAround) {
    move(updown, 4, 30);
    const Capture hot = capture(updown);
    SendMessageW(updown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 30));
    repaint(updown);
    const Capture pressed = capture(updown);
    SendMessageW(updown, WM_LBUTTONUP, 0, MAKELPARAM(4, 30));
    EXPECT_EQ(record_of(skinned->updownSkins, updown)->pressed, 0);
    // Hot runs from white to the accent, pressed from the accent to white;
    // the accent colour has little red. Column 2 is clear of the arrow.
    EXPECT_LT(GetRValue(pressed.at(2, kLowerStart + 1)), GetRValue(hot.at(2, kLowerStart + 1)));
    EXPECT_GT(GetRValue(pressed.at(2, kUpdownHeight - 3)), GetRValue(hot.at(2, kUpdownHeight - 3)));
    EXPECT_EQ(pressed.rows(0, kUpperEnd), hot.rows(0, kUpperEnd));
}

// --- Headers -------------------------------------------------------------------

TEST_F(SkinHeader, ListViewHeadersTakeTheListsFontAndAHeaderAloneNone) {
    for (HWND header : {resultsHeader, plainHeader}) {
        const HeaderSkin* record = record_of(skinned->headerSkins, header);
        ASSERT_NE(record, nullptr);
        EXPECT_FALSE(record->fontFace.empty());
        EXPECT_GT(record->fontSize, 0);
    }
    const HeaderSkin* alone = record_of(skinned->headerSkins, standalone);
    ASSERT_NE(alone, nullptr);
    EXPECT_TRUE(alone->fontFace.empty());
    EXPECT_EQ(alone->fontSize, 0);
    EXPECT_EQ(alone->buttons, 1);
}

TEST_F(SkinHeader, LastItemIsStretchedToTheListsRightEdge) {
    const RECT third = item_rect(resultsHeader, 2);
    RECT list{};
    GetClientRect(results, &list);
    POINT edge{list.right, 0};
    MapWindowPoints(results, resultsHeader, &edge, 1);
    ASSERT_LT(third.right, edge.x - 40) << "the columns fill the list";
    const Capture pixels = capture(resultsHeader);
    ASSERT_GE(pixels.width, edge.x) << "the header does not span the list";
    const int inside = third.right - 8, beyond = edge.x - 20;
    for (int y = 1; y < third.bottom - 1; ++y) {
        EXPECT_EQ(pixels.at(beyond, y), pixels.at(inside, y)) << "row " << y;
    }
    // The separator moved with the item's end.
    EXPECT_EQ(pixels.at(third.right - 1, 1), pixels.at(inside, 1));
    EXPECT_NE(pixels.at(edge.x - 1, 1), pixels.at(beyond, 1));
}

TEST_F(SkinHeader, RightAlignedTextTooWideForItsItemStartsAtTheMargin) {
    const auto second_item = [&](int format, const wchar_t* text, int width) {
        set_column(results, 1, format, text, width);
        repaint(resultsHeader);
        const RECT item = item_rect(resultsHeader, 1);
        EXPECT_EQ(item.right - item.left, width);
        return capture(resultsHeader).columns(item.left, item.right);
    };
    const wchar_t kWide[] = L"AVeryLongRightAlignedTitle";
    const std::vector<COLORREF> right = second_item(LVCFMT_RIGHT, kWide, 50);
    EXPECT_GT(std::ranges::count_if(right, is_dark), 0) << "no text is seen";
    EXPECT_EQ(right, second_item(LVCFMT_LEFT, kWide, 50));
    // A text that fits keeps to its side.
    EXPECT_NE(second_item(LVCFMT_RIGHT, L"ab", 120), second_item(LVCFMT_LEFT, L"ab", 120));
}

TEST_F(SkinHeader, OnlyAHeaderWithButtonsLightsUpAndPressesItsItems) {
    for (HWND header : {resultsHeader, plainHeader}) {
        const HeaderSkin* record = record_of(skinned->headerSkins, header);
        ASSERT_NE(record, nullptr);
        const bool buttons = header == resultsHeader;
        SCOPED_TRACE(buttons ? "with buttons" : "without buttons");
        EXPECT_EQ(record->buttons, buttons ? 1 : 0);
        const RECT first = item_rect(header, 0), second = item_rect(header, 1);
        const LPARAM point = MAKELPARAM((first.left + first.right) / 2, first.bottom / 2);
        const Capture rest = capture(header);
        SendMessageW(header, WM_MOUSEMOVE, 0, point);
        EXPECT_EQ(record->hotHeaderItem, 1);
        EXPECT_EQ(skinned->hotPart, 9);
        const Capture lit = capture(header);
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
        EXPECT_EQ(record->pressedItem, 1);
        repaint(header);
        const Capture pressed = capture(header);
        SendMessageW(header, WM_LBUTTONUP, 0, point);
        EXPECT_EQ(record->pressedItem, 0);
        if (!buttons) {
            EXPECT_EQ(lit.pixels, rest.pixels);
            EXPECT_EQ(pressed.pixels, rest.pixels);
            continue;
        }
        EXPECT_NE(lit.columns(first.left, first.right), rest.columns(first.left, first.right));
        EXPECT_EQ(lit.columns(second.left, second.right), rest.columns(second.left, second.right));
        EXPECT_NE(pressed.columns(first.left, first.right), lit.columns(first.left, first.right));
    }
}

// --- Nothing left behind ----------------------------------------------------------

TEST_F(SkinUpdownHeaderObjects, ThousandRepaintsOfEachControlLeaveNothingBehind) {
    const testing::ObjectCounts before(engine);
    const RECT first = item_rect(resultsHeader, 0), second = item_rect(resultsHeader, 1);
    for (int i = 0; i < 1000; ++i) {
        const bool odd = i % 2 != 0;
        move(updown, 4, odd ? 30 : 10);
        move(sideways, odd ? 30 : 8, 8);
        move(resultsHeader, odd ? second.left + 10 : first.left + 10, first.bottom / 2);
    }
    EXPECT_EQ(record_of(skinned->updownSkins, updown)->hotHalf, 1);
    EXPECT_EQ(record_of(skinned->headerSkins, resultsHeader)->paintedHotItem, 2);
    EXPECT_TRUE(testing::counts_unchanged(before));
}

}  // namespace
}  // namespace qelvo::skin

#endif  // _WIN32
