// The skin of the real qelvo.exe, read from outside its process: the main
// window registered first and given a system menu, every push button made
// owner-drawn under it, the five group boxes registered as its containers,
// the tooltip of its caption buttons, and a picture of the skinned window.
// Window properties hold plain integers, which GetPropW reads from any
// process.
#if defined(_WIN32) && defined(QELVO_GUI_PATH)

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "engine/main_window_layout.h"
#include "tests/gui_harness.h"

namespace qelvo::gui_test {
namespace {

constexpr std::string_view kGroupBoxes[] = {"分组框1", "分组框2", "分组框3", "分组框5", "分组框6"};

std::intptr_t prop(HWND window, const wchar_t* name) {
    return reinterpret_cast<std::intptr_t>(GetPropW(window, name));
}

bool is_tooltip(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return CompareStringOrdinal(name, -1, TOOLTIPS_CLASSW, -1, TRUE) == CSTR_EQUAL;
}

// Tools of a tooltip; -1 when it does not answer.
LRESULT tool_count(HWND tooltip) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(tooltip, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) {
        return -1;
    }
    return static_cast<LRESULT>(count);
}

// Close, and minimize and maximize when the window's style offers them.
LRESULT caption_button_count(HWND window) {
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    return 1 + ((style & WS_MINIMIZEBOX) ? 1 : 0) + ((style & WS_MAXIMIZEBOX) ? 1 : 0);
}

class GuiSkin : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(app.launch()) << app.error(); }

    GuiApp app;
};

using GuiSkinProperties = GuiSkin;
using GuiSkinTooltip = GuiSkin;
using GuiSkinScreenshot = GuiSkin;

TEST_F(GuiSkinProperties, MainWindowIsTheFirstSkinnedWindowAndHasASystemMenu) {
    HWND window = app.window();
    EXPECT_EQ(prop(window, L"Hw_lbID"), 1);
    EXPECT_NE(prop(window, L"Hw_hProc"), 0) << "no replaced procedure kept";
    EXPECT_NE(GetWindowLongPtrW(window, GWL_STYLE) & WS_SYSMENU, 0);
}

TEST_F(GuiSkinProperties, EveryPushButtonIsOwnerDrawnUnderTheMainWindow) {
    std::set<std::intptr_t> indexes;
    int buttons = 0;
    for (const ControlLayout& entry : main_window_layout()) {
        if (entry.kind != ControlKind::button) continue;
        SCOPED_TRACE(std::string(entry.name));
        HWND button = app.control(entry.name);
        if (!button) continue;
        ++buttons;
        EXPECT_EQ(GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
        EXPECT_EQ(prop(button, L"Hw_FuID"), 1);
        EXPECT_NE(prop(button, L"Hw_hProc"), 0);
        const std::intptr_t index = prop(button, L"Hw_lbID");
        EXPECT_GE(index, 1);
        EXPECT_TRUE(indexes.insert(index).second) << "index " << index << " given twice";
    }
    EXPECT_GT(buttons, 0) << "the layout names no push button";
}

TEST_F(GuiSkinProperties, TheFiveGroupBoxesAreContainersOfTheMainWindow) {
    std::set<std::intptr_t> indexes;
    for (std::string_view name : kGroupBoxes) {
        SCOPED_TRACE(std::string(name));
        HWND box = app.control(name);
        if (!box) continue;
        EXPECT_EQ(prop(box, L"Hw_FuID"), 1);
        EXPECT_NE(prop(box, L"Hw_hProc"), 0);
        const std::intptr_t index = prop(box, L"Hw_lbID");
        EXPECT_GE(index, 1);
        EXPECT_LE(index, 5);
        indexes.insert(index);
    }
    EXPECT_EQ(indexes.size(), std::size(kGroupBoxes)) << "two boxes share an index";
}

TEST_F(GuiSkinTooltip, CaptionButtonsHaveATooltipOwnedByTheMainWindow) {
    HWND window = app.window();
    const LRESULT wanted = caption_button_count(window);
    // Other controls may own tooltips too; the caption's has one tool per
    // caption button and shows even while the window is inactive.
    std::string seen;
    HWND caption_tooltip = nullptr;
    for (HWND candidate : top_level_windows(app.process_id())) {
        if (!is_tooltip(candidate) || GetWindow(candidate, GW_OWNER) != window) continue;
        const LRESULT tools = tool_count(candidate);
        seen += " " + std::to_string(tools);
        if (tools == wanted) caption_tooltip = candidate;
    }
    ASSERT_NE(caption_tooltip, nullptr)
        << "wanted a tooltip with " << wanted << " tools; those the window owns have:" << seen;
    EXPECT_NE(GetWindowLongPtrW(caption_tooltip, GWL_STYLE) & TTS_ALWAYSTIP, 0);
    EXPECT_EQ(GetAncestor(caption_tooltip, GA_PARENT), GetDesktopWindow()) << "not top-level";
}

#ifdef QELVO_SCREENSHOT_DIR
TEST_F(GuiSkinScreenshot, SkinnedMainWindowIsSavedAsAPicture) {
    replace_screenshot(app, windows_path(QELVO_SCREENSHOT_DIR) / L"skin_main_window.png");
}
#endif

}  // namespace
}  // namespace qelvo::gui_test

#endif  // _WIN32 && QELVO_GUI_PATH
