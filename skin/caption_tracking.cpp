#include "skin/caption_tracking.h"

#include <cstddef>
#include <optional>

#include "skin/geometry.h"
#include "skin/skin_engine.h"

namespace qelvo::skin {
namespace {

constexpr UINT kHoverTimerMilliseconds = 20;
// A hover report almost at once tells that the leave report is armed.
constexpr DWORD kHoverTimeMilliseconds = 1;
constexpr int kFadeSteps = 8;
constexpr int kFadeAlphaStep = 30;
constexpr int kFullHoverAlpha = kFadeSteps * kFadeAlphaStep;
constexpr int kResizeEdge = kFrameMargin;
constexpr int kResizeCorner = 10;
// The strip starts below the top resize edge.
constexpr int kStripTop = 3;

UINT_PTR hover_timer_id(HWND window) { return reinterpret_cast<UINT_PTR>(window); }

// The same rectangle hitCaptionButton looks in.
bool in_button_strip(const SkinWindow& record, POINT point) {
    return point.x >= record.stripX && point.x < record.stripX + record.stripWidth &&
           point.y >= kStripTop && point.y < record.stripHeight;
}

struct ResizeZone {
    const wchar_t* cursor;
    WPARAM command;  // SC_SIZE plus the WMSZ_ edge
};

// Edges first, then the corner squares; the edges stop one pixel short of
// the squares.
std::optional<ResizeZone> resize_zone_at(POINT point, Size size) {
    const LONG x = point.x;
    const LONG y = point.y;
    const bool besideSides = y >= kResizeCorner + 1 && y < size.height - kResizeCorner;
    const bool besideEnds = x >= kResizeCorner + 1 && x < size.width - kResizeCorner;
    const bool nearLeft = x <= kResizeCorner;
    const bool nearRight = x >= size.width - kResizeCorner;
    const bool nearTop = y <= kResizeCorner;
    const bool nearBottom = y >= size.height - kResizeCorner;
    if (x <= kResizeEdge && besideSides) return ResizeZone{IDC_SIZEWE, SC_SIZE + WMSZ_LEFT};
    if (x >= size.width - kResizeEdge && besideSides) {
        return ResizeZone{IDC_SIZEWE, SC_SIZE + WMSZ_RIGHT};
    }
    if (besideEnds && y <= kResizeEdge) return ResizeZone{IDC_SIZENS, SC_SIZE + WMSZ_TOP};
    if (besideEnds && y >= size.height - kResizeEdge) {
        return ResizeZone{IDC_SIZENS, SC_SIZE + WMSZ_BOTTOM};
    }
    if (nearLeft && nearTop) return ResizeZone{IDC_SIZENWSE, SC_SIZE + WMSZ_TOPLEFT};
    if (nearRight && nearTop) return ResizeZone{IDC_SIZENESW, SC_SIZE + WMSZ_TOPRIGHT};
    if (nearLeft && nearBottom) return ResizeZone{IDC_SIZENESW, SC_SIZE + WMSZ_BOTTOMLEFT};
    if (nearRight && nearBottom) return ResizeZone{IDC_SIZENWSE, SC_SIZE + WMSZ_BOTTOMRIGHT};
    return std::nullopt;
}

void show_cursor(const ResizeZone& zone) { SetCursor(LoadCursorW(nullptr, zone.cursor)); }

void show_resize_cursor(HWND window, POINT point) {
    if (const auto zone = resize_zone_at(point, clientSize(window))) show_cursor(*zone);
}

LPARAM screen_point(HWND window, POINT point) {
    ClientToScreen(window, &point);
    return MAKELPARAM(point.x, point.y);
}

void request_hover_and_leave(HWND window) {
    TRACKMOUSEEVENT request{};
    request.cbSize = sizeof request;
    request.dwFlags = TME_HOVER | TME_LEAVE;
    request.hwndTrack = window;
    request.dwHoverTime = kHoverTimeMilliseconds;
    TrackMouseEvent(&request);
}

// The timer runs while the pointer is over the strip; a fade that is still
// going keeps it running after the pointer has left (see onCaptionTimer).
void run_hover_timer_in_strip(SkinWindow& record, POINT point) {
    if (!in_button_strip(record, point)) {
        record.animating = 0;
        return;
    }
    if (record.animating) return;
    SetTimer(record.hwnd, hover_timer_id(record.hwnd), kHoverTimerMilliseconds, nullptr);
    record.animating = 1;
}

void draw_normal(SkinEngine& engine, int windowIndex, int button) {
    if (button >= 1) engine.drawCaptionButton(windowIndex, button, nullptr, false, false, 0);
}

void draw_hover(SkinEngine& engine, int windowIndex, int button, int alpha) {
    engine.drawCaptionButton(windowIndex, button, nullptr, false, false, alpha);
}

// The button that lost the pointer starts fading out, cutting short an
// earlier fade-out by drawing that button normal; the one that gained it
// starts fading in.
void follow_hot_button(SkinEngine& engine, int windowIndex, SkinWindow& record, POINT point) {
    run_hover_timer_in_strip(record, point);
    engine.hotItem = engine.hitCaptionButton(windowIndex, point.x, point.y);
    const int hot = engine.hotItem;
    const int previous = record.hotButton;
    if (previous >= 1 && previous != hot) {
        if (record.fadeOut.step < kFadeSteps) {
            draw_normal(engine, windowIndex, record.fadeOut.button);
        }
        record.fadeOut = FadeState{previous, 0};
    }
    if (hot >= 1 && hot != previous) record.fadeIn = FadeState{hot, 0};
    record.hotButton = hot;
}

void advance_fade_in(SkinEngine& engine, int windowIndex, FadeState& fade) {
    if (fade.button < 1 || fade.step >= kFadeSteps) return;
    ++fade.step;
    draw_hover(engine, windowIndex, fade.button, kFadeAlphaStep * fade.step);
}

void advance_fade_out(SkinEngine& engine, int windowIndex, FadeState& fade) {
    if (fade.button < 1 || fade.step >= kFadeSteps) return;
    ++fade.step;
    draw_hover(engine, windowIndex, fade.button, kFullHoverAlpha - kFadeAlphaStep * fade.step);
}

void stop_hover_timer(SkinWindow& record) {
    record.animating = 0;
    KillTimer(record.hwnd, hover_timer_id(record.hwnd));
    record.hotButton = 0;
    record.fadeIn = FadeState{};
    record.fadeOut = FadeState{};
}

// Runs the system's size loop from a resize zone, or its move loop from
// anywhere else, so that the window's whole surface acts as its caption.
void move_or_resize(SkinWindow& record, POINT point) {
    const HWND window = record.hwnd;
    if (record.resizable) {
        if (const auto zone = resize_zone_at(point, clientSize(window))) {
            record.needsFullRender = 1;
            show_cursor(*zone);
            SendMessageW(window, WM_SYSCOMMAND, zone->command, screen_point(window, point));
            return;
        }
    }
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, screen_point(window, point));
}

}  // namespace

void onCaptionMouseMove(SkinEngine& engine, int windowIndex, POINT point) {
    SkinWindow* record = engine.window(windowIndex);
    if (!record) return;
    if (record->tracking == 0) request_hover_and_leave(record->hwnd);
    if (record->captionEnabled) follow_hot_button(engine, windowIndex, *record, point);
    if (record->resizable && !record->maximized) show_resize_cursor(record->hwnd, point);
}

void onCaptionMouseHover(SkinEngine& engine, int windowIndex) {
    if (SkinWindow* record = engine.window(windowIndex)) record->tracking = 1;
}

// The lit button fades out; a fade-in still going is dropped and its button
// drawn normal first.
void onCaptionMouseLeave(SkinEngine& engine, int windowIndex) {
    SkinWindow* record = engine.window(windowIndex);
    if (!record) return;
    record->tracking = 0;
    if (record->hotButton < 1 || !record->captionEnabled) return;
    if (record->fadeIn.step < kFadeSteps && record->fadeOut.step < kFadeSteps) {
        draw_normal(engine, windowIndex, record->fadeIn.button);
        record->fadeIn = FadeState{};
    }
    record->fadeOut = FadeState{record->hotButton, 0};
    record->hotButton = 0;
}

void onCaptionTimer(SkinEngine& engine, int windowIndex) {
    SkinWindow* record = engine.window(windowIndex);
    if (!record) return;
    advance_fade_in(engine, windowIndex, record->fadeIn);
    advance_fade_out(engine, windowIndex, record->fadeOut);
    const bool pointerGone = record->tracking == 0 || record->animating == 0;
    const bool fadeOutOver = record->fadeOut.button == 0 || record->fadeOut.step >= kFadeSteps;
    if (pointerGone && fadeOutOver) stop_hover_timer(*record);
}

// A press inside the button strip never drags the window, and a maximized
// or minimized window is neither moved nor resized.
void onCaptionButtonDown(SkinEngine& engine, int windowIndex, POINT point) {
    SkinWindow* record = engine.window(windowIndex);
    if (!record) return;
    record->fadeIn.button = 0;
    if (!record->captionEnabled) return;
    const HWND window = record->hwnd;
    if (!record->maximized && !record->minimized && !in_button_strip(*record, point)) {
        move_or_resize(*record, point);
        // The loop dispatched messages of its own; the list may have changed.
        record = engine.window(windowIndex);
        if (!record || record->hwnd != window) return;
    }
    engine.hotItem = engine.hitCaptionButton(windowIndex, point.x, point.y);
    if (engine.hotItem >= 1) {
        engine.drawCaptionButton(windowIndex, engine.hotItem, nullptr, false, true, 0);
    }
}

// The caption commands are the engine's own operation, so a release over a
// caption button always runs its command.
void onCaptionButtonUp(SkinEngine& engine, int windowIndex) {
    const SkinWindow* record = engine.window(windowIndex);
    if (!record || !record->captionEnabled) return;
    const int button = engine.hotItem;
    if (button < 1 || static_cast<std::size_t>(button) > record->captionButtons.size()) return;
    engine.runCaptionButton(windowIndex, button);
}

void onCaptionDoubleClick(SkinEngine& engine, int windowIndex, POINT point) {
    const SkinWindow* record = engine.window(windowIndex);
    if (!record || !record->resizable || point.y > record->captionHeight) return;
    const int maximize = engine.maximizeButtonNumber(windowIndex);
    if (maximize >= 1) engine.runCaptionButton(windowIndex, maximize);
}

}  // namespace qelvo::skin
