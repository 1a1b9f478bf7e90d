// qelvo.exe: the start of the process in its fixed order (the engine state,
// the exit routine, the startup routine, the main window), then the window's
// messages until 按钮6 ends the program.
#include <windows.h>

// The COM declarations GDI+ needs (IStream, PROPID) come before it.
#include <objbase.h>
#include <objidl.h>

#include <commctrl.h>
#include <gdiplus.h>

#include <chrono>
#include <cstdlib>
#include <utility>

#include "engine/engine.h"
#include "engine/engine_state.h"
#include "engine/main_window_layout.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "ui/input_history.h"
#include "ui/settings_file.h"
#include "ui/win32/main_window.h"
#include "ui/win32/message_box_win32.h"

namespace {

using qelvo::ControlModel;
using qelvo::Engine;
using qelvo::EngineState;

// What the exit routine gives back.
struct ProcessResources {
    EngineState* engine_state = nullptr;
    ULONG_PTR gdiplus_token = 0;
    HICON window_icon = nullptr;
};
ProcessResources process;

// The main window and what it works with. Never destroyed: job threads may
// write the model, and through it reach the window, until the process ends.
struct WindowParts {
    explicit WindowParts(EngineState& state)
        : history(controls, qelvo::ui::SettingsFile(qelvo::ui::settings_file_path())),
          engine{controls, state, messages, &history},
          window(engine, history.settings()) {}

    ControlModel controls{qelvo::main_window_layout()};
    qelvo::ui::Win32MessageDialog messages;
    qelvo::ui::SettingsHistory history;
    Engine engine;
    qelvo::ui::MainWindow window;
};

// The shared file list is emptied, so running workers stop at their next
// claim. The state itself is freed only when no job thread is left to touch
// it; otherwise the end of the process takes it with the threads, which are
// not waited for.
void release_engine_state() {
    EngineState* state = std::exchange(process.engine_state, nullptr);
    if (!state) return;
    state->stop_driver();
    state->reset_for_click();
    if (state->wait_until_no_threads_for(std::chrono::milliseconds(0))) delete state;
}

// Runs when the process ends. The skin engine object, once it exists, is
// destroyed first here, and it is then the one that destroys the icon and
// shuts GDI+ down with the kept token.
void exit_routine() {
    if (process.window_icon) DestroyIcon(std::exchange(process.window_icon, nullptr));
    // A failed start left the token at 0, which is not shut down.
    if (process.gdiplus_token != 0) {
        Gdiplus::GdiplusShutdown(std::exchange(process.gdiplus_token, 0));
    }
    release_engine_state();
}

HICON load_icon(HINSTANCE instance, const wchar_t* name) {
    return static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

// By number first, then by the name of the icon group; a program without
// either has a window without an icon.
HICON load_window_icon(HINSTANCE instance) {
    HICON icon = load_icon(instance, MAKEINTRESOURCEW(kWindowIconResource));
    return icon ? icon : load_icon(instance, L"DEFAULT_ICON");
}

void startup_routine(HINSTANCE instance) {
    // Version 1, no debug callback, background thread and external codecs
    // not suppressed. The status is not checked: the token tells.
    const Gdiplus::GdiplusStartupInput input(nullptr, FALSE, FALSE);
    Gdiplus::GdiplusStartup(&process.gdiplus_token, &input, nullptr);
    process.window_icon = load_window_icon(instance);
    // The skin engine's start values go here once it exists: the window
    // icon, first-size flag 1, control skinning 1, overlay alpha 160, accent
    // colour 0xDDCA22 and style flag 1.
}

// What the main window needs beyond the window code: the common controls of
// version 6 and COM for the shell's folder browser.
void prepare_window_services() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

int run_message_loop(HWND window) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab moves between the controls as in a dialog box.
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
    qelvo::platform::prepare_process();
    // 1. The shared engine state (the skin engine object and its window list
    //    are created here too, once they exist).
    process.engine_state = new EngineState();
    // 2. The exit routine.
    std::atexit(exit_routine);
    // 3. The startup routine.
    startup_routine(instance);
    // 4. The main window; its creation runs the window start routine.
    prepare_window_services();
    auto* parts = new WindowParts(*process.engine_state);
    if (!parts->window.create(instance, process.window_icon)) return 1;
    ShowWindow(parts->window.handle(), show_command);
    UpdateWindow(parts->window.handle());
    return run_message_loop(parts->window.handle());
}
