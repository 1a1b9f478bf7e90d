// Drives the real qelvo.exe from outside its process, the way a user sees
// it: a copy of the program runs in a directory of its own (so its data.ini
// and cache folder belong to one test), its main window is found among the
// top-level windows, its controls are found by the class, parent and
// geometry the layout table gives them, texts are typed as keystrokes,
// buttons are clicked, and the list view, labels and message box are read
// back through window messages. Texts cross this interface as UTF-8.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/control_kind.h"
#include "engine/main_window_layout.h"

namespace qelvo::gui_test {

// Every wait is bounded: Wine is slow to start a program, but a window
// that has not reacted after this long never will.
inline constexpr std::chrono::milliseconds kWaitTimeout{10000};

// Polls the condition until it holds; false when the timeout passed first.
bool wait_until(const std::function<bool()>& condition,
                std::chrono::milliseconds timeout = kWaitTimeout);

std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view wide);

// A path given at build time (on the build host it is a POSIX path, which
// Wine reaches through drive Z:) as a Windows path.
std::filesystem::path windows_path(std::string_view build_path);

// What one window looks like from another process.
struct WindowFacts {
    HWND handle = nullptr;
    std::string class_name;
    HWND parent = nullptr;
    Geometry geometry;  // relative to the parent's client area
    std::string text;
    LONG_PTR style = 0;
    bool shown = false;  // the window's own WS_VISIBLE, whatever its parents
};

WindowFacts window_facts(HWND window);
Geometry geometry_in_parent(HWND window);
std::string window_text(HWND window);
std::string class_name(HWND window);
std::vector<HWND> child_windows(HWND parent);  // direct children only
std::vector<HWND> top_level_windows(DWORD process_id);
std::string describe(const WindowFacts& facts);

// The system class a control of the layout is made of.
std::string_view class_for(ControlKind kind);
const ControlLayout* layout_entry(std::string_view name);

// One report-list column as the list view holds it.
struct ListColumn {
    std::string title;
    int width = 0;
};

using ListRow = std::vector<std::string>;

// A copy of qelvo.exe in a fresh temporary directory, started on demand and
// ended (with its directory removed) when the object goes.
class GuiApp {
  public:
    GuiApp();
    ~GuiApp();
    GuiApp(const GuiApp&) = delete;
    GuiApp& operator=(const GuiApp&) = delete;

    // The directory holding the copied program, its data.ini and 缓存.
    const std::filesystem::path& directory() const { return directory_; }
    std::filesystem::path settings_file() const { return directory_ / L"data.ini"; }

    // Starts the program and waits until its main window is up and its
    // message loop idle. False, with error() saying why, otherwise.
    bool launch();
    const std::string& error() const { return error_; }
    bool running() const;
    // Waits for the process to end; its exit code, or nothing on timeout.
    std::optional<DWORD> wait_for_exit(std::chrono::milliseconds timeout = kWaitTimeout);

    HWND window() const { return window_; }
    DWORD process_id() const { return process_id_; }

    // A control of the layout, found once and remembered. A control that
    // cannot be found is a test failure (reported with what is there).
    HWND control(std::string_view name);
    // The same search without reporting: null when absent, `why` then lists
    // the windows the parent does hold.
    HWND find_control(std::string_view name, std::string* why);

    std::string text(std::string_view name);
    bool shown(std::string_view name);      // its own WS_VISIBLE
    bool on_screen(std::string_view name);  // visible with all its parents
    bool checked(std::string_view name);
    std::vector<std::string> items(std::string_view name);  // combo box
    int selected_item(std::string_view name);               // combo box, -1: none

    // Types the text as keystrokes into an edit box or a combo box's edit
    // field, replacing what was there, and waits until the field shows it.
    bool type(std::string_view name, std::string_view utf8_text);
    // Sets the text the way a tool outside the window does: WM_SETTEXT on
    // the control, followed, when `notify` is set, by the notification a
    // typed change would have sent its parent (CBN_EDITCHANGE or EN_CHANGE).
    bool set_text(std::string_view name, std::string_view utf8_text, bool notify);
    // Selects a combo box's item with CB_SETCURSEL, followed, when `notify`
    // is set, by the CBN_SELCHANGE a choice from the list sends.
    bool choose_item(std::string_view name, int index, bool notify);
    // Sets a check box with BM_SETCHECK (which notifies nobody).
    bool set_checked(std::string_view name, bool checked);
    // Presses a key in the field (the combo box's edit for a combo box).
    void press_key(std::string_view name, UINT virtual_key);
    // Clicks a button or check box; returns at once (the handler may open a
    // message box that waits for the user).
    void click(std::string_view name);
    // Returns once the window has handled everything posted to it so far.
    bool settle();

    // The result list (超级列表框1).
    int row_count();
    std::vector<ListRow> rows();
    std::vector<ListColumn> columns();

    // The progress bar (进度条1).
    int progress_maximum();
    int progress_position();

    // The message box of the process (caption "信息："), if one is open.
    HWND message_box();
    // Waits for the message box and returns its text.
    std::optional<std::string> wait_for_message_box();
    // Clicks its OK button and waits until it is gone.
    bool close_message_box();

    // Saves the window as it is on the screen as a PNG file.
    bool save_screenshot(const std::filesystem::path& file);

  private:
    HWND find_main_window() const;
    HWND edit_field(std::string_view name);
    bool copy_program();
    void stop();

    std::filesystem::path directory_;
    std::string error_;
    PROCESS_INFORMATION process_{};
    DWORD process_id_ = 0;
    HWND window_ = nullptr;
    std::map<std::string, HWND, std::less<>> controls_;
    LPARAM barrier_step_ = 0;
};

// Whole files by Windows path, for test trees and data.ini.
bool file_exists(const std::filesystem::path& file);
bool write_bytes(const std::filesystem::path& file, std::string_view bytes);
std::optional<std::string> read_bytes(const std::filesystem::path& file);

// A GBK-encoded INI file as sections of keys (names compared as bytes).
using IniFile = std::map<std::string, std::map<std::string, std::string>>;
IniFile parse_ini(std::string_view bytes);

// Saves the window's picture as the PNG file, in place of the one an
// earlier run left there, and fails the test unless the file holds a
// picture of a window with its controls drawn.
void replace_screenshot(GuiApp& app, const std::filesystem::path& file);

// Saves what the screen shows in the rectangle (screen coordinates) as a
// PNG file: PrintWindow cannot draw another process's window, the screen can.
bool save_screen_rectangle(const RECT& area, const std::filesystem::path& file);

// What the screen shows of the window in the area (window coordinates),
// row by row: another process's window is read where it is drawn.
std::vector<COLORREF> screen_pixels(HWND window, const RECT& area);
// A control's area in the coordinates of a window's top left corner.
RECT area_in_window(HWND window, HWND control);

// A copy of the DC's pixels in the rectangle (the DC's own coordinates), row
// by row. The in-process skin tests read their windows with it too; a copy
// of the screen adds CAPTUREBLT to take in layered windows.
std::vector<COLORREF> copy_pixels(HDC source, const RECT& area, DWORD raster_operation = SRCCOPY);

}  // namespace qelvo::gui_test

#endif  // _WIN32
