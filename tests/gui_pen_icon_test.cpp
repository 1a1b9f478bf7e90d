// The pen of 图片框_编辑框 on the real qelvo.exe, seen from outside its
// process: a click into the field of a text combo shows the pen over that
// field, the pen's transparent background takes the field's own colour (the
// face colour would stand out as a grey block round it), and the pen itself
// stands out from the field.
#if defined(_WIN32) && defined(QELVO_GUI_PATH)

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/gui_harness.h"

namespace qelvo::gui_test {
namespace {

using namespace std::chrono_literals;

constexpr int kPenWidth = 18;
constexpr int kPenHeight = 16;

// resources/edit_icon.gif once make_images.sh has cut its alpha at half:
// '#' is the pen's drawing, '.' the transparent background.
// clang-format off
constexpr std::array<std::string_view, kPenHeight> kPenMask = {
    "..................",
    "............###...",
    "............####..",
    "...........######.",
    "..........#######.",
    ".........########.",
    "........#######...",
    ".......#######....",
    "......#######.....",
    ".....#######......",
    "...########.......",
    "...#######........",
    "...######.........",
    "..######..........",
    "..######..........",
    ".####....#########",
};
// clang-format on

// The pen's transparent corners; the bottom right one is not, as the blue
// line under the pen ends there.
constexpr POINT kTransparentCorners[] = {{0, 0}, {kPenWidth - 1, 0}, {0, kPenHeight - 1}};

// The field is read in the columns just left of the pen, in the pen's middle
// rows: clear of the combo's frame above and below.
constexpr int kFieldColumns = 3;
constexpr int kFieldFirstRow = 4;
constexpr int kFieldEndRow = 12;

constexpr int kPictureWidth = kFieldColumns + kPenWidth;

bool is_background(int x, int y) { return kPenMask.at(y).at(x) == '.'; }

std::string colour_text(COLORREF colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    return text;
}

// Equal within what a display of fewer colours rounds off.
bool near_colour(COLORREF a, COLORREF b) {
    constexpr int kTolerance = 8;
    return std::abs(GetRValue(a) - GetRValue(b)) <= kTolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= kTolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= kTolerance;
}

// What the screen shows of the pen and, left of it, of the field beside it,
// taken in one copy so that both come from the same paint.
struct PenPicture {
    std::vector<COLORREF> pixels;  // kPictureWidth x kPenHeight, row by row

    COLORREF pen(int x, int y) const {
        return pixels.at(static_cast<std::size_t>(y * kPictureWidth + kFieldColumns + x));
    }
    COLORREF field(int column, int y) const {
        return pixels.at(static_cast<std::size_t>(y * kPictureWidth + column));
    }
    // The colour most of the field's pixels beside the pen show.
    COLORREF field_colour() const {
        std::map<COLORREF, int> tally;
        for (int y = kFieldFirstRow; y < kFieldEndRow; ++y) {
            for (int column = 0; column < kFieldColumns; ++column) ++tally[field(column, y)];
        }
        auto most = tally.begin();
        for (auto entry = tally.begin(); entry != tally.end(); ++entry) {
            if (entry->second > most->second) most = entry;
        }
        return most->first;
    }
};

int pen_pixel_count() {
    int count = 0;
    for (int y = 0; y < kPenHeight; ++y) {
        for (int x = 0; x < kPenWidth; ++x) count += is_background(x, y) ? 0 : 1;
    }
    return count;
}

int pen_pixels_unlike(const PenPicture& picture, COLORREF field) {
    int count = 0;
    for (int y = 0; y < kPenHeight; ++y) {
        for (int x = 0; x < kPenWidth; ++x) {
            if (!is_background(x, y) && picture.pen(x, y) != field) ++count;
        }
    }
    return count;
}

int background_pixels_near(const PenPicture& picture, COLORREF colour) {
    int count = 0;
    for (int y = 0; y < kPenHeight; ++y) {
        for (int x = 0; x < kPenWidth; ++x) {
            if (is_background(x, y) && near_colour(picture.pen(x, y), colour)) ++count;
        }
    }
    return count;
}

class GuiPenIcon : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.launch()) << app.error();
        // Other tests' windows open at the same place: this one stays above
        // them, so that the screen shows it.
        SetWindowPos(app.window(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ASSERT_TRUE(app.settle());
        pen = find_pen();
        ASSERT_NE(pen, nullptr) << "no " << kPenWidth << "x" << kPenHeight
                                << " picture on the main window";
    }

    // Found by its class and size rather than by its place in the layout,
    // which it leaves as it follows the focused combo.
    HWND find_pen() {
        for (HWND child : child_windows(app.window())) {
            wchar_t name[16] = {};
            GetClassNameW(child, name, static_cast<int>(std::size(name)));
            RECT outer{};
            GetWindowRect(child, &outer);
            if (lstrcmpiW(name, L"Static") == 0 && outer.right - outer.left == kPenWidth &&
                outer.bottom - outer.top == kPenHeight)
                return child;
        }
        return nullptr;
    }

    // A click into the combo's field, as the user gives it the focus: the
    // edit takes the focus itself and the combo tells the window.
    void click_into(std::string_view combo) {
        HWND field = FindWindowExW(app.control(combo), nullptr, L"Edit", nullptr);
        ASSERT_NE(field, nullptr) << combo << " has no edit field";
        const LPARAM where = MAKELPARAM(2, 4);
        PostMessageW(field, WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageW(field, WM_LBUTTONUP, 0, where);
    }

    bool pen_over(std::string_view combo) {
        if (!IsWindowVisible(pen)) return false;
        RECT shown{}, field{};
        GetWindowRect(pen, &shown);
        GetWindowRect(app.control(combo), &field);
        return shown.left >= field.left && shown.right <= field.right && shown.top >= field.top &&
               shown.bottom <= field.bottom;
    }

    PenPicture picture() {
        RECT area = area_in_window(app.window(), pen);
        area.left -= kFieldColumns;
        return {screen_pixels(app.window(), area)};
    }
    // The picture once two looks a moment apart agree: the window may still
    // be painting the pen it has just shown.
    PenPicture resting_picture() {
        PenPicture last = picture();
        wait_until([&] {
            std::this_thread::sleep_for(100ms);
            PenPicture now = picture();
            const bool same = now.pixels == last.pixels;
            last = std::move(now);
            return same;
        });
        return last;
    }

    void expect_pen_blends_into(std::string_view combo) {
        ASSERT_NO_FATAL_FAILURE(click_into(combo));
        ASSERT_TRUE(wait_until([&] { return pen_over(combo); }))
            << "the pen is not shown over " << combo;
        ASSERT_TRUE(app.settle());
        const PenPicture shown = resting_picture();
#ifdef QELVO_SCREENSHOT_DIR
        ASSERT_NO_FATAL_FAILURE(
            replace_screenshot(app, windows_path(QELVO_SCREENSHOT_DIR) /
                                        ("pen-over-" + std::to_string(shown_count_++) + ".png")));
#endif
        ASSERT_EQ(shown.pixels.size(), static_cast<std::size_t>(kPictureWidth * kPenHeight));
        const COLORREF field = shown.field_colour();
        SCOPED_TRACE("the field beside the pen is " + colour_text(field));

        EXPECT_GT(pen_pixels_unlike(shown, field), pen_pixel_count() / 2)
            << "the pen's drawing does not show over the field";
        // The field is a veiled picture, not one flat colour: beside the pen
        // and under it its pixels may differ by a shade.
        for (const POINT corner : kTransparentCorners) {
            EXPECT_TRUE(near_colour(shown.pen(corner.x, corner.y), field))
                << "the pen's transparent corner " << corner.x << "," << corner.y << " is "
                << colour_text(shown.pen(corner.x, corner.y));
        }
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        if (!near_colour(field, face)) {
            EXPECT_EQ(background_pixels_near(shown, face), 0)
                << "pixels of the pen's background show the face colour " << colour_text(face);
        }
    }

    GuiApp app;
    HWND pen = nullptr;  // 图片框_编辑框
    int shown_count_ = 0;
};

TEST_F(GuiPenIcon, PenOverTheFindTextTakesTheFieldsColour) {
    expect_pen_blends_into("组合框_查找内容");
}

TEST_F(GuiPenIcon, PenOverTheReplacementTextTakesTheFieldsColour) {
    expect_pen_blends_into("组合框_替换内容");
}

TEST_F(GuiPenIcon, PenOverTheFindPanelsTextTakesTheFieldsColour) {
    app.click("按钮2");
    ASSERT_TRUE(wait_until([&] { return app.on_screen("分组框5"); }))
        << "the find panel is not shown";
    expect_pen_blends_into("组合框_查找内容2");
}

}  // namespace
}  // namespace qelvo::gui_test

#endif  // _WIN32 && QELVO_GUI_PATH
