// The skin engine's records: one SkinWindow per skinned top-level window,
// and in it one list of control records per control family. A window's
// index is its 1-based place in the engine's window list, a control's index
// its 1-based place in its family's list; 0 means "not skinned".
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qelvo::skin {

using ImageBytes = std::vector<std::uint8_t>;
// A procedure the caption's help, menu or custom buttons call.
using CaptionHandler = void (*)();

struct IntRect {
    int x = 0, y = 0, width = 0, height = 0;
};

struct FloatRect {
    float x = 0, y = 0, width = 0, height = 0;
};

enum class CaptionButtonKind : int {
    close = 0,
    maximize = 1,
    minimize = 2,
    menu = 3,
    help = 4,
    custom = 5
};

struct CaptionButton {
    int width = 0;
    int height = 18;
    ImageBytes image;
    ImageBytes secondImage;  // the restore image of the maximize button
    CaptionButtonKind kind = CaptionButtonKind::close;
    std::string name;  // GBK; also the tooltip text
    CaptionHandler handler = nullptr;
    FloatRect layout;
};

struct BarItem {
    int width = -1;    // -1: the item takes what the items before it leave
    std::string text;  // GBK
    ImageBytes image;
    int value = 0;  // text colour (COLORREF) in text mode 0
};

struct BarStyle {
    int textMode = 0;
    int halo = 0;
    COLORREF colour1 = 0;
    COLORREF colour2 = 0xFFFFFF;
    std::string fontFace;  // GBK
    int fontSize = 12;
};

// A cached layer of the window's drawing: a memory DC with the bitmap it
// shows and the one it held when it was made.
struct MemoryLayer {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HBITMAP firstBitmap = nullptr;
};

// Caption-button hover animation: which button and how far it has faded.
struct FadeState {
    int button = 0;
    int step = 0;
};

// Push buttons, check boxes and radio buttons.
struct ControlSkin {
    HWND hwnd = nullptr;
    WNDPROC oldProc = nullptr;
    int kind = 0;         // 0 push button, 4 radio button, 5 check box
    std::string caption;  // GBK
    int focused = 0;
    std::string fontFace;  // GBK
    int fontSize = 0;      // pixels
    int fontStyle = 0;     // GDI+ FontStyle bits
};

inline constexpr int kPushButtonKind = 0;
inline constexpr int kRadioButtonKind = 4;
inline constexpr int kCheckBoxKind = 5;

struct EditSkin {
    HWND hwnd = nullptr;
    WNDPROC oldProc = nullptr;
    int focused = 0;
    int buttonDown = 0;
};

struct ComboSkin {
    HWND hwnd = nullptr;
    WNDPROC oldProc = nullptr;
    int focused = 0;
};

// List boxes, the list of a combo box, list views, tree views, IP address
// and date-time pickers: their borders.
struct ListSkin {
    HWND hwnd = nullptr;
    WNDPROC oldProc = nullptr;
    int focused = 0;
    int hot = 0;
};

struct TrackbarSkin {
    HWND hwnd = nullptr;
    WNDPROC oldProc = nullptr;
    int vertical = 0;
    int tickSide = 1;  // 0 top or left, 1 bottom or right, 2 both, 3 none
    int hot = 0;
    int selectionRange = 0;
};

struct ProgressSkin {
    HWND hwnd = nullptr;
    WNDPROC oldProc = nullptr;
    int vertical = 0;
};

struct UpdownSkin {
    HWND hwnd = nullptr;
    WNDPROC oldProc = nullptr;
    int hot = 0;
    int hotHalf = 0;  // 0 top or left, 1 bottom or right
    int pressed = 0;
    int horizontal = 0;
    LPARAM lastMousePos = 0;
};

struct HeaderSkin {
    HWND hwnd = nullptr;
    WNDPROC oldProc = nullptr;
    int hot = 0;
    int hotHeaderItem = 0;  // 1-based, 0 none
    int paintedHotItem = 0;
    int buttons = 0;
    int pressedItem = 0;
    int buttonDown = 0;
    std::string fontFace;  // GBK
    int fontStyle = 0;
    int fontSize = 0;
    HIMAGELIST imageList = nullptr;
};

struct PanelSkin {
    HWND hwnd = nullptr;
    COLORREF fillColour = 0;  // 0: no fill
    std::uint8_t fillAlpha = 255;
    int fourthValue = 0;  // non-zero: a two-tone frame around a plain container
    WNDPROC oldProc = nullptr;
    int dirty = 0;
    int isGroupBox = 0;
    int reserved = 0;
    int paintBackground = 1;
    std::string fontFace;  // GBK, the group box caption's font
    int fontSize = 0;
    int fontStyle = 0;
    std::vector<std::pair<HWND, POINT>> anchors;
};

struct ExtraSkin {
    HWND hwnd = nullptr;
    WNDPROC oldProc = nullptr;
    COLORREF fillColour = 0;
};

struct SkinWindow {
    HWND hwnd = nullptr;
    int captionHeight = 25;
    int helpButton = 0;
    int menuButton = 0;
    int minimizeButton = 0;
    int maximizeButton = 0;
    int closeButton = 1;
    int showTitle = 1;
    int captionGloss = 0;
    WNDPROC oldProc = nullptr;
    ImageBytes ownImage;
    int ownMode = 0;
    COLORREF ownColour = 0;
    std::vector<CaptionButton> captionButtons;
    int stripX = 0, stripY = 0, stripWidth = 0, stripHeight = 22;
    int maximized = 0, minimized = 0;
    int minTrackWidth = 200, minTrackHeight = 150;
    int maxWidth = 0, maxHeight = 0;
    int resizable = 1;
    int captionEnabled = 1;
    COLORREF titleColour = 0xFFFFFF;
    COLORREF titleShadowColour = 0x808080;
    std::string titleFont;  // GBK
    int titleSize = 12;
    int titleStyle = 1;
    int hotButton = 0;
    CaptionHandler helpHandler = nullptr;
    CaptionHandler menuHandler = nullptr;
    HWND tooltip = nullptr;
    int barHeight = 0;
    IntRect barRect;
    std::vector<BarItem> barItems;
    std::vector<IntRect> barItemRects;
    BarStyle barStyle;
    std::vector<ControlSkin> buttonSkins;
    std::vector<EditSkin> editSkins;
    std::vector<ListSkin> listSkins;
    std::vector<TrackbarSkin> trackbarSkins;
    std::vector<ProgressSkin> progressSkins;
    std::vector<ComboSkin> comboSkins;
    std::vector<UpdownSkin> updownSkins;
    std::vector<HeaderSkin> headerSkins;
    std::vector<PanelSkin> panelSkins;
    std::vector<ExtraSkin> extraSkins;
    int needsFullRender = 1;
    MemoryLayer backgroundLayer;
    MemoryLayer captionLayer;
    MemoryLayer barLayer;
    int hotControl = 0;
    int mouseControl = 0;
    int hotPart = 0;
    HWND hotParent = nullptr;
    std::vector<std::pair<HWND, int>> docked;
    int tracking = 0;
    int animating = 0;
    FadeState fadeIn;
    FadeState fadeOut;
};

}  // namespace qelvo::skin
