// The list-type controls under the skin: the frame ring and border line and
// how they light up, items painted over the veil, the erase requests left
// to the controls and those answered for them, a veiled tree view without
// its key colour, a virtual list view that asks only for the rows in view,
// and no GDI or GDI+ object left behind by a thousand repaints of each class.
#ifdef _WIN32

#include "tests/skin_test_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "skin/gdi_holders.h"

namespace qelvo::skin {
namespace {

using testing::combo_list_of;
using testing::window_pixel;
using testing::window_pixels;

constexpr wchar_t kListTestClass[] = L"QelvoSkinListTest";
constexpr COLORREF kWindowFill = RGB(30, 90, 160);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kMarker = RGB(1, 2, 3);
constexpr int kVeilAlpha = 120;
constexpr int kBorderAlpha = 90;
constexpr int kWidth = 160, kHeight = 90;

// Rows the virtual list view asked its parent for.
std::vector<int>& requested_rows() {
    static std::vector<int> rows;
    return rows;
}

LRESULT CALLBACK parent_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NOTIFY) {
        auto& request = *reinterpret_cast<NMLVDISPINFOW*>(lparam);
        if (request.hdr.code == LVN_GETDISPINFOW) {
            requested_rows().push_back(request.item.iItem);
            if (request.item.mask & LVIF_TEXT) {
                lstrcpynW(request.item.pszText, L"row", request.item.cchTextMax);
            }
            return 0;
        }
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// Messages that reached the control's own procedure through the skin.
std::vector<UINT>& forwarded() {
    static std::vector<UINT> messages;
    return messages;
}

LRESULT CALLBACK recording_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    forwarded().push_back(message);
    return CallWindowProcW(testing::class_procedure(window), window, message, wparam, lparam);
}

// The skin forwards through "Hw_hProc"; a recorder put there sees what
// the skin leaves to the control.
void record_forwarding(HWND control) {
    SetPropW(control, L"Hw_hProc", reinterpret_cast<HANDLE>(recording_procedure));
    forwarded().clear();
}

bool was_forwarded(UINT message) { return std::ranges::count(forwarded(), message) > 0; }

COLORREF blend(COLORREF under, COLORREF over, int alpha) {
    const auto mix = [alpha](int below, int above) {
        return below + (above - below) * alpha / 255;
    };
    return RGB(mix(GetRValue(under), GetRValue(over)), mix(GetGValue(under), GetGValue(over)),
               mix(GetBValue(under), GetBValue(over)));
}

void expect_near_colour(COLORREF actual, COLORREF expected) {
    EXPECT_NEAR(GetRValue(actual), GetRValue(expected), 3);
    EXPECT_NEAR(GetGValue(actual), GetGValue(expected), 3);
    EXPECT_NEAR(GetBValue(actual), GetBValue(expected), 3);
}

long dark_pixels(const std::vector<COLORREF>& pixels) {
    return std::ranges::count_if(pixels, [](COLORREF pixel) {
        return GetRValue(pixel) < 100 && GetGValue(pixel) < 100 && GetBValue(pixel) < 100;
    });
}

void drain_messages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// A hidden popup on a window filled with one colour; the children are
// added before it is skinned and shown.
class SkinListTest : public testing::SkinEngineFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing::register_test_class(
            kListTestClass, parent_procedure,
            ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_INTERNET_CLASSES | ICC_DATE_CLASSES));
        ASSERT_NO_FATAL_FAILURE(start_engine());
        engine.setBackground({}, {}, kWindowFill);
        window = testing::make_window(kListTestClass, L"skin lists", WS_POPUP | WS_CLIPCHILDREN, 40,
                                      40, 560, 520);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
    }

    HWND add(const wchar_t* className, DWORD style, int x, int y, int width = kWidth,
             int height = kHeight, DWORD extendedStyle = 0) {
        HWND child =
            testing::make_child(window, className, style, x, y, width, height, extendedStyle);
        EXPECT_NE(child, nullptr);
        return child;
    }
    void skin_and_show(bool veiled) {
        if (veiled) engine.setOptions(1, kVeilAlpha);
        record = skin_window(window);
        ASSERT_NE(record, nullptr);
        testing::show_skinned(window, *record);
    }
    static void repaint(HWND control) {
        RedrawWindow(control, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    }
    const ListSkin* list_record(HWND control) const {
        return testing::record_of(record->listSkins, control);
    }

    // The skinned window's background under a point of the control's window,
    // veiled.
    COLORREF veiled_at(HWND control, int x, int y) const {
        RECT outer{}, inner{};
        GetWindowRect(window, &outer);
        GetWindowRect(control, &inner);
        const COLORREF background = GetPixel(
            record->backgroundLayer.dc, inner.left - outer.left + x, inner.top - outer.top + y);
        return blend(background, RGB(255, 255, 255), kVeilAlpha);
    }

    HWND window = nullptr;
    SkinWindow* record = nullptr;
};

using SkinListFrame = SkinListTest;
using SkinListErase = SkinListTest;
using SkinListVeil = SkinListTest;
using SkinListObjectCounts = SkinListTest;

TEST_F(SkinListFrame, UnframedListBoxHasNoRingAndItsItemsPaintOverTheVeil) {
    HWND plain = add(L"ListBox", LBS_NOINTEGRALHEIGHT, 20, 60);
    HWND framed = add(L"ListBox", WS_BORDER | LBS_NOINTEGRALHEIGHT, 220, 60);
    for (HWND list : {plain, framed}) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"first row"));
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"second row"));
    }
    ASSERT_NO_FATAL_FAILURE(skin_and_show(true));
    repaint(plain);
    repaint(framed);
    RECT client{};
    GetClientRect(plain, &client);
    ASSERT_EQ(client.right, kWidth) << "a list box without a border has a frame";
    // Below the rows, up to the very edge (inside the border line of the
    // framed one), the veiled parent shows through.
    const auto expect_veiled = [&](HWND list, int inset) {
        const POINT belowRows[] = {
            {inset, kHeight - 1 - inset}, {kWidth - 1 - inset, kHeight - 1 - inset}, {80, 80}};
        for (const POINT& point : belowRows) {
            SCOPED_TRACE(::testing::Message() << point.x << "," << point.y);
            expect_near_colour(window_pixel(list, point.x, point.y),
                               veiled_at(list, point.x, point.y));
        }
    };
    expect_veiled(plain, 0);
    expect_veiled(framed, 1);
    EXPECT_GT(dark_pixels(window_pixels(plain, {0, 0, kWidth, 30})), 0) << "no item text";
    // A framed one has the border line over its veiled ring.
    for (const int x : {0, kWidth - 1}) {
        expect_near_colour(window_pixel(framed, x, 45),
                           blend(veiled_at(framed, x, 45), 0, kBorderAlpha));
    }
}

// The two-pixel ring of a client edge: the resting and the focus line take
// its outer pixel, the hot line both.
TEST_F(SkinListFrame, MovingWithinOneListLightsItsFrameOnceAndLeavingPutsItOut) {
    HWND list = add(L"ListBox", 0, 20, 60, kWidth, kHeight, WS_EX_CLIENTEDGE);
    ASSERT_NO_FATAL_FAILURE(skin_and_show(false));
    repaint(list);
    const auto edge = [&] { return window_pixel(list, 0, 40); };
    const auto inner = [&] { return window_pixel(list, 1, 40); };
    const COLORREF restingEdge = edge(), restingInner = inner();
    // Without the veil the ring is opaque white.
    expect_near_colour(restingEdge, blend(RGB(255, 255, 255), 0, kBorderAlpha));
    expect_near_colour(restingInner, RGB(255, 255, 255));

    SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    const ListSkin* lit = list_record(list);
    ASSERT_NE(lit, nullptr);
    EXPECT_EQ(lit->hot, 1);
    EXPECT_EQ(record->hotControl, lit - record->listSkins.data() + 1);
    EXPECT_EQ(record->hotPart, 4);
    EXPECT_NE(inner(), restingInner);
    // A frame painted again would cover the marker.
    HDC dc = GetWindowDC(list);
    SetPixel(dc, 1, 40, kMarker);
    ReleaseDC(list, dc);
    SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(30, 20));
    EXPECT_EQ(inner(), kMarker);

    SendMessageW(list, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(list_record(list)->hot, 0);
    EXPECT_EQ(record->hotControl, 0);
    EXPECT_EQ(inner(), restingInner);
    EXPECT_EQ(edge(), restingEdge);

    SendMessageW(list, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(list_record(list)->focused, 1);
    EXPECT_NE(edge(), restingEdge);
    EXPECT_EQ(inner(), restingInner);
    SendMessageW(list, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(list_record(list)->focused, 0);
    EXPECT_EQ(edge(), restingEdge);
}

// An erase request with the DC's background mode opaque beforehand.
LRESULT erase(HWND control, HDC dc) {
    SetBkMode(dc, OPAQUE);
    return SendMessageW(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
}

TEST_F(SkinListErase, UnderTheVeilOwnerDrawnAndComboListsEraseThemselvesPickersAreGivenTheVeil) {
    HWND ownerDrawn = add(L"ListBox", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, 20, 60);
    HWND simple = add(L"ComboBox", CBS_SIMPLE, 220, 60, kWidth, 120);
    HWND plain = add(L"ListBox", WS_BORDER, 20, 200);
    HWND view = add(WC_LISTVIEWW, LVS_REPORT, 220, 200);
    HWND tree = add(WC_TREEVIEWW, WS_BORDER, 20, 320);
    HWND address = add(WC_IPADDRESSW, 0, 220, 320, kWidth, 24, WS_EX_CLIENTEDGE);
    HWND date = add(DATETIMEPICK_CLASSW, 0, 220, 360, kWidth, 24, WS_EX_CLIENTEDGE);
    constexpr COLORREF kTextColour = RGB(0, 128, 64), kEarlierColour = RGB(9, 9, 9);
    for (HWND picker : {address, date}) {
        SetPropW(picker, L"Kj_Ztys", reinterpret_cast<HANDLE>(std::intptr_t{kTextColour}));
    }
    ASSERT_NO_FATAL_FAILURE(skin_and_show(true));
    for (HWND control : {ownerDrawn, combo_list_of(simple), plain, view, tree, address, date}) {
        ASSERT_NE(list_record(control), nullptr);
    }
    const MemoryDc target(nullptr, 200, 200);
    for (HWND control : {ownerDrawn, combo_list_of(simple)}) {
        record_forwarding(control);
        erase(control, target.dc());
        EXPECT_TRUE(was_forwarded(WM_ERASEBKGND));
    }
    for (HWND control : {plain, view, tree}) {
        record_forwarding(control);
        EXPECT_EQ(erase(control, target.dc()), 1);
        EXPECT_EQ(GetBkMode(target.dc()), TRANSPARENT);
        EXPECT_FALSE(was_forwarded(WM_ERASEBKGND));
    }
    for (HWND picker : {address, date}) {
        record_forwarding(picker);
        SetTextColor(target.dc(), kEarlierColour);
        EXPECT_EQ(static_cast<COLORREF>(erase(picker, target.dc())), kEarlierColour);
        EXPECT_EQ(GetTextColor(target.dc()), kTextColour);
        EXPECT_EQ(GetBkMode(target.dc()), TRANSPARENT);
        EXPECT_FALSE(was_forwarded(WM_ERASEBKGND));
        // The DC's origin shows what lies behind the picker's client origin.
        POINT origin{};
        ClientToScreen(picker, &origin);
        RECT outer{};
        GetWindowRect(picker, &outer);
        expect_near_colour(GetPixel(target.dc(), 3, 3),
                           veiled_at(picker, origin.x - outer.left + 3, origin.y - outer.top + 3));
    }
}

TEST_F(SkinListVeil, VeiledTreeViewShowsNoKeyColourAnywhere) {
    HWND tree = add(WC_TREEVIEWW, WS_BORDER | TVS_HASLINES | TVS_LINESATROOT, 20, 60, 200, 140);
    TVINSERTSTRUCTW item{};
    item.hParent = TVI_ROOT;
    item.hInsertAfter = TVI_LAST;
    item.item.mask = TVIF_TEXT;
    for (const wchar_t* text : {L"first", L"second", L"third"}) {
        item.item.pszText = const_cast<wchar_t*>(text);
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    ASSERT_NO_FATAL_FAILURE(skin_and_show(true));
    ASSERT_EQ(static_cast<COLORREF>(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0)), kMagenta);
    repaint(tree);
    const std::vector<COLORREF> pixels = window_pixels(tree, {0, 0, 200, 140});
    EXPECT_EQ(std::ranges::count(pixels, kMagenta), 0);
    EXPECT_GT(dark_pixels(pixels), 0) << "no item was drawn";
    expect_near_colour(window_pixel(tree, 190, 130), veiled_at(tree, 190, 130));
}

TEST_F(SkinListVeil, VirtualListViewAsksOnlyForTheRowsInViewAndSortedOnesAreLeftAlone) {
    HWND view = add(WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA, 20, 60, 300, 200, WS_EX_CLIENTEDGE);
    HWND sorted = add(WC_LISTVIEWW, LVS_REPORT | LVS_SORTASCENDING, 20, 300);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 200;
    column.pszText = const_cast<wchar_t*>(L"Path");
    SendMessageW(view, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageW(view, LVM_SETITEMCOUNT, 100000, 0);
    ASSERT_NO_FATAL_FAILURE(skin_and_show(true));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(view, LVM_GETTEXTBKCOLOR, 0, 0)), CLR_NONE);
    EXPECT_EQ(list_record(sorted), nullptr);
    EXPECT_NE(static_cast<COLORREF>(SendMessageW(sorted, LVM_GETTEXTBKCOLOR, 0, 0)), CLR_NONE);

    const auto rows_painted_after = [&](int shownRow) {
        SendMessageW(view, LVM_ENSUREVISIBLE, static_cast<WPARAM>(shownRow), FALSE);
        requested_rows().clear();
        repaint(view);
        return requested_rows();
    };
    for (const int shownRow : {0, 50000, 99999}) {
        SCOPED_TRACE(::testing::Message() << "row " << shownRow << " in view");
        const std::vector<int> rows = rows_painted_after(shownRow);
        ASSERT_FALSE(rows.empty()) << "nothing was painted";
        EXPECT_LT(rows.size(), 100u);
        EXPECT_GE(std::ranges::min(rows), shownRow - 30);
        EXPECT_LE(std::ranges::max(rows), shownRow + 30);
    }
}

TEST_F(SkinListObjectCounts, ThousandRepaintsOfEachClassLeaveNothingBehind) {
    HWND listBox = add(L"ListBox", WS_BORDER | WS_VSCROLL, 20, 60);
    for (int i = 0; i < 30; ++i) {
        SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"row"));
    }
    HWND simple = add(L"ComboBox", CBS_SIMPLE, 220, 60, kWidth, 120);
    HWND view = add(WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER, 20, 200, kWidth,
                    kHeight, WS_EX_CLIENTEDGE);
    SendMessageW(view, LVM_SETITEMCOUNT, 100000, 0);
    HWND tree = add(WC_TREEVIEWW, WS_BORDER, 220, 200);
    HWND address = add(WC_IPADDRESSW, 0, 20, 320, kWidth, 24, WS_EX_CLIENTEDGE);
    HWND date = add(DATETIMEPICK_CLASSW, WS_BORDER, 220, 320, kWidth, 24);
    ASSERT_NO_FATAL_FAILURE(skin_and_show(true));
    drain_messages();
    const testing::ObjectCounts before(engine);
    for (HWND control : {listBox, combo_list_of(simple), view, tree, address, date}) {
        ASSERT_NE(list_record(control), nullptr);
        for (int i = 0; i < 1000; ++i) {
            SendMessageW(control, i % 2 ? WM_MOUSELEAVE : WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
            repaint(control);
        }
        drain_messages();
    }
    EXPECT_TRUE(testing::counts_unchanged(before));
}

}  // namespace
}  // namespace qelvo::skin

#endif  // _WIN32
