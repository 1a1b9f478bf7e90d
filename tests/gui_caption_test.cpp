// The skinned frame of the real qelvo.exe, seen from outside its process:
// a popup window whose client area is the whole window, clipped to a
// rounded region; the minimize button lit while the pointer rests on it and
// back to rest after it leaves; the minimize and close buttons doing their
// work; and a picture of each panel under the skin.
#if defined(_WIN32) && defined(QELVO_GUI_PATH)

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/gui_harness.h"

namespace qelvo::gui_test {
namespace {

using namespace std::chrono_literals;

constexpr int kWindowWidth = 559;
constexpr int kWindowHeight = 522;
// Minimize (26) and close (38), one pixel between them and three at the end.
constexpr int kStripWidth = 26 + 38 + 1 + 3;
constexpr int kStripX = kWindowWidth - kStripWidth + 1;
constexpr RECT kMinimizeButton{kStripX + 2, 1, kStripX + 2 + 26, 1 + 18};
constexpr POINT kMinimizeCentre{kStripX + 2 + 13, 10};
// The close button is drawn 40 wide but the window ends 38 pixels in: the
// middle of the part that shows.
constexpr POINT kCloseCentre{kStripX + 2 + 27 + 18, 10};

class GuiCaption : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(app.launch()) << app.error(); }

    // Other tests' windows open at the same place: this one stays above
    // them, so that the screen shows it and the pointer meets it.
    void raise() {
        SetWindowPos(app.window(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ASSERT_TRUE(app.settle());
    }

    // The pointer really goes there, since the window asks the system to
    // report the pointer leaving it: a pointer elsewhere would end the
    // hover at once. The window is also told of the move directly.
    void point_at(POINT client) {
        POINT screen = client;
        ClientToScreen(app.window(), &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageW(app.window(), WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    }
    // Left of the window, where no part of it lies.
    void point_away() {
        RECT outer{};
        GetWindowRect(app.window(), &outer);
        SetCursorPos(std::max(0L, outer.left - 20), outer.top + 100);
        PostMessageW(app.window(), WM_MOUSELEAVE, 0, 0);
    }
    void click_at(POINT client) {
        point_at(client);
        const LPARAM where = MAKELPARAM(client.x, client.y);
        PostMessageW(app.window(), WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageW(app.window(), WM_LBUTTONUP, 0, where);
    }

    std::vector<COLORREF> minimize_pixels() { return screen_pixels(app.window(), kMinimizeButton); }
    // The button once two looks a moment apart agree.
    std::vector<COLORREF> resting_minimize_pixels() {
        std::vector<COLORREF> last = minimize_pixels();
        wait_until([&] {
            std::this_thread::sleep_for(100ms);
            std::vector<COLORREF> now = minimize_pixels();
            const bool same = now == last;
            last = std::move(now);
            return same;
        });
        return last;
    }

    GuiApp app;
};

using GuiFrame = GuiCaption;
using GuiCaptionButtons = GuiCaption;
using GuiPanelScreenshots = GuiCaption;

// --- The frame ----------------------------------------------------------------

TEST_F(GuiFrame, MainWindowIsAPopupWhoseClientAreaIsTheWholeWindow) {
    HWND window = app.window();
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_NE(style & WS_POPUP, 0);
    EXPECT_EQ(style & WS_CAPTION, 0) << "a system caption or border";
    EXPECT_EQ(style & WS_THICKFRAME, 0) << "a sizing border";
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    EXPECT_EQ(outer.right - outer.left, kWindowWidth);
    EXPECT_EQ(outer.bottom - outer.top, kWindowHeight);
    EXPECT_EQ(client.right - client.left, kWindowWidth);
    EXPECT_EQ(client.bottom - client.top, kWindowHeight);
}

TEST_F(GuiFrame, MainWindowIsClippedToARoundedRegion) {
    HWND window = app.window();
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(region, nullptr);
    EXPECT_TRUE(wait_until([&] { return GetWindowRgn(window, region) != ERROR; }))
        << "the window has no region";
    EXPECT_FALSE(PtInRegion(region, 0, 0)) << "the top-left corner is not rounded off";
    EXPECT_TRUE(PtInRegion(region, kWindowWidth / 2, kWindowHeight / 2));
    DeleteObject(region);
}

// --- The caption buttons -------------------------------------------------------

TEST_F(GuiCaptionButtons, MinimizeLightsUpUnderThePointerAndGoesBackWhenItLeaves) {
    ASSERT_NO_FATAL_FAILURE(raise());
    point_away();
    const std::vector<COLORREF> resting = resting_minimize_pixels();
    ASSERT_FALSE(resting.empty());

    point_at(kMinimizeCentre);
    EXPECT_TRUE(wait_until([&] { return minimize_pixels() != resting; }))
        << "the button under the pointer looks as it does at rest";

    point_away();
    EXPECT_TRUE(wait_until([&] { return minimize_pixels() == resting; }))
        << "the button did not fade back once the pointer left";
}

TEST_F(GuiCaptionButtons, ClickingMinimizeMinimizesTheWindow) {
    ASSERT_NO_FATAL_FAILURE(raise());
    click_at(kMinimizeCentre);
    EXPECT_TRUE(wait_until([&] { return IsIconic(app.window()) != FALSE; }))
        << "the window is still shown";
    EXPECT_TRUE(app.running());
}

// The close command reaches the window as WM_CLOSE, which ends the program.
TEST_F(GuiCaptionButtons, ClickingCloseEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(raise());
    click_at(kCloseCentre);
    EXPECT_TRUE(app.wait_for_exit().has_value()) << "qelvo.exe still runs";
}

// --- Pictures for a person to look at -------------------------------------------

#ifdef QELVO_SCREENSHOT_DIR
struct PanelPicture {
    std::string_view button;  // empty: the panel the window opens with
    std::string_view panel;
    const wchar_t* file;
};

TEST_F(GuiPanelScreenshots, EachPanelIsSavedUnderTheSkin) {
    const std::filesystem::path directory = windows_path(QELVO_SCREENSHOT_DIR);
    const PanelPicture pictures[] = {
        {"", "分组框3", L"skinned-replace.png"},
        {"按钮2", "分组框5", L"skinned-find.png"},
        {"按钮4", "分组框6", L"skinned-restore.png"},
    };
    for (const PanelPicture& picture : pictures) {
        SCOPED_TRACE(utf8(picture.file));
        if (!picture.button.empty()) app.click(picture.button);
        ASSERT_TRUE(wait_until([&] { return app.on_screen(picture.panel); }));
        ASSERT_NO_FATAL_FAILURE(replace_screenshot(app, directory / picture.file));
    }
}
#endif

}  // namespace
}  // namespace qelvo::gui_test

#endif  // _WIN32 && QELVO_GUI_PATH
