// Skinned push buttons, check boxes and radio buttons: which are taken and
// the fonts they note, the push button's face by state, checks and new
// captions shown at once, a hover lit once per entry, double clicks and the
// system's erasing and frame left out, and a thousand repaints of each kind
// leaving nothing behind.
#ifdef _WIN32

#include "tests/skin_test_window.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "engine/gbk_literal.h"
#include "skin/button_skin.h"
#include "skin/gdi_holders.h"
#include "skin/geometry.h"

namespace qelvo::skin {
namespace {

using testing::class_procedure;
using testing::current_procedure;

constexpr wchar_t kTestClass[] = L"QelvoSkinButtonTest";
constexpr COLORREF kWindowFill = RGB(160, 60, 40);
constexpr COLORREF kCaptionColour = RGB(0, 0, 255);
constexpr COLORREF kTickColour = RGB(36, 110, 117);
constexpr COLORREF kMarker = RGB(255, 0, 255);
constexpr COLORREF kDisabledFace = RGB(192, 192, 192);
constexpr int kButtonWidth = 120, kButtonHeight = 28;
// The 13-pixel box of a check box and the 6-pixel dot of a radio button,
// centred on a 28-pixel-high button.
constexpr RECT kCheckBoxArea{0, 7, 13, 20};
constexpr RECT kRadioDotArea{5, 11, 11, 17};
// Inside every face, clear of the caption.
constexpr POINT kInside{6, 16};
constexpr int kRepetitions = 1000;

int& commands_received() {
    static int count = 0;
    return count;
}

LRESULT CALLBACK counting_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND) ++commands_received();
    return DefWindowProcW(window, message, wparam, lparam);
}

// A copy of some pixels, row by row.
struct Picture {
    int width = 0;
    std::vector<COLORREF> pixels;

    COLORREF at(POINT point) const {
        return pixels.at(static_cast<std::size_t>(point.y * width + point.x));
    }
    long count(const RECT& area, bool (*test)(COLORREF)) const {
        long found = 0;
        for (LONG y = area.top; y < area.bottom; ++y) {
            for (LONG x = area.left; x < area.right; ++x) found += test(at({x, y})) ? 1 : 0;
        }
        return found;
    }
    bool operator==(const Picture&) const = default;
};

Picture capture(HDC source, int width, int height) {
    return {width, testing::copy_pixels(source, {0, 0, width, height})};
}

Picture on_screen(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    Picture picture = capture(dc, client.right, client.bottom);
    ReleaseDC(control, dc);
    return picture;
}

bool is_caption(COLORREF pixel) {
    return GetBValue(pixel) > 180 && GetRValue(pixel) < 70 && GetGValue(pixel) < 70;
}
bool is_tick(COLORREF pixel) {
    return std::abs(GetRValue(pixel) - GetRValue(kTickColour)) <= 10 &&
           std::abs(GetGValue(pixel) - GetGValue(kTickColour)) <= 10 &&
           std::abs(GetBValue(pixel) - GetBValue(kTickColour)) <= 10;
}
bool is_teal(COLORREF pixel) {
    return GetGValue(pixel) > GetRValue(pixel) + 40 && GetBValue(pixel) > GetRValue(pixel) + 40;
}

// A shown window filled with one colour holding the three kinds with a
// bold Latin font and a blue caption colour, two without a font, and five
// buttons the skin passes over.
class SkinButtonTest : public testing::SkinEngineFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing::register_test_class(kTestClass, counting_procedure));
        ASSERT_NO_FATAL_FAILURE(start_engine());
        engine.setBackground({}, {}, kWindowFill);
        font = testing::make_font(L"Tahoma", -16, FW_BOLD);
        window = testing::make_window(kTestClass, L"skin buttons", WS_POPUP | WS_CLIPCHILDREN, 40,
                                      40, 400, 300);
        ASSERT_TRUE(font && window);
        push = add(L"OK", BS_PUSHBUTTON, 20, 50);
        check = add(L"Check", BS_AUTOCHECKBOX, 20, 90);
        radio = add(L"Radio", BS_AUTORADIOBUTTON, 20, 130);
        barePush = add(L"bare", BS_PUSHBUTTON, 20, 170, false);
        bareCheck = add(L"bare", BS_AUTOCHECKBOX, 20, 210, false);
        int y = 10;
        for (const DWORD style :
             {BS_OWNERDRAW, BS_RADIOBUTTON, BS_3STATE, BS_AUTO3STATE, BS_GROUPBOX}) {
            passedOver.push_back(add(L"", style, 200, y += 40, false));
        }
        record = skin_window(window);
        ASSERT_NE(record, nullptr);
        for (HWND button : {push, check, radio}) {
            SetPropW(button, L"Kj_Ztys", reinterpret_cast<HANDLE>(std::intptr_t{kCaptionColour}));
        }
        ShowWindow(window, SW_SHOWNOACTIVATE);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ASSERT_NE(record->backgroundLayer.dc, nullptr) << "no background layer was rendered";
        commands_received() = 0;
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
        if (font) DeleteObject(font);
    }

    HWND add(const wchar_t* text, DWORD style, int x, int y, bool withFont = true) {
        HWND button = testing::make_child(window, L"Button", style, x, y, kButtonWidth,
                                          kButtonHeight, 0, text);
        EXPECT_NE(button, nullptr);
        if (withFont) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return button;
    }
    // Through the index the button carries; a button without one throws.
    static int index_of(HWND button) { return static_cast<int>(testing::prop(button, L"Hw_lbID")); }
    const ControlSkin& skin_of(HWND button) {
        return record->buttonSkins.at(static_cast<std::size_t>(index_of(button) - 1));
    }
    Picture push_face(UINT state) {
        const MemoryDc target(nullptr, kButtonWidth, kButtonHeight);
        const RECT area{0, 0, kButtonWidth, kButtonHeight};
        paintPushButton(push, target.dc(), state, area);
        return capture(target.dc(), kButtonWidth, kButtonHeight);
    }
    // What lies behind the push button at a point of it.
    COLORREF behind_push(POINT point) {
        const RECT place = rectInRoot(push);
        return GetPixel(record->backgroundLayer.dc, place.left + point.x, place.top + point.y);
    }
    static void press_space(HWND button) {
        SendMessageW(button, WM_KEYDOWN, VK_SPACE, 0);
        SendMessageW(button, WM_KEYUP, VK_SPACE, 0xC0000001);
    }
    static void move_over(HWND button) {
        SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(kInside.x, kInside.y));
    }
    // A pixel the next repaint of the button covers.
    static void mark(HWND button) {
        HDC dc = GetDC(button);
        SetPixel(dc, kInside.x, kInside.y, kMarker);
        ReleaseDC(button, dc);
    }
    static bool marked(HWND button) { return on_screen(button).at(kInside) == kMarker; }

    HFONT font = nullptr;
    HWND window = nullptr;
    SkinWindow* record = nullptr;
    HWND push = nullptr, check = nullptr, radio = nullptr, barePush = nullptr, bareCheck = nullptr;
    std::vector<HWND> passedOver;
};

using SkinButtonAttach = SkinButtonTest;
using SkinButtonLook = SkinButtonTest;
using SkinButtonProcedure = SkinButtonTest;
using SkinButtonObjectCounts = SkinButtonTest;

TEST_F(SkinButtonAttach, TakesPushButtonsCheckBoxesAndAutoRadioButtonsOnce) {
    ASSERT_EQ(record->buttonSkins.size(), 5u);
    const std::pair<HWND, int> kinds[] = {
        {push, 0}, {barePush, 0}, {check, 5}, {bareCheck, 5}, {radio, 4}};
    for (const auto& [button, kind] : kinds) EXPECT_EQ(skin_of(button).kind, kind);
    EXPECT_EQ(skin_of(push).caption, "OK");
    EXPECT_EQ(GetWindowLongPtrW(push, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(GetWindowLongPtrW(check, GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    for (HWND button : {push, check, radio}) {
        EXPECT_EQ(current_procedure(button), buttonSkinProc);
        EXPECT_EQ(skin_of(button).hwnd, button);
        EXPECT_EQ(GetPropW(button, L"Hw_FuID"), reinterpret_cast<HANDLE>(1));
    }
    for (HWND button : passedOver) {
        EXPECT_EQ(GetPropW(button, L"Hw_lbID"), nullptr);
        EXPECT_EQ(current_procedure(button), class_procedure(button));
    }
    engine.attachPushButtons(1, window);
    engine.attachCheckRadio(1, window);
    engine.skinChildren(1, window);
    EXPECT_EQ(record->buttonSkins.size(), 5u);
    // A second subclass would have put the skin's procedure into "Hw_hProc".
    for (HWND button : {push, check, radio}) {
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetPropW(button, L"Hw_hProc")),
                  class_procedure(button));
    }
}

// A missing font reads as an empty face of size 0.
TEST_F(SkinButtonAttach, OnlyPushButtonsFillInAMissingFont) {
    EXPECT_EQ(skin_of(barePush).fontFace, gbk("宋体"));
    EXPECT_EQ(skin_of(barePush).fontSize, 12);
    EXPECT_EQ(skin_of(bareCheck).fontFace, "");
    EXPECT_EQ(skin_of(bareCheck).fontSize, 0);
    EXPECT_EQ(skin_of(push).fontFace.rfind("Tahoma", 0), 0u) << skin_of(push).fontFace;
    EXPECT_GT(skin_of(push).fontSize, 0);
}

TEST_F(SkinButtonLook, PushButtonFaceFollowsItsState) {
    const Picture normal = push_face(0);
    // The corners show what lies behind; the face is veiled in white.
    const COLORREF corner = normal.at({0, 0}), behindCorner = behind_push({0, 0});
    EXPECT_LE(GetRValue(corner), GetRValue(behindCorner));
    EXPECT_LE(GetGValue(corner), GetGValue(behindCorner));
    EXPECT_GT(GetGValue(normal.at(kInside)), GetGValue(behind_push(kInside)) + 30);
    EXPECT_GT(normal.count({0, 0, kButtonWidth, kButtonHeight}, is_caption), 0) << "no caption";
    EXPECT_NE(push_face(ODS_HOTLIGHT).at(kInside), normal.at(kInside));
    EXPECT_NE(push_face(ODS_SELECTED).at(kInside), normal.at(kInside));
    EXPECT_NE(push_face(ODS_FOCUS).at({kButtonWidth / 2, 0}), normal.at({kButtonWidth / 2, 0}));
    const Picture disabled = push_face(ODS_DISABLED);
    EXPECT_EQ(disabled.at(kInside), kDisabledFace);
    EXPECT_EQ(disabled.at({3, 4}), kDisabledFace);
}

TEST_F(SkinButtonLook, CheckOrSpaceBarIsShownAtOnce) {
    EXPECT_EQ(on_screen(check).count(kCheckBoxArea, is_tick), 0);
    EXPECT_EQ(on_screen(radio).count(kRadioDotArea, is_teal), 0);
    press_space(check);
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_GT(on_screen(check).count(kCheckBoxArea, is_tick), 0) << "no tick";
    press_space(radio);
    EXPECT_EQ(SendMessageW(radio, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_GT(on_screen(radio).count(kRadioDotArea, is_teal), 0) << "no dot";
    EXPECT_EQ(commands_received(), 2) << "each press is one click";
    SendMessageW(check, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(on_screen(check).count(kCheckBoxArea, is_tick), 0);
}

// A check box that keeps the system font still shows its caption.
TEST_F(SkinButtonLook, CheckBoxWithoutAFontStillShowsItsCaption) {
    RedrawWindow(bareCheck, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const auto dark = [](COLORREF pixel) {
        return GetRValue(pixel) < 90 && GetGValue(pixel) < 90 && GetBValue(pixel) < 90;
    };
    RECT client{};
    GetClientRect(bareCheck, &client);
    EXPECT_GT(on_screen(bareCheck).count({20, 0, client.right, client.bottom}, dark), 0)
        << "no caption beside the box";
}

TEST_F(SkinButtonLook, NewCaptionIsShownAtTheNextPaint) {
    const RECT whole{0, 0, kButtonWidth, kButtonHeight};
    SetWindowTextW(push, L"");
    EXPECT_EQ(skin_of(push).caption, "");
    RedrawWindow(push, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(on_screen(push).count(whole, is_caption), 0);
    SetWindowTextW(push, L"HH");
    EXPECT_EQ(skin_of(push).caption, "HH");
    RedrawWindow(push, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_GT(on_screen(push).count(whole, is_caption), 0) << "the new caption is missing";
}

TEST_F(SkinButtonLook, MovesWithinAButtonLightItOnceAndLeavingPutsItOut) {
    for (HWND button : {push, check}) {
        SCOPED_TRACE(button == push ? "push button" : "check box");
        const Picture normal = on_screen(button);
        move_over(button);
        EXPECT_EQ(record->hotControl, index_of(button));
        EXPECT_EQ(record->mouseControl, index_of(button));
        EXPECT_NE(on_screen(button), normal) << "not lit";
        mark(button);
        move_over(button);
        EXPECT_TRUE(marked(button)) << "a move within the lit button repainted it";
        record->hotPart = 1;
        move_over(button);
        EXPECT_FALSE(marked(button)) << "a part left lit elsewhere did not repaint it";
        EXPECT_EQ(record->hotPart, 0);
        SendMessageW(button, WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(record->hotControl, 0);
        EXPECT_EQ(on_screen(button), normal);
        mark(button);
        move_over(button);
        EXPECT_FALSE(marked(button)) << "the next entry did not light it";
        SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(kInside.x, kInside.y));
        EXPECT_EQ(record->hotControl, 0);
    }
}

TEST_F(SkinButtonProcedure, SwallowsDoubleClicksErasingAndTheFrameAndKeepsTheFocus) {
    for (HWND button : {push, check}) {
        EXPECT_EQ(SendMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5)), 0);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    }
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(commands_received(), 0) << "the owner-drawn button reported a double click";
    SendMessageW(check, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(skin_of(check).focused, 1);
    SendMessageW(check, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(skin_of(check).focused, 0);
    EXPECT_EQ(SendMessageW(check, WM_NCPAINT, 1, 0), 1);
    const MemoryDc dc(nullptr, 4, 4);
    SetTextColor(dc.dc(), RGB(1, 2, 3));
    SetPixel(dc.dc(), 1, 1, kMarker);
    const auto previous = static_cast<COLORREF>(
        SendMessageW(check, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.dc()), 0));
    EXPECT_EQ(previous, RGB(1, 2, 3));
    EXPECT_EQ(GetBkMode(dc.dc()), TRANSPARENT);
    EXPECT_EQ(GetTextColor(dc.dc()), kCaptionColour);
    EXPECT_EQ(GetPixel(dc.dc(), 1, 1), kMarker) << "something was erased";
}

TEST_F(SkinButtonObjectCounts, ThousandRepaintsOfEachKindLeaveNothingBehind) {
    SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
    const testing::ObjectCounts before(engine);
    const UINT states[] = {0, ODS_FOCUS, ODS_SELECTED, ODS_DISABLED, ODS_SELECTED | ODS_FOCUS};
    for (int i = 0; i < kRepetitions; ++i) {
        for (HWND button : {push, check, radio}) {
            repaintButton(button, states[i % 5], i % 2 == 0);
        }
    }
    EXPECT_TRUE(testing::counts_unchanged(before));
}

}  // namespace
}  // namespace qelvo::skin

#endif  // _WIN32
