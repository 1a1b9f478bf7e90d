#include "skin/skin_engine.h"

#include "gdiplus/status.h"
#include "skin/control_registration.h"
#include "skin/image_tools.h"

namespace qelvo::skin {
namespace {

SkinEngine* the_engine = nullptr;

constexpr int kWindowIconResource = 129;

HICON load_icon(HINSTANCE instance, const wchar_t* name) {
    return static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

// By number first, then by the name of the icon group.
HICON load_window_icon(HINSTANCE instance) {
    HICON icon = load_icon(instance, MAKEINTRESOURCEW(kWindowIconResource));
    return icon ? icon : load_icon(instance, L"DEFAULT_ICON");
}

}  // namespace

SkinEngine::SkinEngine() {
    settings.baseColour = GetSysColor(COLOR_BTNFACE);
    the_engine = this;
}

SkinEngine::~SkinEngine() {
    if (settings.windowIcon) DestroyIcon(settings.windowIcon);
    gdiplus::shutdown(settings.gdiplusToken);
    if (the_engine == this) the_engine = nullptr;
}

SkinEngine* SkinEngine::instance() { return the_engine; }

void SkinEngine::start(HINSTANCE instance) {
    settings.gdiplusToken = gdiplus::startup();
    settings.windowIcon = load_window_icon(instance);
    settings.firstSize = 1;
    settings.controlSkinning = 1;
    settings.overlayAlpha = 160;
    settings.accentColour = kStartAccentColour;
    settings.styleFlag = 1;
}

void SkinEngine::setBackground(std::string_view imagePath, std::span<const std::uint8_t> imageBytes,
                               std::optional<COLORREF> baseColour,
                               std::optional<long long> accentColour, int fillMode) {
    const bool hasImage = !imagePath.empty() || !imageBytes.empty();
    if (hasImage) {
        settings.baseColour = baseColour ? *baseColour : meanColour(imagePath, imageBytes, 2000);
    } else {
        settings.baseColour = baseColour ? *baseColour : GetSysColor(COLOR_BTNFACE);
    }
    if (!accentColour) {
        settings.accentColour = kStartAccentColour;
    } else if (*accentColour == -1) {
        settings.accentColour = settings.baseColour;
    } else {
        settings.accentColour = static_cast<COLORREF>(*accentColour);
    }
    settings.fillMode = fillMode;
    if (!hasImage) {
        settings.skinImage.clear();
    } else if (fillMode == 0 || fillMode == 1) {
        settings.skinImage =
            fadeImage(imagePath, imageBytes, 0, settings.baseColour, fillMode == 1 ? 1 : 0);
    } else if (!imagePath.empty()) {
        settings.skinImage = imageFileAsPng(imagePath);
    } else {
        settings.skinImage.assign(imageBytes.begin(), imageBytes.end());
    }
    for (SkinWindow& record : windows_) {
        if (!IsWindowVisible(record.hwnd)) continue;
        record.needsFullRender = 1;
        RedrawWindow(record.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_ALLCHILDREN);
    }
}

void SkinEngine::setOptions(int controlSkinning, std::optional<int> overlayAlpha, int styleFlag) {
    settings.controlSkinning = controlSkinning;
    if (overlayAlpha) {
        settings.overlayAlpha = *overlayAlpha;
        settings.veilFlag = 1;
    }
    settings.styleFlag = styleFlag;
}

void SkinEngine::setHelpHandler(int windowIndex, CaptionHandler handler) {
    if (SkinWindow* record = window(windowIndex)) record->helpHandler = handler;
}

void SkinEngine::setMenuHandler(int windowIndex, CaptionHandler handler) {
    if (SkinWindow* record = window(windowIndex)) record->menuHandler = handler;
}

int SkinEngine::findSkinWindow(HWND hwnd) const {
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        if (windows_[i].hwnd == hwnd) return static_cast<int>(i + 1);
    }
    return 0;
}

int SkinEngine::findSkinAncestor(HWND control) const {
    for (HWND ancestor = GetParent(control); ancestor; ancestor = GetParent(ancestor)) {
        if (const int index = findSkinWindow(ancestor)) return index;
    }
    return 0;
}

int SkinEngine::findPanel(int windowIndex, HWND container) const {
    const SkinWindow* record = window(windowIndex);
    return record ? indexOfControl(record->panelSkins, container) : 0;
}

int SkinEngine::findButton(int windowIndex, HWND button) const {
    const SkinWindow* record = window(windowIndex);
    return record ? indexOfControl(record->buttonSkins, button) : 0;
}

SkinWindow* SkinEngine::window(int windowIndex) {
    if (windowIndex < 1 || static_cast<std::size_t>(windowIndex) > windows_.size()) return nullptr;
    return &windows_[static_cast<std::size_t>(windowIndex - 1)];
}

const SkinWindow* SkinEngine::window(int windowIndex) const {
    return const_cast<SkinEngine*>(this)->window(windowIndex);
}

}  // namespace qelvo::skin
