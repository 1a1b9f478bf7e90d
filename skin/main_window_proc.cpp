// The procedure of a skinned top-level window. The window has no system
// caption or border: this procedure paints it from the cached layers, runs
// the caption buttons and the dragging and resizing (caption_tracking.cpp),
// keeps the tracked show state, and answers the colour requests of the
// window's direct children so that they draw over the skin's background.
#include <windows.h>

#include <windowsx.h>

#include "skin/caption_tracking.h"
#include "skin/child_colour_replies.h"
#include "skin/skin_engine.h"
#include "skin/subclass_message.h"
#include "skin/window_properties.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/working_set_trimmer.h"

namespace qelvo::skin {
namespace {

// Docked children stop this far from the client edges and the bottom bar.
constexpr int kDockedInset = 2;
constexpr int kDockedBottomGap = 3;

// What a repeated SetWindowPos may take over from the move being reported:
// the documented flags, less the two that would keep it from moving or
// sizing the window.
constexpr UINT kRepeatablePositionFlags = SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE |
                                          SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_HIDEWINDOW |
                                          SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING |
                                          SWP_DEFERERASE | SWP_ASYNCWINDOWPOS;

POINT client_point(LPARAM lparam) { return POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}; }

int task_bar_height() {
    HWND taskBar = FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT area{};
    if (!taskBar || !GetWindowRect(taskBar, &area)) return 0;
    return area.bottom - area.top;
}

// A window without a system caption would cover the task bar when
// maximized; it is held to the screen above the bar instead.
SIZE maximized_size() {
    return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - task_bar_height()};
}

// --- the mouse ---

LRESULT on_mouse(SkinEngine& engine, int windowIndex, const Message& message) {
    switch (message.id) {
        case WM_MOUSEMOVE:
            onCaptionMouseMove(engine, windowIndex, client_point(message.lparam));
            break;
        case WM_MOUSEHOVER:
            onCaptionMouseHover(engine, windowIndex);
            break;
        case WM_MOUSELEAVE:
            onCaptionMouseLeave(engine, windowIndex);
            break;
        case WM_LBUTTONDOWN:
            onCaptionButtonDown(engine, windowIndex, client_point(message.lparam));
            break;
        case WM_LBUTTONUP:
            onCaptionButtonUp(engine, windowIndex);
            break;
        case WM_LBUTTONDBLCLK:
            onCaptionDoubleClick(engine, windowIndex, client_point(message.lparam));
            break;
        default:
            break;
    }
    return message.forward();
}

// The hover timer's id is the window handle; other timers are the window's.
LRESULT on_timer(SkinEngine& engine, int windowIndex, const Message& message) {
    if (message.wparam != reinterpret_cast<UINT_PTR>(message.window)) return message.forward();
    onCaptionTimer(engine, windowIndex);
    return 0;
}

// --- show state and size ---

// Every change of the show state redraws the whole window at its next paint.
LRESULT on_system_command(SkinWindow& record, const Message& message) {
    switch (message.wparam & 0xFFF0) {
        case SC_MAXIMIZE:
            record.maximized = 1;
            record.needsFullRender = 1;
            break;
        case SC_RESTORE:
            record.needsFullRender = 1;
            record.minimized = 0;
            break;
        case SC_MINIMIZE:
            record.needsFullRender = 1;
            record.minimized = 1;
            break;
        default:
            break;
    }
    return message.forward();
}

LRESULT on_query_open(SkinWindow& record, const Message& message) {
    record.minimized = 0;
    return message.forward();
}

// The first size of all comes while the window is still being created,
// before anything was drawn; it has nothing to render again.
LRESULT on_size(SkinEngine& engine, SkinWindow& record, const Message& message) {
    record.hotButton = 0;
    if (engine.settings.firstSize) {
        engine.settings.firstSize = 0;
        record.needsFullRender = 0;
    } else {
        record.needsFullRender = 1;
    }
    const int width = LOWORD(message.lparam);
    const int height = HIWORD(message.lparam);
    for (const auto& [child, top] : record.docked) {
        MoveWindow(child, kDockedInset, top, width - 2 * kDockedInset,
                   height - top - record.barHeight - kDockedBottomGap, TRUE);
    }
    return message.forward();
}

LRESULT on_get_min_max_info(const SkinWindow& record, const Message& message) {
    auto& info = *reinterpret_cast<MINMAXINFO*>(message.lparam);
    info.ptMinTrackSize = POINT{record.minTrackWidth, record.minTrackHeight};
    if (record.maximized) {
        const SIZE size = maximized_size();
        info.ptMaxTrackSize = POINT{size.cx, size.cy};
    } else {
        info.ptMaxTrackSize = POINT{record.maxWidth, record.maxHeight};
    }
    return 0;
}

// Moves a maximized window back to the screen above the task bar. A window
// already there is left alone: moving it again would report the same
// position once more, and so on without end. A maximized window that has
// been minimized keeps its place off the screen.
void keep_off_task_bar(HWND window, const WINDOWPOS& reported) {
    if (IsIconic(window)) return;
    const SIZE size = maximized_size();
    RECT current{};
    GetWindowRect(window, &current);
    if (current.left == 0 && current.top == 0 && current.right == size.cx &&
        current.bottom == size.cy) {
        return;
    }
    const UINT flags = (reported.flags & kRepeatablePositionFlags) | SWP_NOOWNERZORDER;
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, flags);
}

// Forwarded last: the system's handling of this message sends WM_SIZE and
// WM_MOVE.
LRESULT on_window_pos_changed(SkinEngine& engine, int windowIndex, const Message& message) {
    if (engine.window(windowIndex)->maximized) {
        keep_off_task_bar(message.window, *reinterpret_cast<const WINDOWPOS*>(message.lparam));
    }
    engine.layoutCaptionButtons(windowIndex);
    const SkinWindow* record = engine.window(windowIndex);
    if (record && record->barHeight > 0) engine.layoutBar(windowIndex);
    return message.forward();
}

// --- painting ---

// Ordinary paints are one copy of the background layer; the layers are
// rebuilt only after a change of size, show state or background. The
// replaced procedure never paints this window.
LRESULT on_paint(SkinEngine& engine, int windowIndex, const Message& message) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(message.window, &paint);
    const SkinWindow* record = engine.window(windowIndex);
    if (!record->minimized) {
        if (record->needsFullRender) {
            engine.renderWindow(windowIndex, dc, true);
            if (SkinWindow* rendered = engine.window(windowIndex)) rendered->needsFullRender = 0;
        } else {
            engine.blitWindow(windowIndex, dc);
        }
    }
    EndPaint(message.window, &paint);
    return message.systemDefault();
}

// The background is never erased by the system: the next paint covers it.
LRESULT on_erase_background(const Message& message) {
    SetBkMode(reinterpret_cast<HDC>(message.wparam), TRANSPARENT);
    return 1;
}

// A window shown again from the task bar keeps its layers; any other show
// rebuilds them before the first paint.
LRESULT on_show_window(SkinEngine& engine, int windowIndex, const Message& message) {
    if (message.wparam) {
        SkinWindow& record = *engine.window(windowIndex);
        if (record.minimized) {
            record.minimized = 0;
        } else {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(message.window, &paint);
            engine.renderWindow(windowIndex, dc, true);
            EndPaint(message.window, &paint);
        }
    }
    return message.forward();
}

// The text is set first, so that the window's own text agrees with the
// title the caption shows.
LRESULT on_set_text(SkinEngine& engine, int windowIndex, const Message& message) {
    const LRESULT result = message.forward();
    const SkinWindow* record = engine.window(windowIndex);
    if (record && record->showTitle && record->captionEnabled) {
        const auto* text = reinterpret_cast<const wchar_t*>(message.lparam);
        engine.drawTitle(windowIndex, nullptr, false, ui::gbk_from_wide(text ? text : L""));
    }
    return result;
}

// --- life cycle ---

LRESULT on_activate_app(const Message& message) {
    if (!message.wparam) ui::start_working_set_trim();
    return message.forward();
}

BOOL CALLBACK release_colour_objects(HWND child, LPARAM) {
    releaseChildColourObjects(child);
    return TRUE;
}

// The brushes and bitmaps of the colour replies sit on the children, which
// still exist while their parent is told it is going.
LRESULT on_destroy(const Message& message) {
    EnumChildWindows(message.window, release_colour_objects, 0);
    return message.forward();
}

// "Hw_hProc" outlives the record, so the message is still passed on.
LRESULT on_nc_destroy(SkinEngine& engine, const Message& message) {
    engine.removeWindow(message.window);
    KillTimer(message.window, reinterpret_cast<UINT_PTR>(message.window));
    return message.forward();
}

LRESULT dispatch(SkinEngine& engine, int windowIndex, const Message& message) {
    SkinWindow& record = *engine.window(windowIndex);
    switch (message.id) {
        case WM_MOUSEMOVE:
        case WM_MOUSEHOVER:
        case WM_MOUSELEAVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
            return on_mouse(engine, windowIndex, message);
        case WM_TIMER:
            return on_timer(engine, windowIndex, message);
        case WM_SYSCOMMAND:
            return on_system_command(record, message);
        case WM_QUERYOPEN:
            return on_query_open(record, message);
        case WM_SIZE:
            return on_size(engine, record, message);
        case WM_GETMINMAXINFO:
            return on_get_min_max_info(record, message);
        case WM_WINDOWPOSCHANGED:
            return on_window_pos_changed(engine, windowIndex, message);
        case WM_PAINT:
            return on_paint(engine, windowIndex, message);
        case WM_ERASEBKGND:
            return on_erase_background(message);
        case WM_SHOWWINDOW:
            return on_show_window(engine, windowIndex, message);
        case WM_SETTEXT:
            return on_set_text(engine, windowIndex, message);
        case WM_ACTIVATEAPP:
            return on_activate_app(message);
        case WM_DESTROY:
            return on_destroy(message);
        case WM_NCDESTROY:
            return on_nc_destroy(engine, message);
        default:
            // WM_DRAWITEM, WM_CTLCOLOR*, WM_COMMAND and WM_NOTIFY are answered for the
            // children; the rest goes on to the replaced procedure.
            return answerChildMessage(engine, message);
    }
}

}  // namespace

// Each handler reads the record afresh through the window index: sending a
// message or running a caption command can reach code that changes the
// window list.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const Message current{window, message, wparam, lparam};
    SkinEngine* engine = SkinEngine::instance();
    if (!engine) return current.forward();
    const int windowIndex = int_property(window, kIndexProperty);
    const SkinWindow* record = engine->window(windowIndex);
    if (!record || record->hwnd != window) return current.forward();
    return dispatch(*engine, windowIndex, current);
}

}  // namespace qelvo::skin
