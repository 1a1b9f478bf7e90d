// qelvo.exe: the start of the process in its fixed order (the engine state,
// the exit routine, the startup routine, the main window), then the window's
// messages until 按钮6 ends the program.
#include <windows.h>

#include <objbase.h>

#include <commctrl.h>

#include <chrono>
#include <cstdlib>
#include <utility>

#include "engine/engine.h"
#include "engine/engine_state.h"
#include "engine/main_window_layout.h"
#include "platform/platform.h"
#include "skin/skin_engine.h"
#include "ui/input_history.h"
#include "ui/settings_file.h"
#include "ui/win32/main_window.h"
#include "ui/win32/message_box_win32.h"

namespace {

using qelvo::ControlModel;
using qelvo::Engine;
using qelvo::EngineState;

// What the exit routine gives back. The skin engine owns the window icon
// and the GDI+ token.
struct ProcessResources {
    EngineState* engine_state = nullptr;
    qelvo::skin::SkinEngine* skin = nullptr;
};
ProcessResources process;

// The main window and what it works with. Never destroyed: job threads may
// write the model, and through it reach the window, until the process ends.
struct WindowParts {
    WindowParts(EngineState& state, qelvo::skin::SkinEngine& skin)
        : history(controls, qelvo::ui::SettingsFile(qelvo::ui::settings_file_path())),
          engine{controls, state, messages, &history},
          window(engine, history.settings(), &skin) {}

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

// Runs when the process ends: the skin engine goes first, destroying the
// window icon and shutting GDI+ down with the kept token. The windows stay
// subclassed and simply pass every message on once it is gone.
void exit_routine() {
    delete std::exchange(process.skin, nullptr);
    release_engine_state();
}

// GDI+, the window icon and the skin engine's start values.
void startup_routine(HINSTANCE instance) { process.skin->start(instance); }

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
    // 1. The shared engine state and the skin engine with its window list.
    process.engine_state = new EngineState();
    process.skin = new qelvo::skin::SkinEngine();
    // 2. The exit routine.
    std::atexit(exit_routine);
    // 3. The startup routine.
    startup_routine(instance);
    // 4. The main window; its creation runs the window start routine.
    prepare_window_services();
    auto* parts = new WindowParts(*process.engine_state, *process.skin);
    if (!parts->window.create(instance, process.skin->settings.windowIcon)) return 1;
    ShowWindow(parts->window.handle(), show_command);
    UpdateWindow(parts->window.handle());
    return run_message_loop(parts->window.handle());
}
