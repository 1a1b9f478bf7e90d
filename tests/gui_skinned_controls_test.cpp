// One skinned window holding one control of every class the skin paints,
// with the veil on as the program has it: each control takes its family's
// procedure, the window paints without leaving the system's face colour in
// the controls that draw over the background, and a picture of it is kept
// under build/ for a person to look at.
#if defined(_WIN32) && defined(QELVO_SCREENSHOT_DIR)

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "resources/skin_images.h"
#include "skin/window_properties.h"
#include "tests/gui_harness.h"
#include "tests/skin_test_window.h"

namespace qelvo::skin {
namespace {

using testing::make_child;
using testing::make_window;
using testing::prop;
using testing::register_test_class;

constexpr wchar_t kClass[] = L"QelvoSkinnedControlsTest";
constexpr int kWidth = 560;
constexpr int kHeight = 420;

class GuiSkinnedControls : public testing::SkinEngineFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(register_test_class(
            kClass, DefWindowProcW,
            ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES));
        ASSERT_NO_FATAL_FAILURE(start_engine());
        window = make_window(kClass, L"每一种控件", WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, 40, 40,
                             kWidth, kHeight);
        ASSERT_NE(window, nullptr);
        add_controls();
        engine.setBackground({}, resources::kBackgroundJpg, std::nullopt, std::nullopt, 3);
        engine.setOptions(1, 0);
        WindowSkinOptions options;
        options.captionHeight = 40;
        options.resizable = 0;
        options.barHeight = 25;
        record = skin_window(window, options);
        ASSERT_NE(record, nullptr);
        engine.setBarItem(window, 1, "Qelvo");
        engine.skinPanel(group, 1, GetSysColor(COLOR_BTNFACE), 0);
        engine.setPanelAlpha(group, 110);
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
    }

    HWND add(const wchar_t* className, DWORD style, int x, int y, int width, int height,
             const wchar_t* text = L"", DWORD extended = 0) {
        return make_child(window, className, style, x, y, width, height, extended, text);
    }

    void add_controls() {
        group = add(L"Button", BS_GROUPBOX, 10, 40, 540, 150, L"分组框");
        controls.push_back(add(L"Button", BS_PUSHBUTTON, 20, 60, 90, 26, L"按钮"));
        controls.push_back(add(L"Button", BS_AUTOCHECKBOX, 120, 60, 90, 22, L"选择框"));
        controls.push_back(add(L"Button", BS_AUTORADIOBUTTON, 220, 60, 90, 22, L"单选框"));
        controls.push_back(
            add(L"Edit", ES_AUTOHSCROLL, 320, 60, 120, 22, L"编辑框", WS_EX_CLIENTEDGE));
        HWND combo = add(L"ComboBox", CBS_DROPDOWNLIST, 20, 100, 120, 200);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"组合框"));
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
        controls.push_back(combo);
        HWND track = add(TRACKBAR_CLASSW, TBS_HORZ, 160, 100, 140, 30);
        SendMessageW(track, TBM_SETPOS, TRUE, 40);
        controls.push_back(track);
        HWND bar = add(PROGRESS_CLASSW, 0, 320, 100, 150, 18);
        SendMessageW(bar, PBM_SETPOS, 60, 0);
        controls.push_back(bar);
        HWND buddy = add(L"Edit", ES_NUMBER, 480, 100, 40, 22, L"5", WS_EX_CLIENTEDGE);
        controls.push_back(buddy);
        controls.push_back(add(UPDOWN_CLASSW, UDS_ALIGNRIGHT | UDS_SETBUDDYINT, 520, 100, 16, 22));
        HWND listBox = add(L"ListBox", LBS_NOINTEGRALHEIGHT | WS_VSCROLL, 10, 200, 130, 150, L"",
                           WS_EX_CLIENTEDGE);
        for (const wchar_t* item : {L"列表项一", L"列表项二", L"列表项三"}) {
            SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
        controls.push_back(listBox);
        controls.push_back(add_list_view());
        controls.push_back(add_tree_view());
    }

    HWND add_list_view() {
        HWND list = add(WC_LISTVIEWW, LVS_REPORT, 150, 200, 220, 150, L"", WS_EX_CLIENTEDGE);
        const wchar_t* titles[] = {L"序号", L"文件路径"};
        for (int i = 0; i < 2; ++i) {
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.cx = i == 0 ? 50 : 120;
            column.pszText = const_cast<wchar_t*>(titles[i]);
            SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        }
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"1");
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return list;
    }

    HWND add_tree_view() {
        HWND tree = add(WC_TREEVIEWW, TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, 380, 200,
                        170, 150, L"", WS_EX_CLIENTEDGE);
        TVINSERTSTRUCTW insert{};
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<wchar_t*>(L"树根");
        const auto root = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        insert.hParent = root;
        insert.item.pszText = const_cast<wchar_t*>(L"树叶");
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
        return tree;
    }

    HWND window = nullptr;
    HWND group = nullptr;
    std::vector<HWND> controls;
    SkinWindow* record = nullptr;
};

TEST_F(GuiSkinnedControls, EveryClassIsTakenAndTheWindowIsSavedAsAPicture) {
    for (HWND control : controls) {
        SCOPED_TRACE(gui_test::class_name(control));
        EXPECT_NE(prop(control, kOldProcProperty), 0) << "not subclassed by the skin";
    }
    EXPECT_NE(prop(group, kOldProcProperty), 0);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);

    RECT area{};
    GetWindowRect(window, &area);
    const std::filesystem::path file =
        gui_test::windows_path(QELVO_SCREENSHOT_DIR) / "skinned-controls.png";
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    EXPECT_TRUE(gui_test::save_screen_rectangle(area, file));
    EXPECT_GT(std::filesystem::file_size(file, ignored), 5000u);
}

}  // namespace
}  // namespace qelvo::skin

#endif  // _WIN32 && QELVO_SCREENSHOT_DIR
