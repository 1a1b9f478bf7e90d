#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "engine/gbk_literal.h"
#include "resources/skin_images.h"
#include "skin/child_colour_replies.h"
#include "skin/gdi_holders.h"
#include "skin/image_tools.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"
#include "ui/win32/wide_text.h"

namespace qelvo::skin {
namespace {

constexpr int kCaptionButtonWidth = 26;
constexpr int kCloseButtonWidth = 38;
// The close button is drawn wider than the strip reserves for it; its right
// part lies beyond the rounded window region.
constexpr int kCloseButtonLayoutWidth = 40;
constexpr int kCaptionButtonHeight = 18;
constexpr int kStripHeight = 22;
constexpr int kButtonPitch = 27;

ImageBytes bytes_of(std::span<const std::uint8_t> image) {
    return ImageBytes(image.begin(), image.end());
}

CaptionButton caption_button(CaptionButtonKind kind, std::string_view utf8Name, int width,
                             std::span<const std::uint8_t> image,
                             std::span<const std::uint8_t> secondImage = {}) {
    CaptionButton button;
    button.kind = kind;
    button.name = gbk(utf8Name);
    button.width = width;
    button.height = kCaptionButtonHeight;
    button.image = bytes_of(image);
    button.secondImage = bytes_of(secondImage);
    return button;
}

// Help, main menu, minimize, maximize and close, each when its flag is set.
std::vector<CaptionButton> built_in_buttons(const SkinWindow& record) {
    std::vector<CaptionButton> buttons;
    if (record.helpButton) {
        buttons.push_back(caption_button(CaptionButtonKind::help, "帮助", kCaptionButtonWidth,
                                         resources::kCaptionHelpPng));
    }
    if (record.menuButton) {
        buttons.push_back(caption_button(CaptionButtonKind::menu, "主菜单", kCaptionButtonWidth,
                                         resources::kCaptionMenuPng));
    }
    if (record.minimizeButton) {
        buttons.push_back(caption_button(CaptionButtonKind::minimize, "最小化", kCaptionButtonWidth,
                                         resources::kCaptionMinimizePng));
    }
    if (record.maximizeButton) {
        buttons.push_back(caption_button(CaptionButtonKind::maximize, "最大化", kCaptionButtonWidth,
                                         resources::kCaptionMaximizePng,
                                         resources::kCaptionRestorePng));
    }
    buttons.push_back(caption_button(CaptionButtonKind::close, "关闭", kCloseButtonWidth,
                                     resources::kCaptionClosePng));
    return buttons;
}

// The widths plus one pixel between neighbours and three at the end.
int strip_width(const std::vector<CaptionButton>& buttons) {
    int width = 0;
    for (const CaptionButton& button : buttons) width += button.width;
    return width + static_cast<int>(buttons.size()) - 1 + 3;
}

RECT client_rect(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client;
}

RECT layout_rect(const CaptionButton& button) {
    return RECT{static_cast<LONG>(button.layout.x), static_cast<LONG>(button.layout.y),
                static_cast<LONG>(button.layout.x + button.layout.width),
                static_cast<LONG>(button.layout.y + button.layout.height)};
}

TTTOOLINFOW tool_info(HWND window, std::size_t number, const CaptionButton& button,
                      std::wstring& text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    // The tooltip watches the window's mouse messages itself.
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = number;
    tool.rect = layout_rect(button);
    tool.lpszText = text.data();
    return tool;
}

// A tooltip with no parent, owned by the skinned window, one tool per
// caption button.
HWND create_tooltip(HWND window, const std::vector<CaptionButton>& buttons) {
    HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!tooltip) return nullptr;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        std::wstring text = ui::wide_from_gbk(buttons[i].name);
        TTTOOLINFOW tool = tool_info(window, i + 1, buttons[i], text);
        SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return tooltip;
}

void free_layer(MemoryLayer& layer) {
    if (!layer.dc) return;
    gdi_count::destroy(SelectObject(layer.dc, layer.firstBitmap));
    gdi_count::destroyDc(layer.dc);
    layer = MemoryLayer{};
}

// The edit fields' colour-reply brushes, the three cached layers and the
// background layer's bitmaps kept in the window's properties.
void free_window_objects(SkinWindow& record) {
    for (const EditSkin& edit : record.editSkins) releaseChildColourObjects(edit.hwnd);
    MemoryLayer& background = record.backgroundLayer;
    if (background.dc) {
        const auto first = handle_property<HGDIOBJ>(record.hwnd, kFirstLayerBitmapProperty);
        gdi_count::destroy(SelectObject(background.dc, first ? first : background.firstBitmap));
        gdi_count::destroyDc(background.dc);
        background = MemoryLayer{};
    }
    free_layer(record.captionLayer);
    free_layer(record.barLayer);
    if (record.tooltip) DestroyWindow(record.tooltip);
}

template <typename Record>
void renumber(const std::vector<Record>& list, const wchar_t* property, int windowIndex) {
    for (const Record& control : list) {
        if (control.hwnd) set_int_property(control.hwnd, property, windowIndex);
    }
}

void renumber_controls(const SkinWindow& record, int windowIndex) {
    renumber(record.buttonSkins, kOwnerIndexProperty, windowIndex);
    renumber(record.editSkins, kOwnerIndexProperty, windowIndex);
    renumber(record.listSkins, kOwnerIndexProperty, windowIndex);
    renumber(record.trackbarSkins, kOwnerIndexProperty, windowIndex);
    renumber(record.progressSkins, kOwnerIndexProperty, windowIndex);
    renumber(record.comboSkins, kOwnerIndexProperty, windowIndex);
    renumber(record.updownSkins, kOwnerIndexProperty, windowIndex);
    renumber(record.headerSkins, kOwnerIndexProperty, windowIndex);
    renumber(record.panelSkins, kOwnerIndexProperty, windowIndex);
    renumber(record.extraSkins, kExtraOwnerIndexProperty, windowIndex);
}

}  // namespace

void SkinEngine::skinWindow(HWND hwnd, const WindowSkinOptions& options) {
    if (!hwnd || findSkinWindow(hwnd) != 0) return;
    const RECT client = client_rect(hwnd);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    frameMargin = kFrameMargin;

    SkinWindow record;
    record.hwnd = hwnd;
    record.captionHeight = std::max(options.captionHeight, kMinimumCaptionHeight);
    record.captionEnabled = options.captionEnabled;
    record.resizable = options.resizable;
    record.helpButton = options.helpButton;
    record.menuButton = options.menuButton;
    record.minimizeButton = (style & WS_MINIMIZEBOX) ? 1 : 0;
    record.maximizeButton = (style & WS_MAXIMIZEBOX) ? 1 : 0;
    record.closeButton = 1;
    record.showTitle = options.showTitle;
    record.captionGloss = options.captionGloss;
    record.maxWidth = GetSystemMetrics(SM_CXSCREEN);
    record.maxHeight = GetSystemMetrics(SM_CYSCREEN);
    record.titleFont = gbk("宋体");
    record.ownMode = options.ownMode.value_or(settings.fillMode);
    if (!options.ownImage.empty()) {
        record.ownColour = meanColour({}, options.ownImage, 2000);
        record.ownImage =
            (record.ownMode == 0 || record.ownMode == 1)
                ? fadeImage({}, options.ownImage, 0, record.ownColour, record.ownMode == 1 ? 1 : 0)
                : options.ownImage;
    }
    record.captionButtons = built_in_buttons(record);
    record.stripWidth = strip_width(record.captionButtons);
    record.stripHeight = kStripHeight;
    record.stripX = client.right - frameMargin - record.stripWidth - 2;
    record.stripY = 0;
    // The system menu and its minimize and maximize commands keep working on
    // a window whose caption the skin draws.
    SetWindowLongPtrW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(style | WS_SYSMENU));

    windows_.push_back(std::move(record));
    const int windowIndex = static_cast<int>(windows_.size());
    SkinWindow& added = windows_.back();
    added.tooltip = create_tooltip(hwnd, added.captionButtons);
    layoutCaptionButtons(windowIndex);
    if (options.barHeight > 0) createBar(windowIndex, options.barHeight, options.barItems);
    layoutBar(windowIndex);
    skinChildren(windowIndex, hwnd);

    SkinWindow& skinned = *window(windowIndex);
    skinned.needsFullRender = 1;
    skinned.oldProc = subclassWindow(hwnd, mainWindowProc);
    set_int_property(hwnd, kIndexProperty, windowIndex);
}

void SkinEngine::layoutCaptionButtons(int windowIndex) {
    SkinWindow* record = window(windowIndex);
    if (!record) return;
    const RECT client = client_rect(record->hwnd);
    record->stripX = client.right - record->stripWidth + 1;
    record->stripY = 0;
    record->stripHeight = kStripHeight;
    for (std::size_t i = 0; i < record->captionButtons.size(); ++i) {
        CaptionButton& button = record->captionButtons[i];
        const bool close = button.kind == CaptionButtonKind::close;
        button.layout = FloatRect{
            static_cast<float>(record->stripX + 2 + kButtonPitch * static_cast<int>(i)), 1.0f,
            static_cast<float>(close ? kCloseButtonLayoutWidth : kCaptionButtonWidth),
            static_cast<float>(kCaptionButtonHeight)};
        if (!record->tooltip) continue;
        std::wstring text = ui::wide_from_gbk(button.name);
        TTTOOLINFOW tool = tool_info(record->hwnd, i + 1, button, text);
        SendMessageW(record->tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void SkinEngine::addCaptionButton(HWND hwnd, ImageBytes image, ImageBytes secondImage,
                                  CaptionHandler handler) {
    const int windowIndex = findSkinWindow(hwnd);
    SkinWindow* record = window(windowIndex);
    if (!record) return;
    CaptionButton button;
    button.kind = CaptionButtonKind::custom;
    button.width = kCaptionButtonWidth;
    button.image = std::move(image);
    button.secondImage = std::move(secondImage);
    button.handler = handler;
    record->captionButtons.push_back(std::move(button));
    record->stripWidth += kCaptionButtonWidth + 1;
    if (record->tooltip) {
        std::wstring text;
        TTTOOLINFOW tool =
            tool_info(hwnd, record->captionButtons.size(), record->captionButtons.back(), text);
        SendMessageW(record->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    layoutCaptionButtons(windowIndex);
    record->needsFullRender = 1;
    InvalidateRect(hwnd, nullptr, FALSE);
}

void SkinEngine::setTitleStyle(HWND hwnd, std::optional<std::string> fontFace,
                               std::optional<int> fontSize, std::optional<COLORREF> titleColour,
                               std::optional<COLORREF> titleShadowColour,
                               std::optional<int> titleStyle) {
    SkinWindow* record = window(findSkinWindow(hwnd));
    if (!record) return;
    if (fontFace) record->titleFont = *fontFace;
    if (fontSize) record->titleSize = *fontSize;
    if (titleColour) record->titleColour = *titleColour;
    if (titleShadowColour) record->titleShadowColour = *titleShadowColour;
    if (titleStyle) record->titleStyle = *titleStyle;
    record->needsFullRender = 1;
    InvalidateRect(hwnd, nullptr, FALSE);
}

void SkinEngine::setWindowBackground(HWND hwnd, ImageBytes image, int ownMode) {
    SkinWindow* record = window(findSkinWindow(hwnd));
    if (!record) return;
    record->ownMode = ownMode;
    record->ownColour = image.empty() ? 0 : meanColour({}, image, 2000);
    record->ownImage = (!image.empty() && (ownMode == 0 || ownMode == 1))
                           ? fadeImage({}, image, 0, record->ownColour, ownMode == 1 ? 1 : 0)
                           : std::move(image);
    record->needsFullRender = 1;
    InvalidateRect(hwnd, nullptr, FALSE);
}

void SkinEngine::removeWindow(HWND hwnd) {
    const int windowIndex = findSkinWindow(hwnd);
    if (windowIndex == 0) return;
    const auto position = windows_.begin() + (windowIndex - 1);
    free_window_objects(*position);
    windows_.erase(position);
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        const int index = static_cast<int>(i + 1);
        set_int_property(windows_[i].hwnd, kIndexProperty, index);
        renumber_controls(windows_[i], index);
    }
}

}  // namespace qelvo::skin
