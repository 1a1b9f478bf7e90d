// The skin's foundations: what a skinned window's record takes from its
// style, containers registered once, the renumbering when a window goes,
// which buttons become owner-drawn, the colour conversions, the rounded
// figure, a control's client rectangle, the faded picture, the memory-DC
// registry, and that composing, veiling and repainting a thousand times
// leaves no GDI or GDI+ object behind.
#ifdef _WIN32

#include "tests/skin_test_window.h"

#include <commctrl.h>

#include <array>
#include <cstdint>
#include <vector>

#include "gdiplus/brushes.h"
#include "gdiplus/encoders.h"
#include "gdiplus/graphics.h"
#include "gdiplus/image.h"
#include "gdiplus/path.h"
#include "gdiplus/status.h"
#include "skin/colour.h"
#include "skin/composition.h"
#include "skin/gdi_holders.h"
#include "skin/geometry.h"
#include "skin/image_tools.h"
#include "skin/shapes.h"

namespace qelvo::skin {
namespace {

using testing::class_procedure;
using testing::current_procedure;
using testing::prop;

constexpr wchar_t kTestClass[] = L"QelvoSkinFoundationTest";
constexpr COLORREF kPanelFill = 0x3264C8;
constexpr Gdiplus::ARGB kOpaqueBlue = 0xFF0000FF;
constexpr COLORREF kFadeRed = 0x0000FF;
constexpr int kRepetitions = 1000;

HWND make_child(HWND parent, const wchar_t* className, DWORD style, RECT place,
                DWORD extendedStyle = 0) {
    return testing::make_child(parent, className, style, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, extendedStyle);
}

LONG_PTR style_of(HWND window) { return GetWindowLongPtrW(window, GWL_STYLE); }

std::array<LONG, 4> corners(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// The engine started as the program starts it; every window a test makes
// goes before the engine does.
class SkinFixture : public testing::SkinEngineFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing::register_test_class(kTestClass, DefWindowProcW,
                                                 ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES));
        ASSERT_NO_FATAL_FAILURE(start_engine());
    }
    void TearDown() override {
        for (HWND window : windows) {
            if (IsWindow(window)) DestroyWindow(window);
        }
    }

    HWND top(DWORD style = WS_POPUP) {
        HWND window = testing::make_window(kTestClass, L"skin foundation", style, 0, 0, 400, 300);
        EXPECT_NE(window, nullptr);
        windows.push_back(window);
        return window;
    }
    // Null (and a failure) when the window did not get a record.
    const SkinWindow* skin(HWND window, int captionHeight = 25) {
        WindowSkinOptions options;
        options.captionHeight = captionHeight;
        const SkinWindow* record = skin_window(window, options);
        EXPECT_NE(record, nullptr);
        return record;
    }
    // A skinned window holding a group box registered with an opaque fill,
    // with a push button and a label inside it.
    void make_panel_window() {
        HWND window = top();
        box = make_child(window, L"Button", BS_GROUPBOX, {10, 40, 310, 240});
        boxButton = make_child(box, L"Button", BS_PUSHBUTTON, {20, 30, 100, 54});
        boxLabel = make_child(box, L"Static", 0, {20, 70, 140, 90});
        ASSERT_TRUE(box && boxButton && boxLabel);
        ASSERT_NE(skin(window), nullptr);
        engine.skinPanel(box, 1, kPanelFill, 255);
        ASSERT_EQ(engine.findPanel(1, box), 1);
    }

    std::vector<HWND> windows;
    HWND box = nullptr, boxButton = nullptr, boxLabel = nullptr;
};

class SkinWindowRecord : public SkinFixture {};
class SkinPanels : public SkinFixture {};
class SkinPushButtons : public SkinFixture {};
class SkinPrimitives : public SkinFixture {};
class SkinComposition : public SkinFixture {};
class SkinObjectCounts : public SkinFixture {};

std::vector<CaptionButtonKind> kinds_of(const SkinWindow& record) {
    std::vector<CaptionButtonKind> kinds;
    for (const CaptionButton& button : record.captionButtons) kinds.push_back(button.kind);
    return kinds;
}

// --- The window record ------------------------------------------------------

TEST_F(SkinWindowRecord, CaptionBandIsNeverLowerThan25) {
    const std::array<std::array<int, 2>, 4> asked_and_given{
        {{10, 25}, {24, 25}, {25, 25}, {110, 110}}};
    for (const auto& [asked, given] : asked_and_given) {
        const SkinWindow* record = skin(top(), asked);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->captionHeight, given) << "asked for " << asked;
    }
}

TEST_F(SkinWindowRecord, WithoutMinimizeAndMaximizeBoxesOnlyCloseIsMade) {
    HWND window = top(WS_POPUP);
    const LONG_PTR before = style_of(window);
    ASSERT_EQ(before & WS_SYSMENU, 0);
    const SkinWindow* record = skin(window);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->minimizeButton, 0);
    EXPECT_EQ(record->maximizeButton, 0);
    EXPECT_EQ(record->closeButton, 1);
    EXPECT_EQ(kinds_of(*record), std::vector{CaptionButtonKind::close});
    EXPECT_EQ(record->captionButtons.at(0).width, 38);
    EXPECT_EQ(record->stripWidth, 38 + 0 + 3);
    // The system menu is added and nothing else changes.
    EXPECT_EQ(style_of(window), before | WS_SYSMENU);
}

TEST_F(SkinWindowRecord, BothBoxesGiveMinimizeMaximizeAndCloseWithOneToolEach) {
    const SkinWindow* record = skin(top(WS_POPUP | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->minimizeButton, 1);
    EXPECT_EQ(record->maximizeButton, 1);
    EXPECT_EQ(kinds_of(*record),
              (std::vector{CaptionButtonKind::minimize, CaptionButtonKind::maximize,
                           CaptionButtonKind::close}));
    EXPECT_EQ(record->stripWidth, 26 + 26 + 38 + 2 + 3);
    EXPECT_FALSE(record->captionButtons.at(1).secondImage.empty()) << "no restore image";
    ASSERT_NE(record->tooltip, nullptr);
    EXPECT_EQ(GetWindow(record->tooltip, GW_OWNER), record->hwnd);
    EXPECT_EQ(SendMessageW(record->tooltip, TTM_GETTOOLCOUNT, 0, 0), 3);
}

TEST_F(SkinWindowRecord, DestroyingTheFirstWindowRenumbersTheSecondAndItsControls) {
    HWND first = top();
    HWND second = top();
    HWND button = make_child(second, L"Button", BS_PUSHBUTTON, {10, 10, 90, 30});
    HWND group = make_child(second, L"Button", BS_GROUPBOX, {10, 40, 200, 200});
    HWND edit = make_child(group, L"Edit", WS_BORDER, {10, 20, 150, 44});
    ASSERT_TRUE(button && group && edit);
    skin(first);
    skin(second);
    engine.skinPanel(group);
    ASSERT_EQ(prop(second, L"Hw_lbID"), 2);
    for (HWND control : {button, group, edit}) ASSERT_EQ(prop(control, L"Hw_FuID"), 2);

    DestroyWindow(first);
    EXPECT_EQ(engine.windowCount(), 1u);
    EXPECT_EQ(engine.findSkinWindow(second), 1);
    EXPECT_EQ(prop(second, L"Hw_lbID"), 1);
    for (HWND control : {button, group, edit}) EXPECT_EQ(prop(control, L"Hw_FuID"), 1);
    EXPECT_EQ(prop(button, L"Hw_lbID"), 1) << "a control index changed";
    // The button's procedure still finds its record through the new index.
    SetWindowTextW(button, L"renamed");
    ASSERT_EQ(engine.window(1)->buttonSkins.size(), 1u);
    EXPECT_EQ(engine.window(1)->buttonSkins[0].caption, "renamed");
}

// --- Containers and push buttons --------------------------------------------

TEST_F(SkinPanels, RegisteringTwiceKeepsOneRecordAndOneSubclass) {
    ASSERT_NO_FATAL_FAILURE(make_panel_window());
    engine.skinPanel(box, 1, kPanelFill, 255);
    const SkinWindow& record = *engine.window(1);
    ASSERT_EQ(record.panelSkins.size(), 1u);
    EXPECT_EQ(record.panelSkins[0].isGroupBox, 1);
    EXPECT_EQ(prop(box, L"Hw_lbID"), 1);
    EXPECT_EQ(prop(box, L"Hw_FuID"), 1);
    EXPECT_EQ(current_procedure(box), panelProc);
    // A second subclass would have kept the panel procedure as the old one.
    EXPECT_EQ(reinterpret_cast<WNDPROC>(prop(box, L"Hw_hProc")), class_procedure(box));
    EXPECT_EQ(record.buttonSkins.size(), 1u) << "the button inside was taken twice";
}

TEST_F(SkinPushButtons, OwnerDrawnButtonsAreLeftAloneAndPlainOnesBecomeOwnerDrawn) {
    HWND window = top();
    HWND plain = make_child(window, L"Button", BS_PUSHBUTTON | WS_TABSTOP, {10, 10, 90, 30});
    HWND preset = make_child(window, L"Button", BS_DEFPUSHBUTTON, {10, 40, 90, 60});
    HWND drawn = make_child(window, L"Button", BS_OWNERDRAW, {10, 70, 90, 90});
    HWND group = make_child(window, L"Button", BS_GROUPBOX, {100, 10, 300, 200});
    ASSERT_TRUE(plain && preset && drawn && group);
    const LONG_PTR plainBefore = style_of(plain);
    const LONG_PTR drawnBefore = style_of(drawn);
    ASSERT_NE(skin(window), nullptr);

    EXPECT_EQ(style_of(plain), plainBefore | BS_OWNERDRAW);
    EXPECT_EQ(style_of(preset) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(style_of(drawn), drawnBefore);
    EXPECT_EQ(prop(drawn, L"Hw_lbID"), 0);
    EXPECT_EQ(current_procedure(drawn), class_procedure(drawn));
    EXPECT_EQ(style_of(group) & BS_TYPEMASK, BS_GROUPBOX);
    EXPECT_EQ(prop(group, L"Hw_lbID"), 0) << "containers are named, not found";
}

// --- Colours, shapes, geometry and images ------------------------------------

TEST_F(SkinPrimitives, ColourConversionsExchangeRedAndBlue) {
    EXPECT_EQ(toArgb(0x00332211, 0x80), 0x80112233u);
    EXPECT_EQ(toArgb(0x00332211), 0xFF112233u);
    EXPECT_EQ(toArgb(0x0000FF), 0xFFFF0000u);
    EXPECT_EQ(toArgb(0xFFFFFF, 0), 0x00FFFFFFu);
    EXPECT_EQ(toArgb(0xAB332211), 0xFF112233u) << "the COLORREF's top byte is not an alpha";
    std::uint8_t alpha = 0;
    EXPECT_EQ(toColorref(0x80112233, alpha), 0x00332211u);
    EXPECT_EQ(alpha, 0x80);
    for (const COLORREF colour : {0x000000u, 0x0000FFu, 0x00FF00u, 0xFF0000u, 0x123456u}) {
        for (const std::uint8_t given : {0, 1, 127, 255}) {
            EXPECT_EQ(toColorref(toArgb(colour, given), alpha), colour);
            EXPECT_EQ(alpha, given);
        }
    }
}

// The pixels of a canvas with the rounded figure of the diameter filled.
std::vector<Gdiplus::ARGB> filled_round_rect(float diameter) {
    constexpr int kSide = 128;
    std::vector<Gdiplus::ARGB> pixels;
    gdiplus::Bitmap canvas;
    if (!canvas.CreateBitmapFromScan0(kSide, kSide)) return pixels;
    {
        gdiplus::Graphics graphics;
        gdiplus::SolidBrush black;
        gdiplus::Path path;
        if (!graphics.GetImageGraphicsContext(canvas) || !black.CreateSolidFill(0xFF000000) ||
            !path.CreatePath()) {
            return pixels;
        }
        graphics.GraphicsClear(0xFFFFFFFF);
        addRoundRect(path, 4, 4, 120, 120, diameter);
        graphics.FillPath(black, path);
    }
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) pixels.push_back(canvas.BitmapGetPixel(x, y));
    }
    return pixels;
}

TEST_F(SkinPrimitives, RoundRectDiameterIsHeldBetween1And100) {
    const std::vector<Gdiplus::ARGB> smallest = filled_round_rect(1);
    const std::vector<Gdiplus::ARGB> largest = filled_round_rect(100);
    ASSERT_FALSE(smallest.empty());
    EXPECT_TRUE(filled_round_rect(0) == smallest) << "0 is not drawn as 1";
    EXPECT_TRUE(filled_round_rect(250) == largest) << "250 is not drawn as 100";
    EXPECT_TRUE(filled_round_rect(500) == largest) << "500 is not drawn as 100";
    // Diameters within the range are drawn as given.
    EXPECT_FALSE(filled_round_rect(60) == largest);
    EXPECT_FALSE(smallest == largest);
}

TEST_F(SkinPrimitives, ControlClientRectLeavesTheBorderAroundTheClientArea) {
    HWND window = top();
    const auto client_rect_of = [&](DWORD style, DWORD extendedStyle) {
        HWND control = make_child(window, kTestClass, style, {0, 0, 100, 80}, extendedStyle);
        RECT client{};
        GetClientRect(control, &client);
        return std::array{controlClientRect(control), client};
    };
    EXPECT_EQ(corners(client_rect_of(0, 0)[0]), (std::array<LONG, 4>{0, 0, 100, 80}));
    EXPECT_EQ(corners(client_rect_of(WS_BORDER, 0)[0]), (std::array<LONG, 4>{1, 1, 99, 79}));
    EXPECT_EQ(corners(client_rect_of(0, WS_EX_CLIENTEDGE)[0]), (std::array<LONG, 4>{2, 2, 98, 78}));
    // Windows' 17-pixel scroll bar and Wine's 16-pixel one both leave a
    // border that rounds to 2 against the assumed 17.
    const auto [vertical, verticalClient] = client_rect_of(WS_VSCROLL, WS_EX_CLIENTEDGE);
    EXPECT_EQ(corners(vertical), (std::array<LONG, 4>{2, 2, 2 + verticalClient.right, 78}));
    const auto [horizontal, horizontalClient] = client_rect_of(WS_HSCROLL, WS_EX_CLIENTEDGE);
    EXPECT_EQ(corners(horizontal), (std::array<LONG, 4>{2, 2, 98, 2 + horizontalClient.bottom}));
}

std::vector<std::uint8_t> solid_png(int width, int height, Gdiplus::ARGB colour) {
    gdiplus::Bitmap bitmap;
    if (!bitmap.CreateBitmapFromScan0(width, height)) return {};
    {
        gdiplus::Graphics graphics;
        if (!graphics.GetImageGraphicsContext(bitmap)) return {};
        graphics.GraphicsClear(colour);
    }
    return bitmap.SaveToBytes(gdiplus::kPngFormat);
}

int red(Gdiplus::ARGB pixel) { return static_cast<int>((pixel >> 16) & 0xFF); }
int blue(Gdiplus::ARGB pixel) { return static_cast<int>(pixel & 0xFF); }

TEST_F(SkinPrimitives, FadeTouchesOnlyABandOf30PercentOfTheWidth) {
    const std::vector<std::uint8_t> source = solid_png(510, 8, kOpaqueBlue);
    ASSERT_FALSE(source.empty());
    gdiplus::Bitmap fromColour;
    ASSERT_TRUE(fromColour.CreateFromBytes(fadeImage({}, source, 0, kFadeRed, 1)));
    EXPECT_EQ(fromColour.GetImageWidth(), 510u);
    EXPECT_EQ(fromColour.GetImageHeight(), 8u);
    // 153 columns: the band starts at 357 in the colour and fades out.
    EXPECT_EQ(fromColour.BitmapGetPixel(356, 4), kOpaqueBlue);
    EXPECT_GT(red(fromColour.BitmapGetPixel(357, 4)), 0xC0);
    EXPECT_LT(blue(fromColour.BitmapGetPixel(357, 4)), 0x40);
    EXPECT_GT(blue(fromColour.BitmapGetPixel(509, 4)), 0xC0);

    const std::vector<std::uint8_t> notAnImage = {1, 2, 3, 4};
    EXPECT_TRUE(fadeImage({}, notAnImage, 0, kFadeRed, 1).empty());
}

// --- Composition and the memory-DC registry ----------------------------------

TEST_F(SkinComposition, BackgroundDcHasTheControlsSizeAndTheContainersFill) {
    ASSERT_NO_FATAL_FAILURE(make_panel_window());
    const std::size_t registered = engine.memoryDcs.size();
    const long live = gdi_count::live();
    RECT area{};
    HDC dc = composeBackground(engine, boxButton, area);
    ASSERT_NE(dc, nullptr);
    EXPECT_TRUE(engine.memoryDcs.contains(dc));
    EXPECT_EQ(corners(area), corners(rectInRoot(boxButton)));
    BITMAP bitmap{};
    GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 80);
    EXPECT_EQ(bitmap.bmHeight, 24);
    EXPECT_EQ(bitmap.bmBitsPixel, 32);
    EXPECT_EQ(GetPixel(dc, 40, 12), kPanelFill);

    releaseMemoryDc(engine, dc);
    EXPECT_FALSE(engine.memoryDcs.contains(dc));
    EXPECT_EQ(GetObjectType(dc), 0u) << "the DC was not deleted";
    releaseMemoryDc(engine, dc);
    EXPECT_EQ(engine.memoryDcs.size(), registered);
    EXPECT_EQ(gdi_count::live(), live);
}

TEST_F(SkinComposition, ReleasingADcOutsideTheRegistryDoesNothing) {
    const MemoryDc own(nullptr, 4, 4);
    ASSERT_TRUE(own && own.bitmap());
    const std::size_t registered = engine.memoryDcs.size();
    const long live = gdi_count::live();
    releaseMemoryDc(engine, own.dc());
    releaseMemoryDc(engine, nullptr);
    EXPECT_EQ(GetObjectType(own.dc()), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(GetCurrentObject(own.dc(), OBJ_BITMAP), own.bitmap());
    SetPixel(own.dc(), 1, 1, RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(own.dc(), 1, 1), RGB(1, 2, 3));
    EXPECT_EQ(engine.memoryDcs.size(), registered);
    EXPECT_EQ(gdi_count::live(), live);
}

// --- Nothing left behind -------------------------------------------------------

TEST_F(SkinObjectCounts, ThousandCompositionsAndStaticBrushesLeaveNothingBehind) {
    ASSERT_NO_FATAL_FAILURE(make_panel_window());
    const testing::ObjectCounts before(engine);
    for (int i = 0; i < kRepetitions; ++i) {
        RECT area{};
        HDC dc = composeBackground(engine, boxButton, area);
        ASSERT_NE(dc, nullptr) << "composition " << i;
        releaseMemoryDc(engine, dc);
    }
    EXPECT_TRUE(testing::counts_unchanged(before)) << "after the compositions";
    for (int i = 0; i < kRepetitions; ++i) {
        HBITMAP bitmap = staticBrushBitmap(engine, boxLabel);
        ASSERT_NE(bitmap, nullptr) << "brush bitmap " << i;
        gdi_count::destroy(bitmap);
    }
    EXPECT_TRUE(testing::counts_unchanged(before)) << "after the static brushes";
}

TEST_F(SkinObjectCounts, ThousandRepaintsOfAnOwnerDrawnButtonLeaveNothingBehind) {
    HWND window = top();
    HWND button = make_child(window, L"Button", BS_PUSHBUTTON, {10, 40, 110, 70});
    ASSERT_NE(button, nullptr);
    ASSERT_NE(skin(window), nullptr);
    ASSERT_EQ(style_of(button) & BS_TYPEMASK, BS_OWNERDRAW);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    // The first paint of the window and its children may build what later
    // paints reuse.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const testing::ObjectCounts before(engine);
    for (int i = 0; i < kRepetitions; ++i) {
        InvalidateRect(button, nullptr, TRUE);
        UpdateWindow(button);
        ASSERT_FALSE(GetUpdateRect(button, nullptr, FALSE)) << "repaint " << i << " not done";
    }
    EXPECT_TRUE(testing::counts_unchanged(before));
}

}  // namespace
}  // namespace qelvo::skin

#endif  // _WIN32
