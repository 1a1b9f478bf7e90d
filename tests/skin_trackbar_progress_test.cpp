// Skinned trackbars and progress bars on screen: the dot and the accent line
// of a trackbar at its maximum, the strip and selection line with and
// without a selection range, the backdrop that follows the style flag, the
// thumb that lights once while the mouse is over it, progress bars at low,
// middle and high in both directions, and no GDI or GDI+ object left behind
// by a thousand repaints of each.
#ifdef _WIN32

#include "tests/skin_test_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace qelvo::skin {
namespace {

using testing::capture;
using testing::Capture;

constexpr wchar_t kTestClass[] = L"QelvoSkinTrackbarProgressTest";
constexpr COLORREF kBase = RGB(128, 128, 128);
// Pure red on a grey window: whatever is reddish is the accent.
constexpr COLORREF kAccent = RGB(255, 0, 0);

int brightness(COLORREF colour) {
    return (GetRValue(colour) + GetGValue(colour) + GetBValue(colour)) / 3;
}

bool is_accent(COLORREF colour) { return GetRValue(colour) - GetBValue(colour) > 50; }

RECT trackbar_rect(HWND trackbar, UINT message) {
    RECT rect{};
    SendMessageW(trackbar, message, 0, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void repaint(HWND control) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
}

// A skinned popup on a grey background with two horizontal trackbars (the
// second with a selection range) and a horizontal and a vertical progress
// bar, all ranging 0..100.
class SkinTrackbarProgressTest : public testing::SkinEngineFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing::register_test_class(kTestClass, DefWindowProcW, ICC_WIN95_CLASSES));
        ASSERT_NO_FATAL_FAILURE(start_engine());
        engine.setBackground({}, {}, kBase, static_cast<long long>(kAccent));
        window = testing::make_window(kTestClass, L"skin trackbar", WS_POPUP | WS_CLIPCHILDREN, 40,
                                      40, 400, 320);
        ASSERT_NE(window, nullptr);
        trackbar = child(TRACKBAR_CLASSW, TBS_AUTOTICKS, 20, 60, 200, 30);
        selectionTrackbar = child(TRACKBAR_CLASSW, TBS_ENABLESELRANGE, 20, 100, 200, 40);
        bar = child(PROGRESS_CLASSW, 0, 20, 160, 200, 20);
        verticalBar = child(PROGRESS_CLASSW, PBS_VERTICAL, 300, 60, 20, 200);
        for (HWND control : {trackbar, selectionTrackbar, bar, verticalBar}) {
            ASSERT_NE(control, nullptr);
        }
        for (HWND track : {trackbar, selectionTrackbar}) {
            SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
        }
        for (HWND progress : {bar, verticalBar}) SendMessageW(progress, PBM_SETRANGE32, 0, 100);
        record = skin_window(window);
        ASSERT_NE(record, nullptr);
        ASSERT_EQ(record->trackbarSkins.size(), 2u);
        ASSERT_EQ(record->progressSkins.size(), 2u);
        testing::show_skinned(window, *record);
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
    }

    HWND child(const wchar_t* className, DWORD style, int x, int y, int width, int height) {
        return testing::make_child(window, className, style, x, y, width, height);
    }
    void set_trackbar(HWND track, int position) {
        SendMessageW(track, TBM_SETPOS, TRUE, position);
        repaint(track);
    }
    void set_progress(HWND progress, int position) {
        SendMessageW(progress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        repaint(progress);
    }

    HWND window = nullptr, trackbar = nullptr, selectionTrackbar = nullptr;
    HWND bar = nullptr, verticalBar = nullptr;
    SkinWindow* record = nullptr;
};

using SkinTrackbarPaint = SkinTrackbarProgressTest;
using SkinTrackbarHover = SkinTrackbarProgressTest;
using SkinProgressPaint = SkinTrackbarProgressTest;
using SkinTrackbarProgressObjects = SkinTrackbarProgressTest;

// --- Trackbars ----------------------------------------------------------------

// The strip of a trackbar without a selection range is its channel; the
// accent line runs along its second row, and the dot covers its third.
TEST_F(SkinTrackbarPaint, AtItsMaximumTheDotMovesEightOnAndTheAccentLineTenFurther) {
    const RECT channel = trackbar_rect(trackbar, TBM_GETCHANNELRECT);
    const int line = channel.top + 1, dotRow = channel.top + 2;

    set_trackbar(trackbar, 50);
    RECT thumb = trackbar_rect(trackbar, TBM_GETTHUMBRECT);
    const Capture middle = capture(trackbar);
    EXPECT_TRUE(is_accent(middle.at(thumb.left - 3, line)));
    EXPECT_FALSE(is_accent(middle.at(thumb.left + 5, line)));
    EXPECT_GT(brightness(middle.at(thumb.left + 2, dotRow)), 170) << "no dot at the thumb";
    EXPECT_LT(brightness(middle.at(thumb.left + 10, dotRow)), 160);

    set_trackbar(trackbar, 100);
    thumb = trackbar_rect(trackbar, TBM_GETTHUMBRECT);
    const Capture maximum = capture(trackbar);
    EXPECT_TRUE(is_accent(maximum.at(thumb.left + 5, line)));
    EXPECT_TRUE(is_accent(maximum.at(thumb.left + 8, line)));
    EXPECT_FALSE(is_accent(maximum.at(thumb.left + 11, line)));
    EXPECT_GT(brightness(maximum.at(thumb.left + 10, dotRow)), 170) << "the dot did not move on";
    EXPECT_LT(brightness(maximum.at(thumb.left + 2, dotRow)), 160);
}

// Beside the channel each row shows the backdrop alone: the difference is
// what the strip and the selection line add.
TEST_F(SkinTrackbarPaint, OnlyASelectionRangeNarrowsTheStripAndDrawsTheSelection) {
    for (HWND track : {trackbar, selectionTrackbar}) {
        SendMessageW(track, TBM_SETSEL, TRUE, MAKELPARAM(20, 80));
        set_trackbar(track, 0);
    }
    // Without a range the whole channel is the strip, and there is no line.
    RECT channel = trackbar_rect(trackbar, TBM_GETCHANNELRECT);
    int inside = channel.left + 19 + (channel.right - channel.left) * 3 / 10;
    int beside = std::max<int>(channel.left - 4, 2);
    const Capture plain = capture(trackbar);
    for (const LONG row : {channel.top + 1, channel.bottom - 2}) {
        EXPECT_LT(brightness(plain.at(inside, row)), brightness(plain.at(beside, row)) - 8)
            << "row " << row << " of the channel is not darkened";
    }
    EXPECT_NEAR(brightness(plain.at(inside, channel.top + 1)),
                brightness(plain.at(inside, channel.top + 2)), 12)
        << "a selection line without a selection range";

    // With one, a four-pixel strip centred in the channel, the light line on
    // its second row.
    channel = trackbar_rect(selectionTrackbar, TBM_GETCHANNELRECT);
    inside = channel.left + 19 + (channel.right - channel.left) * 3 / 10;
    beside = std::max<int>(channel.left - 4, 2);
    const int thickness = channel.bottom - channel.top;
    const int stripNear = channel.top + (thickness - 4) / 2;
    const Capture ranged = capture(selectionTrackbar);
    EXPECT_GT(brightness(ranged.at(inside, stripNear + 1)),
              brightness(ranged.at(inside, stripNear + 2)) + 30)
        << "no selection line";
    EXPECT_LT(brightness(ranged.at(inside, stripNear + 2)),
              brightness(ranged.at(beside, stripNear + 2)) - 8);
    if (thickness >= 8) {
        EXPECT_NEAR(brightness(ranged.at(inside, channel.top + 1)),
                    brightness(ranged.at(beside, channel.top + 1)), 6)
            << "the channel outside the strip is darkened";
    }
}

TEST_F(SkinTrackbarPaint, BackdropIsDrawnOnlyWhileTheStyleFlagIsSet) {
    repaint(trackbar);
    const Capture shaded = capture(trackbar);
    const COLORREF top = shaded.at(shaded.width / 2, 3);
    EXPECT_GT(brightness(top), brightness(kBase) + 20);
    engine.setOptions(1, std::nullopt, 0);
    repaint(trackbar);
    const Capture bare = capture(trackbar);
    EXPECT_NEAR(brightness(bare.at(bare.width / 2, 3)), brightness(kBase), 2);
}

TEST_F(SkinTrackbarHover, ThumbGrowsOnceWhileTheMouseIsOverItAndShrinksWhenItLeaves) {
    set_trackbar(trackbar, 50);
    const RECT channel = trackbar_rect(trackbar, TBM_GETCHANNELRECT);
    const RECT thumb = trackbar_rect(trackbar, TBM_GETTHUMBRECT);
    // Past the resting dot, inside the lit circle.
    const POINT probe{thumb.left + 8, channel.top + 2};
    const auto shown = [&] { return brightness(capture(trackbar).at(probe.x, probe.y)); };
    ASSERT_LT(shown(), 160) << "the resting dot reaches past its four pixels";

    SendMessageW(trackbar, WM_MOUSEMOVE, 0, MAKELPARAM(probe.x, probe.y));
    const std::intptr_t index = testing::prop(trackbar, L"Hw_lbID");
    ASSERT_GE(index, 1);
    const TrackbarSkin& track = record->trackbarSkins.at(static_cast<std::size_t>(index - 1));
    EXPECT_EQ(track.hot, 1);
    EXPECT_EQ(record->hotControl, index);
    EXPECT_EQ(record->hotPart, 2);
    EXPECT_GT(shown(), 170) << "no lit circle";

    // A further move within it leaves the screen alone.
    HDC dc = GetWindowDC(trackbar);
    PatBlt(dc, 0, 0, 400, 100, BLACKNESS);
    ReleaseDC(trackbar, dc);
    SendMessageW(trackbar, WM_MOUSEMOVE, 0, MAKELPARAM(probe.x + 1, probe.y));
    EXPECT_EQ(capture(trackbar).at(2, 2), RGB(0, 0, 0));

    SendMessageW(trackbar, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(track.hot, 0);
    EXPECT_EQ(record->hotControl, 0);
    EXPECT_LT(shown(), 160) << "the circle stayed after the mouse left";
}

// --- Progress bars --------------------------------------------------------------

struct BarSample {
    int position;
    double along;  // from the start of the bar: its left, or its bottom
    bool accent;
};

TEST_F(SkinProgressPaint, BarGrowsFromTheLeftOrTheBottomAndFillsTheTroughAtTheHighEnd) {
    const BarSample samples[] = {{0, 0.1, false},  {0, 0.5, false},   {0, 0.9, false},
                                 {50, 0.25, true}, {50, 0.75, false}, {100, 0.03, true},
                                 {100, 0.97, true}};
    for (HWND progress : {bar, verticalBar}) {
        const bool vertical = progress == verticalBar;
        for (const BarSample& sample : samples) {
            SCOPED_TRACE(::testing::Message() << (vertical ? "vertical " : "horizontal ")
                                              << sample.position << " at " << sample.along);
            set_progress(progress, sample.position);
            const Capture shown = capture(progress);
            const int extent = vertical ? shown.height : shown.width;
            const int along = static_cast<int>(sample.along * (extent - 1));
            // Three quarters across, where the gradient is nearly the accent.
            const COLORREF pixel = vertical
                                       ? shown.at(shown.width * 3 / 4, shown.height - 1 - along)
                                       : shown.at(along, shown.height * 3 / 4);
            EXPECT_EQ(is_accent(pixel), sample.accent);
        }
    }
}

// --- Nothing left behind ----------------------------------------------------------

TEST_F(SkinTrackbarProgressObjects, ThousandRepaintsOfEachLeaveNothingBehind) {
    const testing::ObjectCounts before(engine);
    for (int i = 0; i < 1000; ++i) {
        set_trackbar(trackbar, i % 101);
        set_trackbar(selectionTrackbar, (i * 7) % 101);
        SendMessageW(trackbar, i % 2 ? WM_MOUSELEAVE : WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        set_progress(bar, i % 101);
        set_progress(verticalBar, (i * 3) % 101);
    }
    SendMessageW(trackbar, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(testing::counts_unchanged(before));
    const Capture last = capture(bar);
    EXPECT_TRUE(is_accent(last.at(4, last.height * 3 / 4))) << "the bar was not painted";
}

}  // namespace
}  // namespace qelvo::skin

#endif  // _WIN32
