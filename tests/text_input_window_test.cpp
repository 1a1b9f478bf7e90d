// The text input window, run in this process on the test display: what it
// shows, what each way of closing it gives back, importing a file, its
// layout on resize, and the icon beside the text combo boxes with the modal
// run that writes the text back into the model.
#ifdef _WIN32

#include "ui/win32/text_input_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/control_model.h"
#include "engine/gbk_literal.h"
#include "tests/dialog_answer.h"
#include "tests/temp_tree.h"

namespace qelvo::ui {
namespace {

using qelvo::testing::DialogAnswer;

using namespace std::string_literals;

constexpr wchar_t kTitle[] = L"请输入文本:【按Esc可以快速关闭该窗口】";

// Handles everything queued for this thread, as a message loop would.
void pump_messages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::wstring text_of(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

Geometry client_geometry(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void expect_geometry(HWND control, Geometry expected) {
    const Geometry actual = client_geometry(control);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.width, expected.width);
    EXPECT_EQ(actual.height, expected.height);
}

// One input window created for a test, and every report of its closing.
class InputWindow {
  public:
    explicit InputWindow(std::string_view combo_text) {
        window_ = create_text_input_window(
            combo_text, [this](TextInputResult result) { closings_.push_back(std::move(result)); });
    }
    ~InputWindow() {
        if (IsWindow(window_)) DestroyWindow(window_);
        pump_messages();
    }
    InputWindow(const InputWindow&) = delete;
    InputWindow& operator=(const InputWindow&) = delete;

    HWND window() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }
    HWND text_box() const { return control(kTextBoxId); }
    std::wstring edit_text() const { return text_of(text_box()); }

    void click(int id) const {
        SendMessageW(control(id), BM_CLICK, 0, 0);
        pump_messages();
    }

    bool open() const { return IsWindow(window_) != FALSE; }
    const std::vector<TextInputResult>& closings() const { return closings_; }

  private:
    HWND window_ = nullptr;
    std::vector<TextInputResult> closings_;
};

// ---------------------------------------------------------------------------------------------
// What the window shows

TEST(TextInputWindowLook, TitleSizeAndCaptions) {
    InputWindow input("");
    ASSERT_TRUE(input.open());
    EXPECT_EQ(text_of(input.window()), kTitle);
    RECT outer{};
    GetWindowRect(input.window(), &outer);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.top, 50);
    EXPECT_EQ(outer.right - outer.left, 510);
    EXPECT_EQ(outer.bottom - outer.top, 370);
    EXPECT_TRUE(IsWindowVisible(input.window()));
    EXPECT_EQ(GetWindow(input.window(), GW_OWNER), nullptr);
    EXPECT_EQ(text_of(input.control(kImportButtonId)), L"导入文本");
    EXPECT_EQ(text_of(input.control(kConfirmButtonId)), L"确认");
    EXPECT_EQ(text_of(input.control(kCancelButtonId)), L"取消");
}

TEST(TextInputWindowLook, TextBoxIsMultiLineWithVerticalScrollAndTakesReturn) {
    InputWindow input("");
    const LONG_PTR style = GetWindowLongPtrW(input.text_box(), GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & ES_WANTRETURN);
}

TEST(TextInputWindowLook, TypingGoesOnPastAnEditBoxsDefaultLimit) {
    // An edit box takes about 32K characters from the keyboard unless told
    // otherwise; long find texts are what this window is for.
    InputWindow input("");
    std::wstring long_text;
    for (int line = 0; line < 400; ++line) long_text += std::wstring(98, L'x') + L"\r\n";
    SetWindowTextW(input.text_box(), long_text.c_str());
    SendMessageW(input.text_box(), EM_SETSEL, long_text.size(), long_text.size());
    SendMessageW(input.text_box(), WM_CHAR, L'y', 0x00150001);
    const std::wstring typed = input.edit_text();
    EXPECT_EQ(typed.size(), long_text.size() + 1);
    EXPECT_TRUE(typed.ends_with(L"\r\ny"));
}

TEST(TextInputWindowLook, ControlsFollowTheResizeLayoutFromTheStart) {
    InputWindow input("");
    expect_geometry(input.text_box(), {8, 8, 490, 285});
    expect_geometry(input.control(kImportButtonId), {8, 302, 96, 27});
    expect_geometry(input.control(kConfirmButtonId), {330, 302, 80, 27});
    expect_geometry(input.control(kCancelButtonId), {418, 302, 80, 27});
}

TEST(TextInputWindowLook, HandCursorOverTheImportButtonOnly) {
    InputWindow input("");
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    const LPARAM mouse_move = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    EXPECT_TRUE(SendMessageW(input.window(), WM_SETCURSOR,
                             reinterpret_cast<WPARAM>(input.control(kImportButtonId)), mouse_move));
    EXPECT_EQ(GetCursor(), hand);
    SendMessageW(input.window(), WM_SETCURSOR,
                 reinterpret_cast<WPARAM>(input.control(kConfirmButtonId)), mouse_move);
    EXPECT_NE(GetCursor(), hand);
}

// ---------------------------------------------------------------------------------------------
// Fill and write back

TEST(TextInputWindowFill, EscapedLineBreaksOpenAsLines) {
    InputWindow input("a\\nb");
    EXPECT_EQ(input.edit_text(), L"a\r\nb");
}

TEST(TextInputWindowFill, ChineseTextIsShownThroughCodePage936) {
    InputWindow input(gbk("第一行\\n第二行"));
    EXPECT_EQ(input.edit_text(), L"第一行\r\n第二行");
}

TEST(TextInputWindowConfirm, UnchangedTextGoesBackAsItCame) {
    InputWindow input("a\\nb");
    input.click(kConfirmButtonId);
    EXPECT_FALSE(input.open());
    ASSERT_EQ(input.closings().size(), 1u);
    EXPECT_EQ(input.closings()[0], "a\\nb");
}

TEST(TextInputWindowConfirm, OnlyCarriageReturnLineFeedBecomesAnEscape) {
    InputWindow input("");
    SetWindowTextW(input.text_box(), L"x\r\ny\nz\r中");
    input.click(kConfirmButtonId);
    ASSERT_EQ(input.closings().size(), 1u);
    EXPECT_EQ(input.closings()[0], "x\\ny\nz\r" + gbk("中"));
}

TEST(TextInputWindowConfirm, EmptyTextIsAResultToo) {
    InputWindow input("old text");
    SetWindowTextW(input.text_box(), L"");
    input.click(kConfirmButtonId);
    ASSERT_EQ(input.closings().size(), 1u);
    EXPECT_EQ(input.closings()[0], "");
}

// ---------------------------------------------------------------------------------------------
// Closing without writing back

TEST(TextInputWindowClose, CancelAfterEditingGivesNothing) {
    InputWindow input("a\\nb");
    SetWindowTextW(input.text_box(), L"changed");
    input.click(kCancelButtonId);
    EXPECT_FALSE(input.open());
    ASSERT_EQ(input.closings().size(), 1u);
    EXPECT_EQ(input.closings()[0], std::nullopt);
}

TEST(TextInputWindowClose, CloseButtonGivesNothing) {
    InputWindow input("a");
    SendMessageW(input.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    pump_messages();
    EXPECT_FALSE(input.open());
    ASSERT_EQ(input.closings().size(), 1u);
    EXPECT_EQ(input.closings()[0], std::nullopt);
}

TEST(TextInputWindowClose, EscapeInAnyControlOrTheWindowGivesNothing) {
    const std::vector<std::pair<const char*, int>> targets = {{"text box", kTextBoxId},
                                                              {"import button", kImportButtonId},
                                                              {"confirm button", kConfirmButtonId},
                                                              {"cancel button", kCancelButtonId},
                                                              {"window", 0}};
    for (const auto& [where, id] : targets) {
        SCOPED_TRACE(where);
        InputWindow input("a\\nb");
        HWND receiver = id ? input.control(id) : input.window();
        SetWindowTextW(input.text_box(), L"changed");
        SendMessageW(receiver, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        pump_messages();
        EXPECT_FALSE(input.open());
        ASSERT_EQ(input.closings().size(), 1u);
        EXPECT_EQ(input.closings()[0], std::nullopt);
    }
}

TEST(TextInputWindowClose, OtherKeysInTheTextBoxKeepItOpen) {
    InputWindow input("a");
    SendMessageW(input.text_box(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    SendMessageW(input.text_box(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    pump_messages();
    EXPECT_TRUE(input.open());
    EXPECT_TRUE(input.closings().empty());
}

// ---------------------------------------------------------------------------------------------
// Import

class TextInputWindowImport : public ::testing::Test {
  protected:
    std::wstring write_file(std::string_view gbk_name, std::string_view bytes) {
        tree_.write(gbk_name, bytes);
        return tree_.native(gbk_name).wstring();
    }
    qelvo::testing::TempTree tree_;
};

TEST_F(TextInputWindowImport, TakesTheFileUpToTheEndOfFileMarkWithItsLineBreaksAsTheyAre) {
    InputWindow input("keep?");
    import_text_file(input.window(),
                     write_file(gbk("导入.txt"), gbk("一\r\n二\n三") + "\x1A"
                                                                       "after\0more"s));
    EXPECT_EQ(input.edit_text(), L"一\r\n二\n三");
}

TEST_F(TextInputWindowImport, StopsAtAZeroByte) {
    InputWindow input("");
    import_text_file(input.window(), write_file("zero.txt", "before\0after\x1A"s));
    EXPECT_EQ(input.edit_text(), L"before");
}

TEST_F(TextInputWindowImport, ReplacesTheWholeText) {
    InputWindow input("a\\nb\\nc");
    import_text_file(input.window(), write_file("short.txt", "x"));
    EXPECT_EQ(input.edit_text(), L"x");
}

TEST_F(TextInputWindowImport, UnreadableFileEmptiesTheTextBox) {
    InputWindow input("a\\nb");
    import_text_file(input.window(), tree_.native("missing.txt").wstring());
    EXPECT_EQ(input.edit_text(), L"");
    EXPECT_TRUE(input.open());
}

TEST_F(TextInputWindowImport, FileNameOutsideGbkIsStillRead) {
    InputWindow input("");
    const std::filesystem::path file = tree_.native("") / L"한국어.txt";
    {
        HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(handle, "korean", 6, &written, nullptr);
        CloseHandle(handle);
    }
    import_text_file(input.window(), file.wstring());
    EXPECT_EQ(input.edit_text(), L"korean");
    DeleteFileW(file.c_str());
}

TEST_F(TextInputWindowImport, ImportedTextIsWrittenBackLikeTypedText) {
    InputWindow input("");
    import_text_file(input.window(), write_file("unix.txt", "a\nb\r\nc"));
    input.click(kConfirmButtonId);
    ASSERT_EQ(input.closings().size(), 1u);
    EXPECT_EQ(input.closings()[0], "a\nb\\nc");
}

// Control identifiers of the system's open-file dialog.
constexpr int kFileTypeCombo = 0x470;  // cmb1
constexpr int kFileNameCombo = 0x47C;  // cmb13

TEST_F(TextInputWindowImport, DialogOffersTextFilesAndReadsTheChosenOne) {
    InputWindow input("before");
    const std::wstring file = write_file(gbk("选中.txt"), gbk("选中的文本\r\n第二行"));
    std::wstring file_type;
    DialogAnswer answer([&](HWND dialog) {
        HWND types = GetDlgItem(dialog, kFileTypeCombo);
        const LRESULT length = SendMessageW(types, CB_GETLBTEXTLEN, 0, 0);
        if (length > 0) {
            file_type.resize(static_cast<std::size_t>(length) + 1);
            SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(file_type.data()));
            file_type.resize(static_cast<std::size_t>(length));
        }
        SetDlgItemTextW(dialog, kFileNameCombo, file.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    input.click(kImportButtonId);
    ASSERT_TRUE(answer.answered());
    EXPECT_EQ(file_type, L"文本文件(*.txt)");
    EXPECT_EQ(input.edit_text(), L"选中的文本\r\n第二行");
    EXPECT_TRUE(input.open());
}

TEST_F(TextInputWindowImport, CancelledDialogLeavesTheTextBox) {
    InputWindow input("a\\nb");
    DialogAnswer answer([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    input.click(kImportButtonId);
    ASSERT_TRUE(answer.answered());
    EXPECT_EQ(input.edit_text(), L"a\r\nb");
    EXPECT_TRUE(input.open());
}

// ---------------------------------------------------------------------------------------------
// Layout on resize

TEST(TextInputWindowResize, SixHundredByFourHundred) {
    InputWindow input("");
    SetWindowPos(input.window(), nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER);
    expect_geometry(input.text_box(), {8, 8, 580, 315});
    expect_geometry(input.control(kImportButtonId), {8, 332, 96, 27});
    expect_geometry(input.control(kConfirmButtonId), {420, 332, 80, 27});
    expect_geometry(input.control(kCancelButtonId), {508, 332, 80, 27});
}

TEST(TextInputWindowResize, FollowsEveryResizeBothWays) {
    InputWindow input("");
    MoveWindow(input.window(), 10, 10, 800, 600, TRUE);
    expect_geometry(input.text_box(), {8, 8, 780, 515});
    expect_geometry(input.control(kCancelButtonId), {708, 532, 80, 27});
    MoveWindow(input.window(), 10, 10, 400, 300, TRUE);
    expect_geometry(input.text_box(), {8, 8, 380, 215});
    expect_geometry(input.control(kConfirmButtonId), {220, 232, 80, 27});
    expect_geometry(input.control(kImportButtonId), {8, 232, 96, 27});
}

// ---------------------------------------------------------------------------------------------
// The icon and the modal run

constexpr std::string_view kIcon = "图片框_编辑框";
constexpr std::string_view kFindText = "组合框_查找内容";
constexpr std::string_view kReplaceText = "组合框_替换内容";
constexpr std::string_view kFindText2 = "组合框_查找内容2";

TEST(TextInputIconFocus, TextComboGainingFocusShowsTheIconInsideItsRightEnd) {
    ControlModel controls;
    TextInputIcon icon(controls);
    ASSERT_FALSE(controls.visible(kIcon));
    // The combo's top within its panel plus 70.
    for (const auto& [combo, icon_top] :
         {std::pair{kFindText, 115}, {kReplaceText, 141}, {kFindText2, 124}}) {
        SCOPED_TRACE(std::string(combo));
        icon.on_text_combo_focus(combo, true);
        EXPECT_TRUE(controls.visible(kIcon));
        EXPECT_EQ(controls.geometry(kIcon), (Geometry{409, icon_top, 18, 16}));
        icon.on_text_combo_focus(combo, false);
        EXPECT_FALSE(controls.visible(kIcon));
        EXPECT_EQ(controls.geometry(kIcon), (Geometry{409, icon_top, 18, 16}));
    }
}

TEST(TextInputIconFocus, OtherCombosHaveNoIcon) {
    ControlModel controls;
    TextInputIcon icon(controls);
    icon.on_text_combo_focus(kFindText, true);
    icon.on_text_combo_focus("组合框_文件路径", true);
    EXPECT_TRUE(controls.visible(kIcon));
    EXPECT_EQ(controls.geometry(kIcon).top, 115);
    icon.on_text_combo_focus(kFindText, false);
    icon.on_text_combo_focus("组合框_文件格式", true);
    EXPECT_FALSE(controls.visible(kIcon));
}

TEST(TextInputIconFocus, ClickBeforeAnyTextComboHadFocusOpensNothing) {
    ControlModel controls;
    TextInputIcon icon(controls);
    icon.on_icon_click();
    EXPECT_FALSE(icon.input_window_open());
    EXPECT_EQ(FindWindowW(nullptr, kTitle), nullptr);
}

// Runs a step inside the input window's own message loop, once it is up.
class InsideModalRun {
  public:
    explicit InsideModalRun(std::function<void(HWND)> step) {
        current_ = this;
        step_ = std::move(step);
        timer_ = SetTimer(nullptr, 0, 10, &InsideModalRun::on_timer);
    }
    ~InsideModalRun() {
        if (timer_) KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    InsideModalRun(const InsideModalRun&) = delete;
    InsideModalRun& operator=(const InsideModalRun&) = delete;

    bool ran() const { return ran_; }

  private:
    static void CALLBACK on_timer(HWND, UINT, UINT_PTR, DWORD) {
        InsideModalRun* self = current_;
        if (!self || self->ran_) return;
        HWND window = FindWindowW(nullptr, kTitle);
        if (!window) return;
        KillTimer(nullptr, self->timer_);
        self->timer_ = 0;
        self->ran_ = true;
        self->step_(window);
    }

    static inline InsideModalRun* current_ = nullptr;
    std::function<void(HWND)> step_;
    UINT_PTR timer_ = 0;
    bool ran_ = false;
};

TEST(TextInputIconRun, ConfirmWritesTheEditedTextIntoTheTargetCombo) {
    ControlModel controls;
    controls.set_text(kReplaceText, "a\\nb");
    TextInputIcon icon(controls);
    icon.on_text_combo_focus(kReplaceText, true);
    std::wstring shown;
    InsideModalRun step([&](HWND window) {
        EXPECT_TRUE(icon.input_window_open());
        shown = text_of(GetDlgItem(window, kTextBoxId));
        // The input window takes the focus from the combo: the icon stays.
        icon.on_text_combo_focus(kReplaceText, false);
        EXPECT_TRUE(controls.visible(kIcon));
        SetWindowTextW(GetDlgItem(window, kTextBoxId), L"第一\r\n第二");
        SendMessageW(GetDlgItem(window, kConfirmButtonId), BM_CLICK, 0, 0);
    });
    icon.on_icon_click();
    ASSERT_TRUE(step.ran());
    EXPECT_EQ(shown, L"a\r\nb");
    EXPECT_EQ(controls.text(kReplaceText), gbk("第一\\n第二"));
    EXPECT_FALSE(icon.input_window_open());
    EXPECT_EQ(FindWindowW(nullptr, kTitle), nullptr);
}

// A stand-in for a text combo of the main window: a top-level edit box that
// has the focus and reports losing it, as the main window does on
// CBN_KILLFOCUS.
class FocusedTextCombo {
  public:
    explicit FocusedTextCombo(TextInputIcon& icon) {
        window_ = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 100, 200,
                                  80, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetPropW(window_, kIconProperty, &icon);
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure)));
        SetPropW(window_, kPreviousProperty, reinterpret_cast<HANDLE>(previous_));
        SetForegroundWindow(window_);
        SetFocus(window_);
        pump_messages();
    }
    ~FocusedTextCombo() {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        RemovePropW(window_, kIconProperty);
        RemovePropW(window_, kPreviousProperty);
        DestroyWindow(window_);
        pump_messages();
    }
    FocusedTextCombo(const FocusedTextCombo&) = delete;
    FocusedTextCombo& operator=(const FocusedTextCombo&) = delete;

    bool has_focus() const { return GetFocus() == window_; }

  private:
    static constexpr wchar_t kIconProperty[] = L"QelvoTestIcon";
    static constexpr wchar_t kPreviousProperty[] = L"QelvoTestPrevious";

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        auto* icon = static_cast<TextInputIcon*>(GetPropW(window, kIconProperty));
        if (message == WM_SETFOCUS && icon) icon->on_text_combo_focus(kFindText, true);
        if (message == WM_KILLFOCUS && icon) icon->on_text_combo_focus(kFindText, false);
        const auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, kPreviousProperty));
        return CallWindowProcW(previous, window, message, wparam, lparam);
    }

    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
};

TEST(TextInputIconRun, IconStaysWhileTheInputWindowHasTheFocus) {
    ControlModel controls;
    TextInputIcon icon(controls);
    FocusedTextCombo combo(icon);
    ASSERT_TRUE(combo.has_focus());
    icon.on_text_combo_focus(kFindText, true);
    bool combo_lost_focus = false;
    bool icon_shown = false;
    InsideModalRun step([&](HWND window) {
        combo_lost_focus = !combo.has_focus();
        icon_shown = controls.visible(kIcon);
        SendMessageW(GetDlgItem(window, kCancelButtonId), BM_CLICK, 0, 0);
    });
    icon.on_icon_click();
    ASSERT_TRUE(step.ran());
    EXPECT_TRUE(combo_lost_focus);
    EXPECT_TRUE(icon_shown);
}

TEST(TextInputIconRun, CancelLeavesTheComboAsItWas) {
    ControlModel controls;
    controls.set_text(kFindText, "a\\nb");
    TextInputIcon icon(controls);
    icon.on_text_combo_focus(kFindText, true);
    InsideModalRun step([&](HWND window) {
        SetWindowTextW(GetDlgItem(window, kTextBoxId), L"changed");
        SendMessageW(GetDlgItem(window, kCancelButtonId), BM_CLICK, 0, 0);
    });
    const std::uint64_t version = controls.version();
    icon.on_icon_click();
    ASSERT_TRUE(step.ran());
    EXPECT_EQ(controls.text(kFindText), "a\\nb");
    EXPECT_EQ(controls.version(), version);
}

TEST(TextInputIconRun, SecondClickWhileOpenOpensNoSecondWindow) {
    ControlModel controls;
    TextInputIcon icon(controls);
    icon.on_text_combo_focus(kFindText2, true);
    int windows = 0;
    InsideModalRun step([&](HWND window) {
        icon.on_icon_click();  // returns at once
        EnumWindows(
            [](HWND candidate, LPARAM count) {
                if (text_of(candidate) == kTitle) ++*reinterpret_cast<int*>(count);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&windows));
        SendMessageW(GetDlgItem(window, kCancelButtonId), BM_CLICK, 0, 0);
    });
    icon.on_icon_click();
    ASSERT_TRUE(step.ran());
    EXPECT_EQ(windows, 1);
}

TEST(TextInputIconRun, TextGoesToTheComboThatIsTheTargetWhenTheWindowCloses) {
    // The main window stays usable while the input window is open.
    ControlModel controls;
    controls.set_text(kFindText, "find");
    controls.set_text(kReplaceText, "replace");
    TextInputIcon icon(controls);
    icon.on_text_combo_focus(kFindText, true);
    InsideModalRun step([&](HWND window) {
        icon.on_text_combo_focus(kFindText, false);
        icon.on_text_combo_focus(kReplaceText, true);
        SendMessageW(GetDlgItem(window, kConfirmButtonId), BM_CLICK, 0, 0);
    });
    icon.on_icon_click();
    ASSERT_TRUE(step.ran());
    EXPECT_EQ(controls.text(kFindText), "find");
    EXPECT_EQ(controls.text(kReplaceText), "find");
}

TEST(TextInputIconRun, QuitDuringTheRunClosesTheWindowAndReachesTheOuterLoop) {
    ControlModel controls;
    controls.set_text(kFindText, "kept");
    TextInputIcon icon(controls);
    icon.on_text_combo_focus(kFindText, true);
    InsideModalRun step([](HWND) { PostQuitMessage(7); });
    icon.on_icon_click();
    ASSERT_TRUE(step.ran());
    EXPECT_FALSE(icon.input_window_open());
    EXPECT_EQ(FindWindowW(nullptr, kTitle), nullptr);
    EXPECT_EQ(controls.text(kFindText), "kept");
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
}

}  // namespace
}  // namespace qelvo::ui

#endif  // _WIN32
