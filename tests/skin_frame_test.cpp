// The skinned frame in the test process: drags, resizes, cursors and double
// clicks, tracking sizes, the caption strip and its fading hover, the first
// resize after skinning, the containers' tint and repaint after a move, the
// bottom bar, the trim on deactivation, and no GDI or GDI+ object left
// behind by a thousand hovers and a hundred full renders.
#ifdef _WIN32

#include "tests/skin_test_window.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/gbk_literal.h"
#include "ui/win32/working_set_trimmer.h"

namespace qelvo::skin {
namespace {

using testing::copy_pixels;

constexpr wchar_t kFrameClass[] = L"QelvoSkinFrameTest";
// The main window's size and its two caption buttons' strip: minimize (26)
// and close (38), one pixel between them and three at the end.
constexpr int kMainWidth = 559;
constexpr int kMainHeight = 522;
constexpr int kMainStripWidth = 26 + 38 + 1 + 3;
constexpr int kFadeSteps = 8;
constexpr COLORREF kWindowFill = RGB(30, 90, 160);

struct SentMessage {
    UINT message = 0;
    WPARAM wparam = 0;
    bool operator==(const SentMessage&) const = default;
};

std::vector<SentMessage>& sent_messages() {
    static std::vector<SentMessage> sent;
    return sent;
}

// The window's own procedure, behind the skin's: it notes the drag and
// size requests the skin sends and swallows them, so that no modal move
// or size loop starts inside a test.
LRESULT CALLBACK recording_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCLBUTTONDOWN || message == WM_SYSCOMMAND) {
        sent_messages().push_back({message, wparam});
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

COLORREF pixel_at(HDC source, LONG x, LONG y) {
    return copy_pixels(source, {x, y, x + 1, y + 1}).at(0);
}

RECT layout_rect(const CaptionButton& button) {
    return RECT{static_cast<LONG>(button.layout.x), static_cast<LONG>(button.layout.y),
                static_cast<LONG>(button.layout.x + button.layout.width),
                static_cast<LONG>(button.layout.y + button.layout.height)};
}

WindowSkinOptions main_window_options() {
    WindowSkinOptions options;
    options.captionHeight = 110;
    options.resizable = 0;
    options.barHeight = 25;
    return options;
}

// A started engine; its windows go before it does.
class SkinFrameTest : public testing::SkinEngineFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing::register_test_class(kFrameClass, recording_procedure));
        ASSERT_NO_FATAL_FAILURE(start_engine());
        sent_messages().clear();
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
    }

    // A hidden popup window (its client area is the whole window) skinned
    // with the options, in place of the test's previous one; a failure when
    // it gets no record.
    void skin(const WindowSkinOptions& options, DWORD style = WS_MINIMIZEBOX,
              int width = kMainWidth, int height = kMainHeight) {
        if (window) DestroyWindow(window);
        window = testing::make_window(kFrameClass, L"skin frame",
                                      WS_POPUP | WS_CLIPCHILDREN | style, 40, 40, width, height);
        ASSERT_NE(window, nullptr);
        record = skin_window(window, options);
        windowIndex = engine.findSkinWindow(window);
        ASSERT_NE(record, nullptr);
    }
    void skin_main_window() {
        ASSERT_NO_FATAL_FAILURE(skin(main_window_options()));
        engine.setBarItem(window, 1, gbk("Qelvo文本替换 首发网站 Varnek"));
        engine.setBarStyle(window, 1, 1);
    }
    // Shown without taking the focus; the showing renders the layers.
    void show() { testing::show_skinned(window, *record); }
    LRESULT send(UINT message, int x, int y, WPARAM wparam = 0) {
        return SendMessageW(window, message, wparam, MAKELPARAM(x, y));
    }
    void tick(int times) {
        for (int i = 0; i < times; ++i) send(WM_TIMER, 0, 0, reinterpret_cast<WPARAM>(window));
    }
    // The pointer comes to rest over the button, as the system reports it.
    void point_at(int button) {
        const RECT area = layout_rect(record->captionButtons.at(button - 1));
        send(WM_MOUSEMOVE, (area.left + area.right) / 2, (area.top + area.bottom) / 2);
        send(WM_MOUSEHOVER, 0, 0);
    }
    std::vector<COLORREF> layer_pixels(int button) {
        return copy_pixels(record->backgroundLayer.dc,
                           layout_rect(record->captionButtons.at(button - 1)));
    }
    std::vector<SentMessage> press(int x, int y) {
        sent_messages().clear();
        send(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        return sent_messages();
    }

    HWND window = nullptr;
    int windowIndex = 0;
    SkinWindow* record = nullptr;
};

using SkinFrameMouse = SkinFrameTest;
using SkinFrameHover = SkinFrameTest;
using SkinFrameLayout = SkinFrameTest;
using SkinFrameSize = SkinFrameTest;
using SkinBarLayout = SkinFrameTest;
using SkinTrimmer = SkinFrameTest;
using SkinFrameObjectCounts = SkinFrameTest;

const SentMessage kDrag{WM_NCLBUTTONDOWN, HTCAPTION};

// --- Presses, cursors and double clicks --------------------------------------

TEST_F(SkinFrameMouse, FixedWindowDragsFromEveryPointOutsideTheStripAndNeverShowsSizeCursors) {
    ASSERT_NO_FATAL_FAILURE(skin_main_window());
    ASSERT_NO_FATAL_FAILURE(show());
    const int right = kMainWidth - 1, bottom = kMainHeight - 1;
    const POINT points[] = {{0, 0},        {0, 260},    {right, 260},    {279, 0},
                            {279, bottom}, {0, bottom}, {right, bottom}, {5, 5},
                            {right, 30},   {279, 60},   {279, 261},      {2, bottom - 2}};
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    for (const POINT& point : points) {
        SCOPED_TRACE(::testing::Message() << point.x << "," << point.y);
        SetCursor(arrow);
        send(WM_MOUSEMOVE, point.x, point.y);
        EXPECT_EQ(GetCursor(), arrow);
        EXPECT_EQ(press(point.x, point.y), std::vector<SentMessage>{kDrag});
    }
    // A press on a caption button is the button's, not a drag.
    const RECT minimize = layout_rect(record->captionButtons.at(0));
    EXPECT_TRUE(press(minimize.left + 13, 10).empty());
    EXPECT_EQ(engine.hotItem, 1);
}

struct ResizeZone {
    POINT point;
    WPARAM command;
    const wchar_t* cursor;
};

TEST_F(SkinFrameMouse, ResizableWindowSizesFromItsEdgesAndCornersAndDragsElsewhere) {
    WindowSkinOptions options;
    options.captionHeight = 40;
    ASSERT_NO_FATAL_FAILURE(skin(options, WS_MINIMIZEBOX, 400, 300));
    ASSERT_NO_FATAL_FAILURE(show());
    const ResizeZone zones[] = {
        {{0, 50}, 0xF001, IDC_SIZEWE},    {{399, 50}, 0xF002, IDC_SIZEWE},
        {{200, 0}, 0xF003, IDC_SIZENS},   {{200, 299}, 0xF006, IDC_SIZENS},
        {{5, 5}, 0xF004, IDC_SIZENWSE},   {{398, 2}, 0xF005, IDC_SIZENESW},
        {{5, 295}, 0xF007, IDC_SIZENESW}, {{399, 299}, 0xF008, IDC_SIZENWSE},
    };
    for (const ResizeZone& zone : zones) {
        SCOPED_TRACE(::testing::Message() << zone.point.x << "," << zone.point.y);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        send(WM_MOUSEMOVE, zone.point.x, zone.point.y);
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, zone.cursor));
        record->needsFullRender = 0;
        EXPECT_EQ(press(zone.point.x, zone.point.y),
                  (std::vector<SentMessage>{{WM_SYSCOMMAND, zone.command}}));
        EXPECT_EQ(record->needsFullRender, 1);
    }
    EXPECT_EQ(press(200, 150), std::vector<SentMessage>{kDrag});
}

TEST_F(SkinFrameMouse, DoubleClickInTheCaptionMaximizesOnlyAResizableWindow) {
    WindowSkinOptions options = main_window_options();
    ASSERT_NO_FATAL_FAILURE(skin(options, WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    ASSERT_EQ(engine.maximizeButtonNumber(windowIndex), 2);
    sent_messages().clear();
    send(WM_LBUTTONDBLCLK, 100, 50, MK_LBUTTON);
    EXPECT_TRUE(sent_messages().empty());
    EXPECT_EQ(record->maximized, 0);

    // The same window made resizable takes the double click as maximize.
    record->resizable = 1;
    send(WM_LBUTTONDBLCLK, 100, 50, MK_LBUTTON);
    EXPECT_EQ(sent_messages(), (std::vector<SentMessage>{{WM_SYSCOMMAND, SC_MAXIMIZE}}));
    EXPECT_EQ(record->maximized, 1);
    record->maximized = 0;
}

TEST_F(SkinFrameMouse, TrackingSizesKeepAMaximizedWindowOffTheTaskBar) {
    ASSERT_NO_FATAL_FAILURE(skin_main_window());
    RECT taskBar{};
    if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) GetWindowRect(tray, &taskBar);
    record->maximized = 1;
    MINMAXINFO sizes{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&sizes));
    record->maximized = 0;
    EXPECT_EQ(sizes.ptMinTrackSize.x, 200);
    EXPECT_EQ(sizes.ptMinTrackSize.y, 150);
    EXPECT_EQ(sizes.ptMaxTrackSize.x, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(sizes.ptMaxTrackSize.y,
              GetSystemMetrics(SM_CYSCREEN) - (taskBar.bottom - taskBar.top));
}

// --- The caption buttons ------------------------------------------------------

TEST_F(SkinFrameLayout, CloseButtonIsDrawnFortyWideInThirtyEightReservedBeyondTheRegion) {
    ASSERT_NO_FATAL_FAILURE(skin_main_window());
    ASSERT_EQ(record->captionButtons.size(), 2u);
    const CaptionButton& minimize = record->captionButtons[0];
    const CaptionButton& close = record->captionButtons[1];
    ASSERT_EQ(close.kind, CaptionButtonKind::close);
    EXPECT_EQ(close.width, 38);
    EXPECT_EQ(record->stripWidth, kMainStripWidth);
    const int stripX = kMainWidth - kMainStripWidth + 1;
    EXPECT_EQ(record->stripX, stripX);
    EXPECT_EQ(minimize.layout.x, stripX + 2);
    EXPECT_EQ(minimize.layout.width, 26);
    EXPECT_EQ(minimize.layout.height, 18);
    EXPECT_EQ(close.layout.x, stripX + 2 + 27);
    EXPECT_EQ(close.layout.width, 40);
    EXPECT_GT(close.layout.x + close.layout.width, kMainWidth);
    EXPECT_EQ(engine.hitCaptionButton(windowIndex, stripX + 2 + 13, 10), 1);
    EXPECT_EQ(engine.hitCaptionButton(windowIndex, stripX + 2 + 27 + 18, 10), 2);
    EXPECT_EQ(engine.hitCaptionButton(windowIndex, 100, 10), 0);
}

TEST_F(SkinFrameHover, HighlightFadesInOverEightTicksAndOutOverEightMore) {
    ASSERT_NO_FATAL_FAILURE(skin_main_window());
    ASSERT_NO_FATAL_FAILURE(show());
    const std::vector<COLORREF> normal = layer_pixels(1);
    ASSERT_FALSE(normal.empty());

    point_at(1);
    EXPECT_EQ(record->hotButton, 1);
    tick(kFadeSteps);
    EXPECT_EQ(record->fadeIn.button, 1);
    EXPECT_EQ(record->fadeIn.step, kFadeSteps);
    EXPECT_EQ(record->animating, 1);
    EXPECT_TRUE(layer_pixels(1) != normal) << "the hovered button looks as it does at rest";

    send(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(record->hotButton, 0);
    tick(kFadeSteps - 1);
    EXPECT_EQ(record->fadeOut.button, 1);
    EXPECT_EQ(record->fadeOut.step, kFadeSteps - 1);
    EXPECT_EQ(record->animating, 1);
    tick(1);
    EXPECT_EQ(record->animating, 0);
    EXPECT_EQ(record->hotButton, 0);
    EXPECT_EQ(record->fadeIn.button + record->fadeOut.button + record->fadeOut.step, 0);
    EXPECT_FALSE(KillTimer(window, reinterpret_cast<UINT_PTR>(window))) << "the timer still runs";
    EXPECT_TRUE(layer_pixels(1) == normal) << "the faded-out button differs from the one at rest";
}

// --- Size changes -------------------------------------------------------------

TEST_F(SkinFrameSize, FirstResizeAfterSkinningRendersNothingTheNextOnesDo) {
    engine.settings.firstSize = 1;
    ASSERT_NO_FATAL_FAILURE(skin_main_window());
    ASSERT_EQ(record->needsFullRender, 1);
    record->hotButton = 1;
    send(WM_SIZE, kMainWidth, kMainHeight, SIZE_RESTORED);
    EXPECT_EQ(record->needsFullRender, 0);
    EXPECT_EQ(engine.settings.firstSize, 0);
    EXPECT_EQ(record->hotButton, 0);
    send(WM_SIZE, kMainWidth, kMainHeight, SIZE_RESTORED);
    EXPECT_EQ(record->needsFullRender, 1);
}

// --- Containers ---------------------------------------------------------------

class SkinPanelTest : public SkinFrameTest {
  protected:
    // A group box without a caption on a window filled with one colour,
    // registered as the program registers its panels and then given the
    // alpha.
    void make_panel(int alpha) {
        engine.setBackground({}, {}, kWindowFill);
        ASSERT_NO_FATAL_FAILURE(skin(main_window_options(), WS_MINIMIZEBOX, 400, 300));
        box = testing::make_child(window, L"Button", BS_GROUPBOX, kBoxX, kBoxY, 200, 120);
        ASSERT_NE(box, nullptr);
        engine.skinPanel(box, 1, GetSysColor(COLOR_BTNFACE), 0);
        engine.setPanelAlpha(box, alpha);
        ASSERT_NE(engine.findPanel(windowIndex, box), 0);
        ASSERT_NO_FATAL_FAILURE(show());
        UpdateWindow(box);
    }
    // Points well inside the frame, in the box's coordinates.
    static constexpr POINT kInside[] = {{20, 30}, {100, 60}, {180, 100}, {60, 95}};
    static constexpr int kBoxX = 40, kBoxY = 130;

    // What the container shows on the screen.
    COLORREF box_pixel(POINT point) { return testing::window_pixel(box, point.x, point.y); }
    COLORREF layer_pixel(POINT point) {
        return pixel_at(record->backgroundLayer.dc, kBoxX + point.x, kBoxY + point.y);
    }

    HWND box = nullptr;
};

using SkinPanelPaint = SkinPanelTest;
using SkinPanelMove = SkinPanelTest;

// Within two steps of the background blended toward the tint at 110/255.
void expect_tinted(COLORREF pixel, COLORREF background, COLORREF tint) {
    const auto blend = [](int under, int over) { return under + (over - under) * 110 / 255; };
    EXPECT_NEAR(GetRValue(pixel), blend(GetRValue(background), GetRValue(tint)), 2);
    EXPECT_NEAR(GetGValue(pixel), blend(GetGValue(background), GetGValue(tint)), 2);
    EXPECT_NEAR(GetBValue(pixel), blend(GetBValue(background), GetBValue(tint)), 2);
}

TEST_F(SkinPanelPaint, ClearGroupBoxShowsTheWindowBackgroundUnchanged) {
    ASSERT_NO_FATAL_FAILURE(make_panel(0));
    for (const POINT& point : kInside) {
        SCOPED_TRACE(::testing::Message() << point.x << "," << point.y);
        EXPECT_EQ(box_pixel(point), layer_pixel(point));
    }
}

TEST_F(SkinPanelPaint, TintedGroupBoxBlendsTheFaceColourOverTheBackground) {
    ASSERT_NO_FATAL_FAILURE(make_panel(110));
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (const POINT& point : kInside) {
        SCOPED_TRACE(::testing::Message() << point.x << "," << point.y);
        const COLORREF background = layer_pixel(point);
        const COLORREF pixel = box_pixel(point);
        EXPECT_NE(pixel, background);
        expect_tinted(pixel, background, face);
    }
}

// Moved without a redraw of its own, so that any update region is the one
// the container asks for.
TEST_F(SkinPanelMove, OnlyATranslucentContainerIsRepaintedAfterAMove) {
    for (const int alpha : {255, 110}) {
        SCOPED_TRACE(::testing::Message() << "alpha " << alpha);
        ASSERT_NO_FATAL_FAILURE(make_panel(alpha));
        UpdateWindow(box);
        ASSERT_FALSE(GetUpdateRect(box, nullptr, FALSE)) << "an update region before the move";
        SetWindowPos(box, nullptr, 60, 140, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        EXPECT_EQ(GetUpdateRect(box, nullptr, FALSE) != FALSE, alpha != 255);
    }
}

// --- The bottom bar -----------------------------------------------------------

TEST_F(SkinBarLayout, AWidthOfMinusOneTakesWhatTheItemsBeforeItLeave) {
    WindowSkinOptions options = main_window_options();
    options.barItems =
        std::vector<BarItem>{BarItem{100, "left", {}, 0}, BarItem{-1, "rest", {}, 0}};
    ASSERT_NO_FATAL_FAILURE(skin(options, WS_MINIMIZEBOX, 500, 400));
    RECT client{};
    GetClientRect(window, &client);
    ASSERT_EQ(client.right, 500);
    EXPECT_EQ(record->barRect.x, 3);
    EXPECT_EQ(record->barRect.y, 400 - 3 - 25 - 1);
    EXPECT_EQ(record->barRect.width, 494);
    ASSERT_EQ(record->barItemRects.size(), 2u);
    EXPECT_EQ(record->barItemRects[0].x, 3);
    EXPECT_EQ(record->barItemRects[0].width, 100);
    EXPECT_EQ(record->barItemRects[1].x, 103);
    EXPECT_EQ(record->barItemRects[1].width, 394);
    EXPECT_EQ(record->barItemRects[1].y, record->barRect.y);
}

class SkinBarText : public SkinFrameTest {
  protected:
    static constexpr COLORREF kBase = 0x00C8D0D4;
    static constexpr COLORREF kComplement = 0x00372F2B;
    static constexpr COLORREF kOwnColour = RGB(200, 0, 0);

    // A tall bar with thick upright letters, so that some pixels lie wholly
    // inside a stroke and show the text colour itself; the bar's pixels.
    std::vector<COLORREF> bar_pixels(int textMode) {
        engine.setBackground({}, {}, kBase);
        WindowSkinOptions options = main_window_options();
        options.barHeight = 50;
        options.barItems =
            std::vector<BarItem>{BarItem{-1, "IIIHHH", {}, static_cast<int>(kOwnColour)}};
        skin(options, WS_MINIMIZEBOX, 400, 200);
        if (HasFatalFailure()) return {};
        engine.setBarStyle(window, textMode, 0, 0, 0xFFFFFF, "Tahoma", 24);
        show();
        if (HasFatalFailure()) return {};
        const IntRect& item = record->barItemRects.at(0);
        return copy_pixels(record->backgroundLayer.dc,
                           RECT{item.x, item.y, item.x + item.width, item.y + item.height});
    }
};

TEST_F(SkinBarText, TextModeOneWritesTheComplementOfTheBaseColourAndZeroTheItemsOwn) {
    const std::pair<int, COLORREF> modes[] = {{1, kComplement}, {0, kOwnColour}};
    for (const auto& [textMode, colour] : modes) {
        SCOPED_TRACE(::testing::Message() << "text mode " << textMode);
        const std::vector<COLORREF> pixels = bar_pixels(textMode);
        ASSERT_FALSE(pixels.empty());
        EXPECT_GT(std::ranges::count(pixels, colour), 0);
        EXPECT_EQ(std::ranges::count(pixels, colour == kOwnColour ? kComplement : kOwnColour), 0);
    }
}

// --- Deactivation ---------------------------------------------------------------

TEST_F(SkinTrimmer, SwitchingAwayTrimsOnceAndComingBackTrimsNothing) {
    ASSERT_NO_FATAL_FAILURE(skin_main_window());
    const long before = ui::working_set_trims_started();
    SendMessageW(window, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(ui::working_set_trims_started(), before + 1);
    SendMessageW(window, WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_EQ(ui::working_set_trims_started(), before + 1);
}

// --- Nothing left behind ----------------------------------------------------------

TEST_F(SkinFrameObjectCounts, ThousandHoversAndHundredFullRendersLeaveNothingBehind) {
    ASSERT_NO_FATAL_FAILURE(skin_main_window());
    ASSERT_NO_FATAL_FAILURE(show());
    const testing::ObjectCounts before;
    for (int i = 0; i < 1000; ++i) {
        point_at(1 + i % 2);
        tick(kFadeSteps);
        send(WM_MOUSELEAVE, 0, 0);
        tick(kFadeSteps);
    }
    EXPECT_EQ(record->animating, 0);
    for (int i = 0; i < 100; ++i) {
        record->needsFullRender = 1;
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
    }
    EXPECT_EQ(record->needsFullRender, 0) << "the renders did not run";
    EXPECT_TRUE(testing::counts_unchanged(before));
}

}  // namespace
}  // namespace qelvo::skin

#endif  // _WIN32
