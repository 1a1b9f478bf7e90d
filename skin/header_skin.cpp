// Header controls, standing alone or inside a list view: a row of
// gradient-filled items with thin separators, each with its image-list icon
// and its text placed by the item's format. On headers with buttons the item
// under the mouse lights up and the one pressed looks pressed. The header
// record owns the header's image list from attach time on.
#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "gdiplus/brushes.h"
#include "gdiplus/graphics.h"
#include "gdiplus/pen.h"
#include "gdiplus/text.h"
#include "skin/button_skin.h"
#include "skin/colour.h"
#include "skin/composition.h"
#include "skin/control_registration.h"
#include "skin/gdi_holders.h"
#include "skin/mouse_tracking.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"
#include "ui/win32/wide_text.h"

namespace qelvo::skin {
namespace {

// SkinWindow::hotPart while a header is lit.
constexpr int kHeaderPart = 9;
constexpr int kItemTextLength = 260;

DWORD style_of(HWND control) { return static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)); }

int item_count(HWND header) {
    return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

RECT item_rect(HWND header, int index) {
    RECT rect{};
    SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// 1-based index of the item under the position; 0 when none is.
int headerItemAt(HWND header, LPARAM position) {
    const POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    const int count = item_count(header);
    for (int index = 0; index < count; ++index) {
        const RECT rect = item_rect(header, index);
        if (PtInRect(&rect, point)) return index + 1;
    }
    return 0;
}

struct HeaderItem {
    RECT rect{};
    std::wstring text;
    int format = 0;
    int image = 0;
};

HeaderItem read_item(HWND header, int index) {
    HeaderItem item;
    item.rect = item_rect(header, index);
    std::array<wchar_t, kItemTextLength> text{};
    HDITEMW data{};
    data.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_LPARAM | HDI_BITMAP | HDI_IMAGE;
    data.pszText = text.data();
    data.cchTextMax = kItemTextLength;
    SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&data));
    item.text = text.data();
    item.format = data.fmt;
    item.image = data.iImage;
    return item;
}

// A list view's header ends with its last column; the last item is drawn
// out to the list's right edge, so that no strip of the header is left
// unpainted.
void stretch_to_list_edge(HWND header, RECT& rect) {
    HWND list = GetParent(header);
    if (!list || windowClassName(list) != L"SysListView32") return;
    RECT client{};
    GetClientRect(list, &client);
    POINT edge{client.right, 0};
    MapWindowPoints(list, header, &edge, 1);
    if (rect.right < edge.x) rect.right = edge.x;
}

// What an item looks like apart from its content.
struct ItemLook {
    bool buttons = false;
    bool lit = false;
    bool pressed = false;
    Argb veil = 0;
    COLORREF accent = 0;
};

void fill_vertical_gradient(gdiplus::Graphics& graphics, float width, float height, Argb top,
                            Argb bottom) {
    gdiplus::LinearGradientBrush brush;
    if (!brush.CreateLineBrush(Gdiplus::PointF(0, 0), Gdiplus::PointF(0, height), top, bottom)) {
        return;
    }
    graphics.FillRectangle(brush, 0, 0, width, height);
}

void draw_separator(gdiplus::Graphics& graphics, float width, float height) {
    gdiplus::LinearGradientBrush shade;
    gdiplus::Pen pen;
    if (!shade.CreateLineBrush(Gdiplus::PointF(0, 0), Gdiplus::PointF(0, height),
                               toArgb(kBlack, 60), toArgb(kWhite, 50)) ||
        !pen.CreatePen2(shade, 1.0f)) {
        return;
    }
    graphics.DrawLine(pen, width - 1, 0, width - 1, height);
}

void draw_item_face(gdiplus::Graphics& graphics, const ItemLook& look, SIZE size) {
    const auto width = static_cast<float>(size.cx), height = static_cast<float>(size.cy);
    gdiplus::SolidBrush veil;
    if (veil.CreateSolidFill(look.veil)) graphics.FillRectangle(veil, 0, 0, width, height);
    if (look.buttons) {
        fill_vertical_gradient(graphics, width, height, toArgb(kWhite, 80),
                               toArgb(look.accent, 120));
        if (look.lit) {
            fill_vertical_gradient(graphics, width, height, toArgb(look.accent, 60),
                                   toArgb(kBlack, 30));
        }
        if (look.pressed) {
            fill_vertical_gradient(graphics, width, height, toArgb(kBlack, 30),
                                   toArgb(kWhite, 120));
        }
    } else {
        fill_vertical_gradient(graphics, width, height, toArgb(look.accent, 60),
                               toArgb(look.accent, 10));
    }
    draw_separator(graphics, width, height);
}

// The record's font, made once for all items of a paint. A header that
// was attached on its own has no font, and its items show no text.
struct TextTools {
    gdiplus::Font font;
    gdiplus::StringFormat format;
    gdiplus::SolidBrush brush;
    bool usable = false;
};

void make_text_tools(const HeaderSkin& record, TextTools& tools) {
    tools.usable =
        tools.font.CreateFontFromName(record.fontFace, static_cast<Gdiplus::REAL>(record.fontSize),
                                      record.fontStyle) &&
        tools.format.CreateStringFormat() &&
        tools.format.SetStringFormatTrimming(Gdiplus::StringTrimmingEllipsisCharacter) &&
        tools.brush.CreateSolidFill(toArgb(kBlack));
}

float text_width(gdiplus::Graphics& graphics, const std::string& text, TextTools& tools) {
    if (!tools.usable || text.empty()) return 0;
    const Gdiplus::RectF unbounded(0, 0, 10000, 1000);
    return graphics.MeasureString(text, tools.font, unbounded, tools.format).Width;
}

// Content that does not fit starts at the margin whatever the format, so
// that a right-aligned text never runs off the left edge.
int content_left(int format, int width, int margin, SIZE icon, float textWidth) {
    const auto w = static_cast<float>(width);
    const auto iconWidth = static_cast<float>(icon.cx);
    const auto gap = static_cast<float>(margin);
    float left = gap;
    if (iconWidth + gap + textWidth < w) {
        if (format & HDF_RIGHT) {
            left = w - iconWidth - textWidth;
        } else if (format & HDF_CENTER) {
            left = (w - iconWidth - gap - textWidth) / 2;
        }
    }
    return static_cast<int>(std::lround(left));
}

// Everything one paint of a header shares.
struct HeaderPaint {
    HDC background = nullptr;  // what lies behind the whole header
    HDC target = nullptr;      // the header's own DC
    int margin = 0;
    HIMAGELIST images = nullptr;
    TextTools* text = nullptr;
};

HICON item_icon(const HeaderPaint& paint, const HeaderItem& item, SIZE& size) {
    size = SIZE{};
    if (!(item.format & HDF_IMAGE) || !paint.images) return nullptr;
    HICON icon = ImageList_GetIcon(paint.images, item.image, ILD_TRANSPARENT);
    if (!icon) return nullptr;
    int width = 0, height = 0;
    ImageList_GetIconSize(paint.images, &width, &height);
    size = SIZE{width, height};
    return icon;
}

// The item is drawn at (0, 0) in a memory DC of its own size over its part
// of the header's background, then copied to its place.
void paint_item(const HeaderPaint& paint, const HeaderItem& item, const ItemLook& look) {
    const SIZE size{item.rect.right - item.rect.left, item.rect.bottom - item.rect.top};
    if (size.cx <= 0 || size.cy <= 0) return;
    MemoryDc canvas(paint.background, size.cx, size.cy);
    if (!canvas) return;
    BitBlt(canvas.dc(), 0, 0, size.cx, size.cy, paint.background, item.rect.left, item.rect.top,
           SRCCOPY);
    SIZE iconSize{};
    HICON icon = item_icon(paint, item, iconSize);
    int left = paint.margin;
    {
        gdiplus::Graphics graphics;
        if (graphics.CreateFromHDC(canvas.dc())) {
            draw_item_face(graphics, look, size);
            const std::string text = ui::gbk_from_wide(item.text);
            const float textWidth = text_width(graphics, text, *paint.text);
            left = content_left(item.format, size.cx, paint.margin, iconSize, textWidth);
            // GDI+ takes a box of no width as one without limit.
            const int boxWidth = size.cx - iconSize.cx - 2 * paint.margin;
            if (textWidth > 0 && boxWidth > 0) {
                const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(left + iconSize.cx), 0,
                                            static_cast<Gdiplus::REAL>(boxWidth),
                                            static_cast<Gdiplus::REAL>(size.cy));
                graphics.DrawString(text, paint.text->font, layout, paint.text->format,
                                    paint.text->brush);
            }
        }
    }
    // The icon goes on through GDI once the GDI+ surface is gone; it sits
    // left of the text's box, so the order does not show.
    if (icon) {
        DrawIconEx(canvas.dc(), left, (size.cy - iconSize.cy) / 2, icon, iconSize.cx, iconSize.cy,
                   0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
    }
    BitBlt(paint.target, item.rect.left, item.rect.top, size.cx, size.cy, canvas.dc(), 0, 0,
           SRCCOPY);
}

ItemLook look_of(const SkinEngine& engine, const HeaderSkin& record, int item) {
    ItemLook look;
    look.buttons = record.buttons != 0;
    look.lit = record.hot != 0 && item == record.hotHeaderItem;
    look.pressed = item == record.pressedItem;
    const int veilAlpha = engine.settings.veilFlag ? engine.settings.overlayAlpha : 255;
    look.veil = toArgb(kWhite, static_cast<std::uint8_t>(veilAlpha));
    look.accent = engine.settings.accentColour;
    return look;
}

// Straight onto the header's DC, item by item.
void paintHeader(int windowIndex, int controlIndex) {
    SkinEngine* engine = SkinEngine::instance();
    if (!engine) return;
    const HeaderSkin* found =
        recordAt(*engine, windowIndex, controlIndex, &SkinWindow::headerSkins);
    if (!found) return;
    const HeaderSkin& record = *found;
    const int count = item_count(record.hwnd);
    if (count <= 0) return;
    RECT area{};
    HDC background = composeBackground(*engine, record.hwnd, area);
    if (!background) return;
    TextTools text;
    make_text_tools(record, text);
    HeaderPaint paint;
    paint.background = background;
    paint.target = GetDC(record.hwnd);
    paint.margin = static_cast<int>(SendMessageW(record.hwnd, HDM_GETBITMAPMARGIN, 0, 0));
    paint.images = record.imageList;
    paint.text = &text;
    for (int item = 1; item <= count; ++item) {
        HeaderItem data = read_item(record.hwnd, item - 1);
        if (item == count) stretch_to_list_edge(record.hwnd, data.rect);
        paint_item(paint, data, look_of(*engine, record, item));
    }
    ReleaseDC(record.hwnd, paint.target);
    releaseMemoryDc(*engine, background);
}

std::optional<ControlAt<HeaderSkin>> locate(HWND header) {
    return locateControl(header, &SkinWindow::headerSkins);
}

void repaint(HWND header) {
    if (const auto at = locate(header)) paintHeader(at->windowIndex, at->controlIndex);
}

void forget_hot_item(HeaderSkin& record) {
    record.paintedHotItem = 0;
    record.hotHeaderItem = 0;
    record.hot = 0;
}

// The lit item follows the mouse, except while the button is down.
void follow_mouse(HWND header, LPARAM position) {
    trackMouseLeave(header);
    const auto at = locate(header);
    if (!at) return;
    SkinWindow& owner = *at->owner;
    HeaderSkin& record = *at->record;
    owner.mouseControl = at->controlIndex;
    record.hot = 1;
    record.hotHeaderItem = headerItemAt(header, position);
    owner.hotPart = kHeaderPart;
    if (record.hotHeaderItem != record.paintedHotItem) {
        if (record.hotHeaderItem >= 1 && record.buttonDown == 0) {
            paintHeader(at->windowIndex, at->controlIndex);
            record.paintedHotItem = record.hotHeaderItem;
        } else if (record.hotHeaderItem == 0) {
            forget_hot_item(record);
            paintHeader(at->windowIndex, at->controlIndex);
        }
    }
    owner.hotControl = owner.mouseControl;
}

void note_button(HWND header, bool down) {
    if (HeaderSkin* record = findControlRecord(header, &SkinWindow::headerSkins)) {
        record->buttonDown = down ? 1 : 0;
        record->pressedItem = down ? record->hotHeaderItem : 0;
    }
}

void leave(HWND header) {
    const auto at = locate(header);
    if (!at) return;
    at->owner->hotControl = 0;
    forget_hot_item(*at->record);
    paintHeader(at->windowIndex, at->controlIndex);
}

void destroy_image_list(HWND header) {
    HeaderSkin* record = findControlRecord(header, &SkinWindow::headerSkins);
    if (!record || !record->imageList) return;
    ImageList_Destroy(std::exchange(record->imageList, nullptr));
}

// A list view's header writes in the list's font; a header standing alone
// keeps an empty face and size 0.
void attach_header(SkinWindow& owner, HWND header, int windowIndex, bool inListView) {
    if (isRegistered(owner.headerSkins, header)) return;
    registerControl(owner.headerSkins, header, windowIndex, headerSkinProc);
    HeaderSkin& record = owner.headerSkins.back();
    record.buttons = (style_of(header) & HDS_BUTTONS) ? 1 : 0;
    record.imageList = reinterpret_cast<HIMAGELIST>(SendMessageW(header, HDM_GETIMAGELIST, 0, 0));
    if (!inListView) return;
    ControlFont font = readControlFont(header);
    record.fontFace = std::move(font.face);
    record.fontSize = font.size;
    record.fontStyle = font.style;
}

}  // namespace

// Headers standing alone first, then the header of each list view.
void SkinEngine::attachHeaders(int windowIndex, HWND parent) {
    if (settings.controlSkinning == 0) return;
    SkinWindow* owner = window(windowIndex);
    if (!owner) return;
    forEachChildOfClass(parent, L"SysHeader32",
                        [&](HWND header) { attach_header(*owner, header, windowIndex, false); });
    forEachChildOfClass(parent, L"SysListView32", [&](HWND view) {
        if (HWND header = FindWindowExW(view, nullptr, L"SysHeader32", nullptr)) {
            attach_header(*owner, header, windowIndex, true);
        }
    });
}

// The system's own drawing never runs: the skin paints inside the header's
// paint cycle, and the background is never erased.
LRESULT CALLBACK headerSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_MOVE:
            repaint(window);
            break;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            BeginPaint(window, &paint);
            repaint(window);
            EndPaint(window, &paint);
            return DefWindowProcW(window, message, wparam, lparam);
        }
        case WM_ERASEBKGND:
            SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
            return 1;
        case WM_NCDESTROY:
            destroy_image_list(window);
            break;
        case WM_MOUSEMOVE:
            follow_mouse(window, lparam);
            break;
        case WM_LBUTTONDOWN:
            note_button(window, true);
            break;
        case WM_LBUTTONUP:
            note_button(window, false);
            break;
        case WM_MOUSELEAVE:
            leave(window);
            break;
        default:
            break;
    }
    return forwardMessage(window, message, wparam, lparam);
}

}  // namespace qelvo::skin
