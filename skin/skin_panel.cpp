#include "skin/button_skin.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"

namespace qelvo::skin {
namespace {

bool is_group_box(HWND container) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(container, GWL_STYLE));
    return windowClassName(container) == L"Button" && (style & BS_GROUPBOX) == BS_GROUPBOX;
}

// The nearest ancestor that supplies its own background to what lies below.
HWND background_owner(HWND container) {
    for (HWND ancestor = GetParent(container); ancestor; ancestor = GetParent(ancestor)) {
        if (int_property(ancestor, kSuppliesBackgroundProperty) == 1) return ancestor;
    }
    return nullptr;
}

}  // namespace

void SkinEngine::skinPanel(HWND container, int paintBackground, COLORREF fillColour, int fillAlpha,
                           int fourthValue) {
    const int windowIndex = findSkinAncestor(container);
    SkinWindow* record = window(windowIndex);
    if (!record || findPanel(windowIndex, container) != 0) return;
    PanelSkin panel;
    panel.hwnd = container;
    panel.fillColour = fillColour;
    panel.fillAlpha = static_cast<std::uint8_t>(fillAlpha);
    panel.fourthValue = fourthValue;
    panel.paintBackground = paintBackground;
    if (is_group_box(container)) {
        panel.isGroupBox = 1;
        const ControlFont font = readControlFont(container);
        panel.fontFace = font.face;
        panel.fontSize = font.size;
        panel.fontStyle = font.style;
    }
    record->panelSkins.push_back(std::move(panel));
    const int panelIndex = static_cast<int>(record->panelSkins.size());

    skinChildren(windowIndex, container);

    // The skinners may have grown other lists of the record, never this one.
    PanelSkin& added = window(windowIndex)->panelSkins[static_cast<std::size_t>(panelIndex - 1)];
    added.dirty = 1;
    added.oldProc = subclassWindow(container, panelProc);
    set_int_property(container, kIndexProperty, panelIndex);
    set_int_property(container, kOwnerIndexProperty, windowIndex);
    set_handle_property(container, kBackgroundOwnerProperty, background_owner(container));
}

// A panel without a fill colour has nothing the alpha would change.
void SkinEngine::setPanelAlpha(HWND container, int alpha) {
    const int windowIndex = findSkinAncestor(container);
    SkinWindow* record = window(windowIndex);
    const int panelIndex = findPanel(windowIndex, container);
    if (!record || panelIndex == 0) return;
    PanelSkin& panel = record->panelSkins[static_cast<std::size_t>(panelIndex - 1)];
    if (panel.fillColour == 0) return;
    panel.fillAlpha = static_cast<std::uint8_t>(alpha);
    InvalidateRect(container, nullptr, FALSE);
}

// Containers paint their owner-drawn push buttons; the rest of their look is
// the system's until the container painter takes over.
LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DRAWITEM) {
        SkinEngine* engine = SkinEngine::instance();
        if (engine && engine->drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam))) {
            return TRUE;
        }
    }
    return forwardMessage(window, message, wparam, lparam);
}

}  // namespace qelvo::skin
