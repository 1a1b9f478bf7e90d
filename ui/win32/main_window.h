// The main window "Qelvo文本替换": every control of the layout table as a
// real control of its system class, children of the group boxes that hold
// them, shown and kept up to date from the model of the controls by the
// mirror, and the event bindings of the layout: panel switches, the three
// start/stop buttons, browsing, the text input icon, the result list's
// actions, the publisher link and the exit button. Drawn by the system.
#pragma once

#include <windows.h>

#include <string_view>

#include "engine/engine.h"
#include "skin/skin_engine.h"
#include "ui/settings_file.h"
#include "ui/win32/control_mirror.h"
#include "ui/win32/text_input_window.h"

namespace qelvo::ui {

inline constexpr wchar_t kMainWindowClass[] = L"QelvoMainWindow";
// Outer size and position of the window, frame included.
inline constexpr int kMainWindowLeft = 50;
inline constexpr int kMainWindowTop = 50;
inline constexpr int kMainWindowWidth = 559;
inline constexpr int kMainWindowHeight = 522;

// Control identifiers: kFirstControlId plus the control's place in the
// layout table.
inline constexpr int kFirstControlId = 1000;
// Menu item identifiers of 右键菜单: kFirstMenuItemId plus the item's place.
inline constexpr int kFirstMenuItemId = 900;

class MainWindow {
  public:
    // The engine's model of the controls is what the window shows; the
    // settings file gives the input histories loaded at creation. Without a
    // skin engine the window is drawn by the system.
    MainWindow(Engine& engine, const SettingsFile& settings, skin::SkinEngine* skin = nullptr);
    // Only once no job writes the model any more: the mirror listens to it.
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Registers the window class and creates the window with every control;
    // its creation runs the window start routine. The icon may be null.
    bool create(HINSTANCE instance, HICON icon);
    HWND handle() const { return window_; }
    HWND control(std::string_view name) const { return mirror_.handle(name); }

  private:
    static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam);
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);

    bool create_controls();
    HWND create_control(std::size_t index, HWND parent);
    void load_picture(HWND picture);
    void run_start_routine();
    void apply_skin();
    void skin_shown_panel(std::string_view panel);

    void on_command(WPARAM wparam, LPARAM lparam);
    void on_control_command(std::string_view name, UINT code);
    void on_menu_command(int id);
    void on_notify(const NMHDR& header);
    bool set_cursor(HWND under_cursor);
    void show_context_menu();
    void end_program();

    Engine& engine_;
    const SettingsFile& settings_;
    skin::SkinEngine* skin_;
    ControlMirror mirror_;
    TextInputIcon input_icon_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HICON small_icon_ = nullptr;
};

}  // namespace qelvo::ui
