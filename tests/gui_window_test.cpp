// The real qelvo.exe, driven from outside its process under the virtual
// display: its layout as the layout table states it, the panel switches, a
// replace run typed and clicked through the window, the message box of a
// failing check, the settings file beside the program, and a picture of
// each panel. Every test runs its own copy of the program in its own
// directory, so tests may run side by side.
#if defined(_WIN32) && defined(QELVO_GUI_PATH)

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/gbk_literal.h"
#include "engine/main_window_layout.h"
#include "platform/codepage.h"
#include "tests/gui_harness.h"

namespace qelvo::gui_test {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kReplaceButton = "按钮_开始替换";
constexpr std::string_view kReplaceIdle = "开始替换";
constexpr std::string_view kReplaceRunning = "停止替换";

// A run with many files and one worker lasts long enough to be caught
// running; bounded so that it still ends well within a test's time.
constexpr int kLongRunFiles = 1500;
constexpr std::chrono::milliseconds kRunTimeout{60000};

std::vector<std::string> strings_of(const std::vector<std::string_view>& views) {
    return {views.begin(), views.end()};
}

std::vector<std::string> layout_items(std::string_view name) {
    const ControlLayout* entry = layout_entry(name);
    return entry ? strings_of(entry->items) : std::vector<std::string>{};
}

// Target files under a directory with a Chinese name, addressed by UTF-8
// paths relative to it (backslashes), as the user types and reads them.
class TargetTree {
  public:
    explicit TargetTree(std::filesystem::path root) : root_(std::move(root)) {
        std::error_code ignored;  // a missing root fails the first put()
        std::filesystem::create_directories(root_, ignored);
    }

    std::string root() const { return utf8(root_.wstring()); }
    std::string path(std::string_view relative) const { return utf8(native(relative).wstring()); }
    std::filesystem::path native(std::string_view relative) const { return root_ / wide(relative); }

    void put(std::string_view relative, std::string_view bytes) const {
        std::error_code ignored;
        std::filesystem::create_directories(native(relative).parent_path(), ignored);
        ASSERT_TRUE(write_bytes(native(relative), bytes)) << relative;
    }
    std::string get(std::string_view relative) const {
        return read_bytes(native(relative)).value_or("<missing>");
    }
    bool exists(std::string_view relative) const { return file_exists(native(relative)); }

  private:
    std::filesystem::path root_;
};

class GuiWindow : public ::testing::Test {
  protected:
    GuiWindow() : tree(app.directory() / L"替换目录") {}

    void launch() { ASSERT_TRUE(app.launch()) << app.error(); }

    void type(std::string_view name, std::string_view text) {
        ASSERT_TRUE(app.type(name, text))
            << name << " shows \"" << app.text(name) << "\" instead of \"" << text << "\"";
    }

    void tick(std::string_view check_box) {
        const bool before = app.checked(check_box);
        app.click(check_box);
        ASSERT_TRUE(wait_until([&] { return app.checked(check_box) != before; })) << check_box;
    }

    void fill_replace_panel(std::string_view find, std::string_view replacement) {
        ASSERT_NO_FATAL_FAILURE(type("组合框_文件路径", tree.root()));
        ASSERT_NO_FATAL_FAILURE(type("组合框_查找内容", find));
        ASSERT_NO_FATAL_FAILURE(type("组合框_替换内容", replacement));
    }

    // Clicks the start button and waits until the click has been handled.
    void click_start() {
        app.click(kReplaceButton);
        ASSERT_TRUE(app.settle());
    }

    bool replace_idle() { return app.text(kReplaceButton) == kReplaceIdle; }

    // Many files, each holding the sought text once.
    void make_many_files(int count) {
        for (int i = 0; i < count; ++i)
            ASSERT_NO_FATAL_FAILURE(tree.put("many\\f" + std::to_string(i) + ".txt", "abc\r\n"));
    }
    int changed_files(int count) {
        int changed = 0;
        for (int i = 0; i < count; ++i)
            changed += tree.get("many\\f" + std::to_string(i) + ".txt") == "xyz\r\n";
        return changed;
    }

    // Starts a replace run over the many files with one worker and returns
    // once it is seen running with a few rows listed.
    void start_long_run(int files = kLongRunFiles) {
        ASSERT_NO_FATAL_FAILURE(make_many_files(files));
        ASSERT_NO_FATAL_FAILURE(launch());
        ASSERT_NO_FATAL_FAILURE(fill_replace_panel("abc", "xyz"));
        ASSERT_NO_FATAL_FAILURE(type("编辑框_线程", "1"));
        ASSERT_NO_FATAL_FAILURE(tick("选择框_包含子文件夹"));  // the files lie in a folder
        app.click(kReplaceButton);
        ASSERT_TRUE(wait_until([&] {
            return app.text(kReplaceButton) == kReplaceRunning && app.row_count() >= 3;
        })) << "caption \""
            << app.text(kReplaceButton) << "\", " << app.row_count() << " rows";
        ASSERT_LT(app.row_count(), files) << "the run ended before the test could act on it";
    }

    // Waits until no further file changes for a while; the last count.
    int settled_changes(int files) {
        const auto deadline = std::chrono::steady_clock::now() + kRunTimeout;
        int last = changed_files(files);
        for (;;) {
            std::this_thread::sleep_for(700ms);
            const int now = changed_files(files);
            if (now == last || std::chrono::steady_clock::now() >= deadline) return now;
            last = now;
        }
    }

    GuiApp app;
    TargetTree tree;
};

// --- The layout -------------------------------------------------------------

using GuiLayout = GuiWindow;

TEST_F(GuiLayout, WindowHasItsTitleSizeAndPlaceAndCannotBeResized) {
    ASSERT_NO_FATAL_FAILURE(launch());
    HWND window = app.window();
    EXPECT_EQ(window_text(window), kMainWindowTitle);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, 559);
    EXPECT_EQ(outer.bottom - outer.top, 522);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.top, 50);

    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(style & WS_THICKFRAME, 0) << "a sizing border";
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0) << "a maximize box";
    // Neither edge nor corner offers the user a sizing handle.
    const POINT edges[] = {{outer.right - 1, outer.bottom - 1},
                           {outer.right - 1, (outer.top + outer.bottom) / 2},
                           {(outer.left + outer.right) / 2, outer.bottom - 1},
                           {outer.left, outer.top}};
    for (const POINT& point : edges) {
        DWORD_PTR hit = 0;
        SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y), SMTO_ABORTIFHUNG,
                            5000, &hit);
        EXPECT_FALSE(hit >= HTLEFT && hit <= HTBOTTOMRIGHT)
            << "sizing hit " << hit << " at " << point.x << "," << point.y;
    }
}

TEST_F(GuiLayout, EveryControlIsItsKindOfWindowInsideItsParentAtItsPlace) {
    ASSERT_NO_FATAL_FAILURE(launch());
    for (const ControlLayout& entry : main_window_layout()) {
        if (entry.kind == ControlKind::popup_menu) continue;
        SCOPED_TRACE(std::string(entry.name));
        std::string why;
        HWND control = app.find_control(entry.name, &why);
        EXPECT_NE(control, nullptr) << why;
        if (!control) continue;
        const WindowFacts facts = window_facts(control);
        const Geometry& g = facts.geometry;
        EXPECT_TRUE(g == entry.geometry)
            << "at " << g.left << "," << g.top << " " << g.width << "x" << g.height;
        const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        const LONG_PTR button_type = style & BS_TYPEMASK;
        switch (entry.kind) {
            case ControlKind::group_box:
                EXPECT_EQ(button_type, BS_GROUPBOX);
                break;
            case ControlKind::button:
                // Owner-drawn once the skin paints it.
                EXPECT_TRUE(button_type == BS_PUSHBUTTON || button_type == BS_DEFPUSHBUTTON ||
                            button_type == BS_OWNERDRAW)
                    << "button style " << button_type;
                break;
            case ControlKind::check_box:
                EXPECT_TRUE(button_type == BS_CHECKBOX || button_type == BS_AUTOCHECKBOX)
                    << "button style " << button_type;
                break;
            case ControlKind::combo_box:
                EXPECT_EQ(style & 3, CBS_DROPDOWN) << "an editable drop-down combo box";
                break;
            case ControlKind::report_list:
                EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
                break;
            default:
                break;
        }
    }
}

TEST_F(GuiLayout, TheWindowAndItsGroupBoxesHoldNoControlBesidesTheLayouts) {
    ASSERT_NO_FATAL_FAILURE(launch());
    std::set<HWND> laid_out;
    for (const ControlLayout& entry : main_window_layout()) {
        if (entry.kind == ControlKind::popup_menu) continue;
        if (HWND control = app.find_control(entry.name, nullptr)) laid_out.insert(control);
    }
    std::vector<HWND> containers = {app.window()};
    for (std::string_view box : {"分组框1", "分组框2", "分组框3", "分组框5", "分组框6"}) {
        if (HWND control = app.find_control(box, nullptr)) containers.push_back(control);
    }
    for (HWND container : containers) {
        for (HWND child : child_windows(container)) {
            EXPECT_TRUE(laid_out.contains(child))
                << "in \"" << window_text(container) << "\": " << describe(window_facts(child));
        }
    }
}

TEST_F(GuiLayout, EveryControlStartsWithItsCaptionItemsStateAndVisibility) {
    ASSERT_NO_FATAL_FAILURE(launch());
    for (const ControlLayout& entry : main_window_layout()) {
        if (entry.kind == ControlKind::popup_menu) continue;
        SCOPED_TRACE(std::string(entry.name));
        if (!app.find_control(entry.name, nullptr)) {
            ADD_FAILURE() << "missing";
            continue;
        }
        EXPECT_EQ(app.shown(entry.name), entry.visible);
        switch (entry.kind) {
            case ControlKind::combo_box: {
                const std::vector<std::string> items = strings_of(entry.items);
                EXPECT_EQ(app.items(entry.name), items);
                EXPECT_EQ(app.text(entry.name), entry.text);
                const auto chosen = std::find(items.begin(), items.end(), entry.text);
                const int expected =
                    entry.text.empty() || chosen == items.end() ? -1 : int(chosen - items.begin());
                EXPECT_EQ(app.selected_item(entry.name), expected);
                break;
            }
            case ControlKind::check_box:
                EXPECT_EQ(app.text(entry.name), entry.text);
                EXPECT_EQ(app.checked(entry.name), entry.checked);
                break;
            case ControlKind::report_list: {
                const std::vector<ListColumn> columns = app.columns();
                ASSERT_EQ(columns.size(), entry.columns.size());
                for (std::size_t i = 0; i < columns.size(); ++i) {
                    EXPECT_EQ(columns[i].title, entry.columns[i].title);
                    EXPECT_EQ(columns[i].width, entry.columns[i].width) << columns[i].title;
                }
                EXPECT_EQ(app.row_count(), 0);
                break;
            }
            case ControlKind::progress_bar:
                EXPECT_EQ(app.progress_position(), 0);
                break;
            case ControlKind::picture_box:
                break;  // an image, no text
            default:
                EXPECT_EQ(app.text(entry.name), entry.text);
                break;
        }
    }
}

// --- Panel switches -----------------------------------------------------------

struct PanelView {
    std::string_view button;
    std::string_view panel;
    std::string_view start_button;
    std::string_view progress_caption;
    std::string_view count_caption;
};

TEST_F(GuiWindow, EachPanelButtonShowsOnlyItsPanelWithItsCaptions) {
    ASSERT_NO_FATAL_FAILURE(launch());
    // The replace panel's count caption differs from the layout's start text
    // ("替换数量:0"): the digit comes before the colon.
    const PanelView views[] = {
        {"按钮2", "分组框5", "按钮_开始查找", "查找进度:", "查找数量:0"},
        {"按钮4", "分组框6", "按钮_执行", "执行进度:", "执行数量:0"},
        {"按钮1", "分组框3", "按钮_开始替换", "替换进度:", "替换数量0:"},
        {"按钮4", "分组框6", "按钮_执行", "执行进度:", "执行数量:0"},
        {"按钮2", "分组框5", "按钮_开始查找", "查找进度:", "查找数量:0"},
        {"按钮1", "分组框3", "按钮_开始替换", "替换进度:", "替换数量0:"},
    };
    for (const PanelView& view : views) {
        SCOPED_TRACE(std::string(view.button));
        app.click(view.button);
        ASSERT_TRUE(app.settle());
        EXPECT_TRUE(wait_until([&] {
            return app.on_screen(view.panel) && app.text("透明标签2") == view.count_caption;
        }));
        for (std::string_view panel : {"分组框3", "分组框5", "分组框6"})
            EXPECT_EQ(app.shown(panel), panel == view.panel) << panel;
        EXPECT_TRUE(app.on_screen(view.start_button));
        EXPECT_EQ(app.text("透明标签18"), view.progress_caption);
        EXPECT_EQ(app.text("透明标签2"), view.count_caption);
        // The common lower area stays whatever the panel.
        EXPECT_TRUE(app.on_screen("超级列表框1"));
        EXPECT_TRUE(app.on_screen("进度条1"));
    }
}

TEST_F(GuiWindow, TheRestorePanelsBrowseButtonDoesNothing) {
    ASSERT_NO_FATAL_FAILURE(launch());
    app.click("按钮4");
    ASSERT_TRUE(wait_until([&] { return app.on_screen("按钮10"); }));
    app.click("按钮10");
    ASSERT_TRUE(app.settle());
    std::this_thread::sleep_for(500ms);
    for (HWND window : top_level_windows(app.process_id())) {
        if (window != app.window() && IsWindowVisible(window))
            ADD_FAILURE() << "a window opened: " << describe(window_facts(window));
    }
    EXPECT_EQ(app.text("组合框_文件路径3"), "");
}

TEST_F(GuiWindow, TheExitButtonEndsTheProgramWithCodeZeroAndSavesNothing) {
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(type("组合框_文件路径", "C:\\typed-but-never-run"));
    app.click("按钮6");
    const std::optional<DWORD> code = app.wait_for_exit();
    ASSERT_TRUE(code.has_value()) << "still running";
    EXPECT_EQ(*code, 0u);
    EXPECT_FALSE(file_exists(app.settings_file())) << "nothing is saved at exit";
}

TEST_F(GuiWindow, TheFindPanelSwitchEndsARunningReplaceJob) {
    ASSERT_NO_FATAL_FAILURE(start_long_run());
    const int rows_before = app.row_count();
    app.click("按钮2");
    ASSERT_TRUE(wait_until([&] { return app.on_screen("分组框5"); }));
    // The worker in hand finishes its file, finds the list empty at its
    // next claim and gives the button back its idle caption.
    EXPECT_TRUE(wait_until([&] { return replace_idle(); }));
    const int changed = settled_changes(kLongRunFiles);
    EXPECT_LT(changed, kLongRunFiles);
    EXPECT_GE(app.row_count(), rows_before) << "the switch does not empty the result list";
    EXPECT_EQ(app.row_count(), changed) << "every listed file was written, no other";
    EXPECT_TRUE(replace_idle());
}

TEST_F(GuiWindow, TheRestoreAndReplacePanelSwitchesLeaveARunningJobAlone) {
    constexpr int kFiles = 600;
    ASSERT_NO_FATAL_FAILURE(start_long_run(kFiles));
    app.click("按钮4");
    ASSERT_TRUE(wait_until([&] { return app.on_screen("分组框6"); }));
    app.click("按钮1");
    ASSERT_TRUE(wait_until([&] { return app.on_screen("分组框3"); }));
    ASSERT_TRUE(
        wait_until([&] { return replace_idle() && app.row_count() == kFiles; }, kRunTimeout))
        << app.row_count() << " rows, caption " << app.text(kReplaceButton);
    EXPECT_EQ(settled_changes(kFiles), kFiles);
    EXPECT_EQ(app.text("透明标签2"), "成功替换数量为:" + std::to_string(kFiles));
}

// --- A replace run through the window ---------------------------------------

using GuiReplaceRun = GuiWindow;

TEST_F(GuiReplaceRun, TypedTextsReplaceInTheFilesAndTheWindowShowsRowsAndCounts) {
    const std::string chinese_before = gbk("第一行abc\r\n第二行");
    ASSERT_NO_FATAL_FAILURE(tree.put("a.txt", gbk("abc 中文 ABC abc\r\n")));
    ASSERT_NO_FATAL_FAILURE(tree.put("说明.txt", chinese_before));
    ASSERT_NO_FATAL_FAILURE(tree.put("readme", "abc"));
    ASSERT_NO_FATAL_FAILURE(tree.put("caps.txt", "ABC only"));
    ASSERT_NO_FATAL_FAILURE(tree.put("upper.TXT", "abc"));
    ASSERT_NO_FATAL_FAILURE(tree.put("none.txt", "nothing here"));
    ASSERT_NO_FATAL_FAILURE(tree.put("子目录\\f.htm", "<p>abc</p>"));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(fill_replace_panel("abc", "xyz"));
    ASSERT_NO_FATAL_FAILURE(tick("选择框_包含子文件夹"));
    ASSERT_NO_FATAL_FAILURE(tick("选择框_替换备份"));
    ASSERT_NO_FATAL_FAILURE(click_start());

    // Listed: every file holding abc in any case whose extension passes
    // (a.TXT does not; a name without a dot does).
    const std::set<std::string> hits = {tree.path("a.txt"), tree.path("说明.txt"),
                                        tree.path("readme"), tree.path("caps.txt"),
                                        tree.path("子目录\\f.htm")};
    ASSERT_TRUE(wait_until([&] { return replace_idle() && app.row_count() == int(hits.size()); },
                           kRunTimeout))
        << app.row_count() << " rows, caption " << app.text(kReplaceButton);
    ASSERT_TRUE(wait_until([&] { return tree.get("子目录\\f.htm") == "<p>xyz</p>"; }));

    const std::vector<ListRow> rows = app.rows();
    std::set<std::string> listed;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 2u);
        EXPECT_EQ(rows[i][0], std::to_string(i + 1)) << "rows are numbered in hit order";
        listed.insert(rows[i][1]);
    }
    EXPECT_EQ(listed, hits);
    EXPECT_EQ(app.text("透明标签2"), "成功替换数量为:5");
    EXPECT_EQ(app.text("透明标签19"), "找到文件:7");
    EXPECT_EQ(app.text("透明标签18"), "替换进度:");
    EXPECT_EQ(app.progress_maximum(), 7);
    EXPECT_EQ(app.progress_position(), 7);

    // Contents, case-sensitive replacement, GBK kept byte for byte.
    EXPECT_TRUE(wait_until([&] { return tree.get("a.txt") == gbk("xyz 中文 ABC xyz\r\n"); }))
        << tree.get("a.txt");
    EXPECT_EQ(tree.get("说明.txt"), gbk("第一行xyz\r\n第二行"));
    EXPECT_EQ(tree.get("readme"), "xyz");
    EXPECT_EQ(tree.get("caps.txt"), "ABC only");
    EXPECT_EQ(tree.get("upper.TXT"), "abc");
    EXPECT_EQ(tree.get("none.txt"), "nothing here");
    // Backups of the listed files only, as they were before.
    EXPECT_EQ(tree.get("a.txt.bak"), gbk("abc 中文 ABC abc\r\n"));
    EXPECT_EQ(tree.get("说明.txt.bak"), chinese_before);
    EXPECT_EQ(tree.get("readme.bak"), "abc");
    EXPECT_EQ(tree.get("caps.txt.bak"), "ABC only");
    EXPECT_EQ(tree.get("子目录\\f.htm.bak"), "<p>abc</p>");
    EXPECT_FALSE(tree.exists("upper.TXT.bak"));
    EXPECT_FALSE(tree.exists("none.txt.bak"));
}

// How an item of the encoding list gets chosen: by the user's arrow key, or
// by a tool's CB_SETCURSEL with or without the notification of a choice.
enum class Choice { arrow_key, selection_alone, selection_and_notification };

class GuiEncodingChoice : public GuiWindow, public ::testing::WithParamInterface<Choice> {};

TEST_P(GuiEncodingChoice, IsTheOneTheRunUses) {
    ASSERT_NO_FATAL_FAILURE(tree.put("u.txt", "编码中文abc\r\n"));  // UTF-8 source bytes
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(fill_replace_panel("中文", "汉字"));
    switch (GetParam()) {
        case Choice::arrow_key:
            app.press_key("组合框_编码格式", VK_DOWN);
            break;
        case Choice::selection_alone:
            ASSERT_TRUE(app.choose_item("组合框_编码格式", 1, false));
            break;
        case Choice::selection_and_notification:
            ASSERT_TRUE(app.choose_item("组合框_编码格式", 1, true));
            break;
    }
    ASSERT_TRUE(wait_until([&] { return app.text("组合框_编码格式") == "UTF8"; }))
        << app.text("组合框_编码格式");
    ASSERT_NO_FATAL_FAILURE(click_start());
    ASSERT_TRUE(wait_until([&] { return replace_idle() && app.row_count() == 1; }, kRunTimeout))
        << app.row_count() << " rows: the file was not read as UTF-8";
    EXPECT_TRUE(wait_until([&] { return tree.get("u.txt") == "编码汉字abc\r\n"; }))
        << "a UTF-8 file is written back in UTF-8: " << tree.get("u.txt");
}

INSTANTIATE_TEST_SUITE_P(GuiReplaceRun, GuiEncodingChoice,
                         ::testing::Values(Choice::arrow_key, Choice::selection_alone,
                                           Choice::selection_and_notification),
                         [](const ::testing::TestParamInfo<Choice>& info) {
                             switch (info.param) {
                                 case Choice::arrow_key:
                                     return std::string("ByArrowKey");
                                 case Choice::selection_alone:
                                     return std::string("BySelectionAlone");
                                 case Choice::selection_and_notification:
                                     return std::string("BySelectionAndNotification");
                             }
                             return std::string();
                         });

// Tools outside the window set texts with WM_SETTEXT rather than keystrokes,
// with or without the notification that typing would have sent, and tick
// check boxes with BM_SETCHECK.
class GuiTextsSetFromOutside : public GuiWindow, public ::testing::WithParamInterface<bool> {};

TEST_P(GuiTextsSetFromOutside, ReachTheRun) {
    const bool notify = GetParam();
    ASSERT_NO_FATAL_FAILURE(tree.put("a.txt", "one abc"));
    ASSERT_NO_FATAL_FAILURE(tree.put("b.htm", "two abc"));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(app.set_text("组合框_文件路径", tree.root(), notify));
    ASSERT_TRUE(app.set_text("组合框_查找内容", "abc", notify));
    ASSERT_TRUE(app.set_text("组合框_替换内容", "替换", notify));
    ASSERT_TRUE(app.set_text("组合框_文件格式", "*.txt", notify));
    ASSERT_TRUE(app.set_text("编辑框_线程", "2", notify));
    ASSERT_TRUE(app.set_checked("选择框_替换备份", true));
    ASSERT_NO_FATAL_FAILURE(click_start());
    if (app.message_box()) {
        FAIL() << "the texts did not reach the job, whose check says: "
               << app.wait_for_message_box().value_or("");
    }
    ASSERT_TRUE(wait_until([&] { return replace_idle() && app.row_count() == 1; }, kRunTimeout))
        << app.row_count() << " rows";
    EXPECT_TRUE(wait_until([&] { return tree.get("a.txt") == gbk("one 替换"); }));
    EXPECT_EQ(tree.get("b.htm"), "two abc") << "the pattern reached the job";
    EXPECT_EQ(app.rows().at(0).at(1), tree.path("a.txt"));
    EXPECT_EQ(tree.get("a.txt.bak"), "one abc") << "the ticked backup box reached the job";
}

INSTANTIATE_TEST_SUITE_P(GuiReplaceRun, GuiTextsSetFromOutside, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("WithTheNotification")
                                               : std::string("WithoutANotification");
                         });

TEST_F(GuiReplaceRun, AStopClickEndsTheRunAtOnce) {
    ASSERT_NO_FATAL_FAILURE(start_long_run());
    app.click(kReplaceButton);
    ASSERT_TRUE(wait_until([&] { return replace_idle(); }));
    ASSERT_TRUE(app.settle());
    // The click emptied the list and the rows; only the file in hand of the
    // one worker may still be listed and written after it.
    const int changed = settled_changes(kLongRunFiles);
    EXPECT_LT(changed, kLongRunFiles);
    EXPECT_LE(app.row_count(), 1);
    EXPECT_EQ(app.text("透明标签19"), "找到文件:0");
    EXPECT_TRUE(replace_idle());
}

TEST_F(GuiReplaceRun, EmptyingTheFindTextAndClickingStopShowsTheMessageYetEndsTheRun) {
    ASSERT_NO_FATAL_FAILURE(start_long_run());
    ASSERT_NO_FATAL_FAILURE(type("组合框_查找内容", ""));
    app.click(kReplaceButton);
    const std::optional<std::string> message = app.wait_for_message_box();
    ASSERT_TRUE(message.has_value()) << "no message box";
    EXPECT_EQ(*message, "查找内容不能为空");
    ASSERT_TRUE(app.close_message_box());
    // The failed check left the caption alone, but the click emptied the
    // list: the worker ends at its next claim and resets the caption.
    EXPECT_TRUE(wait_until([&] { return replace_idle(); })) << app.text(kReplaceButton);
    EXPECT_LT(settled_changes(kLongRunFiles), kLongRunFiles);
}

struct Edit {
    std::string_view box;
    std::string_view text;
};

struct FailingCheck {
    std::vector<Edit> edits;  // typed before the click
    std::string_view message;
};

TEST_F(GuiReplaceRun, EachFailingCheckShowsItsMessageInATaskModalBox) {
    ASSERT_NO_FATAL_FAILURE(launch());
    // Each step mends the previous failure and makes the next check fail,
    // in the order the handler checks. The path starts empty.
    const FailingCheck steps[] = {
        {{}, "文件目录不能为空"},
        {{{"组合框_文件路径", "\\\\server\\share"}}, "查找内容不能为空"},
        {{{"组合框_查找内容", "abc"}}, "替换内容不能为空"},
        {{{"组合框_替换内容", "xyz"}, {"组合框_文件格式", ""}}, "文件格式不能为空"},
        {{{"组合框_文件格式", "*"}}, "文件路径错误"},
        {{{"组合框_文件路径", "C:\\qelvo-nowhere"}}, "文件格式错误"},
    };
    for (const FailingCheck& step : steps) {
        SCOPED_TRACE(std::string(step.message));
        for (const Edit& edit : step.edits) ASSERT_NO_FATAL_FAILURE(type(edit.box, edit.text));
        app.click(kReplaceButton);
        const std::optional<std::string> message = app.wait_for_message_box();
        ASSERT_TRUE(message.has_value()) << "no message box";
        EXPECT_EQ(*message, step.message);
        HWND box = app.message_box();
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr) << "the box has no owner";
        EXPECT_FALSE(IsWindowEnabled(app.window())) << "the box is modal for the whole task";
        EXPECT_NE(GetDlgItem(box, IDOK), nullptr) << "an OK button";
        ASSERT_TRUE(app.close_message_box());
        EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(app.window()) != FALSE; }));
        EXPECT_TRUE(replace_idle());
    }
    EXPECT_FALSE(file_exists(app.settings_file())) << "a failing check saves no history";

    // Mended, the click starts a run; the missing directory lists nothing,
    // so it ends at once.
    ASSERT_NO_FATAL_FAILURE(type("组合框_文件格式", "*.txt"));
    ASSERT_NO_FATAL_FAILURE(click_start());
    EXPECT_EQ(app.message_box(), nullptr);
    EXPECT_TRUE(wait_until([&] { return replace_idle(); }));
    EXPECT_TRUE(wait_until([&] { return file_exists(app.settings_file()); }));
}

// --- The settings file --------------------------------------------------------

using GuiSettings = GuiWindow;

std::string numbered_keys_text(const std::map<std::string, std::string>& keys) {
    std::string text;
    for (const auto& [key, value] : keys) text += key + "=" + codepage::gbk_to_utf8(value) + "; ";
    return text;
}

TEST_F(GuiSettings, ARunSavesItsTextsInGbkBesideTheProgram) {
    ASSERT_NO_FATAL_FAILURE(tree.put("page.htm", "abc"));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(fill_replace_panel("abc", "xyz"));
    ASSERT_NO_FATAL_FAILURE(type("组合框_文件格式", "*.htm"));
    ASSERT_NO_FATAL_FAILURE(click_start());
    ASSERT_TRUE(wait_until([&] { return replace_idle() && app.row_count() == 1; }, kRunTimeout));

    const std::optional<std::string> bytes = read_bytes(app.settings_file());
    ASSERT_TRUE(bytes.has_value()) << "no data.ini beside the program";
    EXPECT_NE(bytes->find(gbk(tree.root())), std::string::npos) << "the path is stored in GBK";
    IniFile ini = parse_ini(*bytes);
    // The replace text is saved last, over the find text's key 1 of the
    // section they share; *.htm is a layout item, so no format is saved.
    const std::map<std::string, std::string> paths = {{"1", gbk(tree.root())}};
    const std::map<std::string, std::string> texts = {{"1", "xyz"}};
    EXPECT_EQ(ini[gbk("文件路径")], paths) << numbered_keys_text(ini[gbk("文件路径")]);
    EXPECT_EQ(ini[gbk("查找内容")], texts) << numbered_keys_text(ini[gbk("查找内容")]);
    EXPECT_FALSE(parse_ini(*bytes).contains(gbk("文件格式")));

    // The combo boxes that were saved hold their texts as items now.
    EXPECT_EQ(app.items("组合框_文件路径"), std::vector<std::string>{tree.root()});
    EXPECT_EQ(app.items("组合框_查找内容"), std::vector<std::string>{"abc"});
    EXPECT_EQ(app.items("组合框_替换内容"), std::vector<std::string>{"xyz"});
    EXPECT_EQ(app.items("组合框_文件格式"), layout_items("组合框_文件格式"));
}

TEST_F(GuiSettings, APatternThatIsNoLayoutItemSavesTheWholeFormatList) {
    ASSERT_NO_FATAL_FAILURE(tree.put("abc.txt", "abc"));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(fill_replace_panel("abc", "xyz"));
    ASSERT_NO_FATAL_FAILURE(type("组合框_文件格式", "a*.txt"));
    ASSERT_NO_FATAL_FAILURE(click_start());
    ASSERT_TRUE(wait_until([&] { return replace_idle() && app.row_count() == 1; }, kRunTimeout));

    std::vector<std::string> expected = layout_items("组合框_文件格式");
    expected.push_back("a*.txt");
    EXPECT_EQ(app.items("组合框_文件格式"), expected);
    const std::optional<std::string> bytes = read_bytes(app.settings_file());
    ASSERT_TRUE(bytes.has_value());
    const std::map<std::string, std::string> formats = parse_ini(*bytes)[gbk("文件格式")];
    ASSERT_EQ(formats.size(), expected.size()) << numbered_keys_text(formats);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto value = formats.find(std::to_string(i + 1));
        ASSERT_NE(value, formats.end()) << "key " << i + 1;
        EXPECT_EQ(value->second, expected[i]) << "key " << i + 1;
    }
}

TEST_F(GuiSettings, APreparedFileFillsTheComboBoxesAtStart) {
    const std::string long_value(12000, 'x');
    // Keys 1, 2 and 4: the load stops at the missing 3. An empty value
    // ends a list as well. A value longer than the read buffer is cut.
    ASSERT_TRUE(write_bytes(app.settings_file(), gbk("[文件路径]\r\n"
                                                     "1=C:\\甲目录\r\n"
                                                     "2=D:\\b\r\n"
                                                     "4=E:\\never\r\n"
                                                     "[查找内容]\r\n"
                                                     "1=旧文本\r\n"
                                                     "2=") +
                                                     long_value +
                                                     gbk("\r\n"
                                                         "3=\r\n"
                                                         "4=never\r\n"
                                                         "[文件格式]\r\n"
                                                         "1=*.foo\r\n"
                                                         "2=*.*\r\n")));
    ASSERT_NO_FATAL_FAILURE(launch());

    const std::vector<std::string> paths = {"C:\\甲目录", "D:\\b"};
    for (std::string_view box : {"组合框_文件路径", "组合框_文件路径2", "组合框_文件路径3"})
        EXPECT_EQ(app.items(box), paths) << box;
    const std::vector<std::string> texts = {"旧文本", std::string(10239, 'x')};
    for (std::string_view box : {"组合框_查找内容", "组合框_替换内容", "组合框_查找内容2"}) {
        const std::vector<std::string> items = app.items(box);
        EXPECT_EQ(items.size(), texts.size()) << box;
        EXPECT_TRUE(items == texts) << box << ": loaded items differ (sizes "
                                    << (items.size() > 1 ? items[1].size() : 0) << ")";
    }
    // Saved patterns come after the layout's, doubles and all.
    for (std::string_view box : {"组合框_文件格式", "组合框_文件格式2"}) {
        std::vector<std::string> expected = layout_items(box);
        expected.push_back("*.foo");
        expected.push_back("*.*");
        EXPECT_EQ(app.items(box), expected) << box;
    }
    // Loading adds items; the texts shown stay the layout's.
    EXPECT_EQ(app.text("组合框_文件路径"), "");
    EXPECT_EQ(app.text("组合框_文件格式"), "*.*");
    EXPECT_EQ(app.text("组合框_文件格式2"), "");
}

TEST_F(GuiSettings, StartingWithTextsAlreadyInTheListsWritesNothing) {
    ASSERT_NO_FATAL_FAILURE(tree.put("a.txt", "abc"));
    const std::string prepared =
        gbk("[文件路径]\r\n1=" + tree.root() + "\r\n[查找内容]\r\n1=xyz\r\n2=abc\r\n");
    ASSERT_TRUE(write_bytes(app.settings_file(), prepared));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(fill_replace_panel("abc", "xyz"));
    ASSERT_NO_FATAL_FAILURE(click_start());
    ASSERT_TRUE(wait_until([&] { return replace_idle() && app.row_count() == 1; }, kRunTimeout));
    EXPECT_TRUE(wait_until([&] { return tree.get("a.txt") == "xyz"; }));
    EXPECT_EQ(read_bytes(app.settings_file()), prepared);
}

// --- Pictures for a person to look at -----------------------------------------

#ifdef QELVO_SCREENSHOT_DIR
TEST_F(GuiWindow, EachPanelIsSavedAsAScreenshot) {
    ASSERT_NO_FATAL_FAILURE(launch());
    const std::filesystem::path directory = windows_path(QELVO_SCREENSHOT_DIR);
    // The replace panel as the window opens; the others as their buttons
    // show them.
    const PanelView views[] = {
        {"", "分组框3", "按钮_开始替换", "", ""},
        {"按钮2", "分组框5", "按钮_开始查找", "", ""},
        {"按钮4", "分组框6", "按钮_执行", "", ""},
    };
    const char* const names[] = {"screenshot-replace.png", "screenshot-find.png",
                                 "screenshot-restore.png"};
    for (std::size_t i = 0; i < std::size(views); ++i) {
        SCOPED_TRACE(names[i]);
        if (!views[i].button.empty()) app.click(views[i].button);
        ASSERT_TRUE(wait_until([&] { return app.on_screen(views[i].panel); }));
        ASSERT_NO_FATAL_FAILURE(replace_screenshot(app, directory / names[i]));
    }
}

long dark_pixels(const std::vector<COLORREF>& pixels) {
    return std::ranges::count_if(pixels, [](COLORREF pixel) {
        return GetRValue(pixel) < 110 && GetGValue(pixel) < 110 && GetBValue(pixel) < 110;
    });
}

// The skin paints the run as it goes: rows in the list, the filled part of
// the progress bar and the count labels are on the screen before the run
// ends, and a picture of the window in mid-run is kept.
TEST_F(GuiReplaceRun, SkinnedWindowPaintsRowsProgressAndLabelsWhileTheRunGoes) {
    ASSERT_NO_FATAL_FAILURE(make_many_files(kLongRunFiles));
    ASSERT_NO_FATAL_FAILURE(launch());
    SetWindowPos(app.window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const RECT list = area_in_window(app.window(), app.control("超级列表框1"));
    const RECT progress = area_in_window(app.window(), app.control("进度条1"));
    const RECT found = area_in_window(app.window(), app.control("透明标签19"));
    ASSERT_TRUE(app.settle());
    const std::vector<COLORREF> list_before = screen_pixels(app.window(), list);
    const std::vector<COLORREF> progress_before = screen_pixels(app.window(), progress);

    ASSERT_NO_FATAL_FAILURE(fill_replace_panel("abc", "xyz"));
    ASSERT_NO_FATAL_FAILURE(type("编辑框_线程", "1"));
    ASSERT_NO_FATAL_FAILURE(tick("选择框_包含子文件夹"));
    app.click(kReplaceButton);
    ASSERT_TRUE(wait_until([&] {
        return app.text(kReplaceButton) == kReplaceRunning && app.row_count() >= 20 &&
               app.progress_position() > 0;
    })) << app.row_count()
        << " rows";
    ASSERT_TRUE(app.settle());

    EXPECT_NE(screen_pixels(app.window(), list), list_before) << "no row is painted";
    EXPECT_GT(dark_pixels(screen_pixels(app.window(), list)), dark_pixels(list_before));
    EXPECT_NE(screen_pixels(app.window(), progress), progress_before) << "the bar did not fill";
    EXPECT_GT(dark_pixels(screen_pixels(app.window(), found)), 0) << "the label shows no text";
    ASSERT_NO_FATAL_FAILURE(
        replace_screenshot(app, windows_path(QELVO_SCREENSHOT_DIR) / "skinned-run.png"));
    EXPECT_EQ(app.text(kReplaceButton), kReplaceRunning) << "the run ended before the picture";

    app.click(kReplaceButton);
    EXPECT_TRUE(wait_until([&] { return replace_idle(); }, kRunTimeout));
}
#endif

}  // namespace
}  // namespace qelvo::gui_test

#endif  // _WIN32 && QELVO_GUI_PATH
