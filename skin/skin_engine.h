// The skin engine: one object per process that subclasses the main window,
// its containers and every common control in them, keeps a record of each
// in its window list and a few named properties on each handle, and paints
// them. It runs on the user-interface thread only and takes no locks.
//
// Its operations live in one file per concern: state and settings
// (skin_engine.cpp), subclassing and the class dispatch (subclassing.cpp),
// top-level windows (skin_window.cpp), containers (skin_panel.cpp), the
// bottom bar (bottom_bar.cpp), the extra layer (extra_layer.cpp), and one
// file per control family.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gdiplus/graphics.h"
#include "skin/memory_dc_registry.h"
#include "skin/skin_records.h"

namespace qelvo::skin {

// The arguments of skinWindow past the window itself.
struct WindowSkinOptions {
    int captionHeight = 25;
    int captionEnabled = 1;
    int resizable = 1;
    int helpButton = 0;
    int menuButton = 0;
    int showTitle = 1;
    int captionGloss = 0;
    int barHeight = 0;
    std::optional<std::vector<BarItem>> barItems;  // none: one item filling the bar
    ImageBytes ownImage;
    std::optional<int> ownMode;  // none: the process fill mode
};

// Process-wide settings, set at start and by setOptions and setBackground.
struct SkinSettings {
    int controlSkinning = 1;
    int overlayAlpha = 160;
    int veilFlag = 0;
    int styleFlag = 1;
    COLORREF accentColour = 0xDDCA22;
    COLORREF baseColour = 0;
    ImageBytes skinImage;
    int fillMode = 0;
    HICON windowIcon = nullptr;
    int firstSize = 1;
    ULONG_PTR gdiplusToken = 0;
};

inline constexpr COLORREF kStartAccentColour = 0xDDCA22;
inline constexpr int kFrameMargin = 3;
inline constexpr int kMinimumCaptionHeight = 25;

// The command a caption button runs: (window index, button number).
using CaptionCommand = void (*)(int windowIndex, int button);

class SkinEngine {
  public:
    // Creates the empty lists and reads the face colour as base colour. The
    // process's one engine is then reachable through instance().
    SkinEngine();
    // Destroys the window icon and shuts GDI+ down when start() started it.
    ~SkinEngine();
    SkinEngine(const SkinEngine&) = delete;
    SkinEngine& operator=(const SkinEngine&) = delete;

    static SkinEngine* instance();

    // Starts GDI+, loads the window icon (resource 129, else the one named
    // "DEFAULT_ICON") and sets the start values of the settings.
    void start(HINSTANCE instance);

    // --- settings (skin_engine.cpp) ---
    // An accent of -1 takes the base colour; none sets the start accent.
    void setBackground(std::string_view imagePath, std::span<const std::uint8_t> imageBytes,
                       std::optional<COLORREF> baseColour = std::nullopt,
                       std::optional<long long> accentColour = std::nullopt, int fillMode = 4);
    void setOptions(int controlSkinning, std::optional<int> overlayAlpha = std::nullopt,
                    int styleFlag = 1);
    void setHelpHandler(int windowIndex, CaptionHandler handler);
    void setMenuHandler(int windowIndex, CaptionHandler handler);

    // --- top-level windows (skin_window.cpp) ---
    void skinWindow(HWND window, const WindowSkinOptions& options);
    void addCaptionButton(HWND window, ImageBytes image, ImageBytes secondImage,
                          CaptionHandler handler);
    void setTitleStyle(HWND window, std::optional<std::string> fontFace = std::nullopt,
                       std::optional<int> fontSize = std::nullopt,
                       std::optional<COLORREF> titleColour = std::nullopt,
                       std::optional<COLORREF> titleShadowColour = std::nullopt,
                       std::optional<int> titleStyle = std::nullopt);
    void setWindowBackground(HWND window, ImageBytes image, int ownMode);
    void layoutCaptionButtons(int windowIndex);

    // --- window painting (window_render.cpp) ---
    // Rebuilds the three layers (background, caption, bar) when `full`, and
    // copies the background layer to the target DC.
    void renderWindow(int windowIndex, HDC target, bool full);
    // One copy of the background layer onto the window.
    void blitWindow(int windowIndex, HDC target);
    // The icon and title text; with no text, the window's own. A null
    // graphics draws on a graphics of the background layer.
    void drawTitle(int windowIndex, gdiplus::Graphics* graphics, bool intoLayer,
                   std::optional<std::string> text = std::nullopt);

    // --- caption buttons (caption_buttons.cpp) ---
    // 1-based number of the button under the point; 0 outside the strip.
    int hitCaptionButton(int windowIndex, int x, int y) const;
    int maximizeButtonNumber(int windowIndex) const;
    // Normal (alpha 0, not pressed), hover at the alpha, or pressed. A null
    // graphics draws on a graphics of the background layer; when not drawing
    // into the layer only, the button's rectangle is copied to the window.
    void drawCaptionButton(int windowIndex, int number, gdiplus::Graphics* graphics, bool intoLayer,
                           bool pressed, int alpha);
    void runCaptionButton(int windowIndex, int number);

    // On WM_NCDESTROY of a skinned window: frees what its record owns and
    // renumbers the windows after it.
    void removeWindow(HWND window);

    // --- bottom bar (bottom_bar.cpp) ---
    void setBarItem(HWND window, int item, std::string_view text,
                    std::optional<ImageBytes> image = std::nullopt,
                    std::optional<int> value = std::nullopt);
    void setBarStyle(HWND window, int textMode = 1, int halo = 0, COLORREF colour1 = 0,
                     COLORREF colour2 = 0xFFFFFF,
                     std::optional<std::string> fontFace = std::nullopt,
                     std::optional<int> fontSize = std::nullopt);
    void layoutBar(int windowIndex);
    // One item (1-based) into the background layer; when not only into the
    // layer, its rectangle is first restored from the bar layer and then
    // copied to the window.
    void drawBarItem(int windowIndex, int item, gdiplus::Graphics* graphics, bool intoLayer);
    // Part of skinWindow: the bar of the given height with the given items,
    // or one item filling it.
    void createBar(int windowIndex, int barHeight,
                   const std::optional<std::vector<BarItem>>& items);

    // --- containers (skin_panel.cpp) ---
    void skinPanel(HWND container, int paintBackground = 1, COLORREF fillColour = 0,
                   int fillAlpha = 255, int fourthValue = 0);
    void setPanelAlpha(HWND container, int alpha);
    // Draws the container onto the target DC, or its own window DC when the
    // target is null.
    void paintPanel(int windowIndex, int panelIndex, HDC target, bool rebuild);

    // --- extra layer (extra_layer.cpp) ---
    void addExtraControl(HWND control, std::optional<COLORREF> fillColour = std::nullopt);
    void setExtraTextColour(HWND control, COLORREF colour);

    // --- lookups (skin_engine.cpp) ---
    int findSkinWindow(HWND window) const;
    int findSkinAncestor(HWND control) const;
    int findPanel(int windowIndex, HWND container) const;
    int findButton(int windowIndex, HWND button) const;
    // The record of a window index; null for 0 or an index past the list.
    SkinWindow* window(int windowIndex);
    const SkinWindow* window(int windowIndex) const;
    std::size_t windowCount() const { return windows_.size(); }

    // --- subclassing and dispatch (subclassing.cpp) ---
    // Runs the class skinners over the parent's direct children, in order.
    void skinChildren(int windowIndex, HWND parent);
    // Owner-drawn buttons of a skinned window or container (WM_DRAWITEM).
    bool drawItem(const DRAWITEMSTRUCT& item);

    // --- control families (one file each) ---
    void attachPushButtons(int windowIndex, HWND parent);
    void attachCheckRadio(int windowIndex, HWND parent);
    void attachEditsAndCombos(int windowIndex, HWND parent);
    void attachTrackbars(int windowIndex, HWND parent);
    void attachProgressBars(int windowIndex, HWND parent);
    void attachLists(int windowIndex, HWND parent);
    void attachUpdowns(int windowIndex, HWND parent);
    void attachHeaders(int windowIndex, HWND parent);

    SkinSettings settings;
    int frameMargin = 0;
    int hotItem = 0;
    // Caption commands; the engine tests only that it is bound.
    CaptionCommand captionCommand = nullptr;
    MemoryDcRegistry memoryDcs;

  private:
    std::vector<SkinWindow> windows_;
};

// Replaces the window procedure and keeps the old one in "Hw_hProc"; the
// caller keeps it in its record too.
WNDPROC subclassWindow(HWND window, WNDPROC procedure);
// Passes a message on to the procedure kept in "Hw_hProc".
LRESULT forwardMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// The window's class name, compared case-sensitively by the callers.
std::wstring windowClassName(HWND window);

// The skinned procedures.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK buttonSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK editSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK comboSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK listSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK trackbarSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK progressSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK updownSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK headerSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK extraProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace qelvo::skin
