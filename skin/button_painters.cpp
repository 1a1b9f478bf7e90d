// The painters of push buttons, radio buttons and check boxes. Every paint
// composes what lies behind the button, draws the button over it with GDI+
// and copies the result to the button in one BitBlt, so nothing flickers;
// the rounded corners show the parent's background. Nothing is cached
// between paints, the check box images included.
#include <cstdint>
#include <span>

#include "gdiplus/brushes.h"
#include "gdiplus/graphics.h"
#include "gdiplus/image.h"
#include "gdiplus/path.h"
#include "gdiplus/pen.h"
#include "gdiplus/text.h"
#include "resources/skin_images.h"
#include "skin/button_skin.h"
#include "skin/colour.h"
#include "skin/composition.h"
#include "skin/control_registration.h"
#include "skin/shapes.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"

namespace qelvo::skin {
namespace {

using Gdiplus::PointF;

constexpr COLORREF kDisabledFace = RGB(192, 192, 192);
constexpr COLORREF kShade = RGB(128, 128, 128);
// Cyan, whatever the accent: the focus glow and the soft edge of a lit box.
constexpr COLORREF kGlowColour = 0xDDCA22;
constexpr COLORREF kRadioDotColour = RGB(0, 128, 128);
constexpr float kCornerDiameter = 5;
constexpr float kCheckBoxSize = 13;
// Captions sit a little below the middle of the button.
constexpr float kCaptionTop = 2;

// A memory DC holding what lies behind the button, released on every way
// out. Null when it could not be made.
class ComposedBackground {
  public:
    ComposedBackground(SkinEngine& engine, HWND button) : engine_(engine) {
        RECT behind{};
        dc_ = composeBackground(engine, button, behind);
    }
    ~ComposedBackground() { releaseMemoryDc(engine_, dc_); }
    ComposedBackground(const ComposedBackground&) = delete;
    ComposedBackground& operator=(const ComposedBackground&) = delete;

    HDC dc() const { return dc_; }

  private:
    SkinEngine& engine_;
    HDC dc_ = nullptr;
};

FloatRect float_rect(const RECT& area) {
    return FloatRect{static_cast<float>(area.left), static_cast<float>(area.top),
                     static_cast<float>(area.right - area.left),
                     static_cast<float>(area.bottom - area.top)};
}

int height_of(const RECT& area) { return area.bottom - area.top; }

gdiplus::Path round_rect(float x, float y, float width, float height) {
    gdiplus::Path path;
    if (path.CreatePath()) addRoundRect(path, x, y, width, height, kCornerDiameter);
    return path;
}

gdiplus::Path circle(float x, float y, float diameter) {
    gdiplus::Path path;
    if (path.CreatePath()) path.AddPathEllipse(x, y, diameter, diameter);
    return path;
}

void fill_solid(gdiplus::Graphics& graphics, const gdiplus::Path& path, Argb colour) {
    gdiplus::SolidBrush brush;
    if (brush.CreateSolidFill(colour)) graphics.FillPath(brush, path);
}

void fill_gradient(gdiplus::Graphics& graphics, const gdiplus::Path& path, PointF from, PointF to,
                   Argb fromColour, Argb toColour) {
    gdiplus::LinearGradientBrush brush;
    if (brush.CreateLineBrush(from, to, fromColour, toColour)) graphics.FillPath(brush, path);
}

void stroke(gdiplus::Graphics& graphics, const gdiplus::Path& path, Argb colour) {
    gdiplus::Pen pen;
    if (pen.CreatePen1(colour, 1)) graphics.DrawPath(pen, path);
}

bool is_checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The caption in the button's text colour ("Kj_Ztys", black when unset)
// and its font, in pixels; a face GDI+ cannot make leaves the caption out.
void draw_caption(gdiplus::Graphics& graphics, const ControlSkin& button,
                  const Gdiplus::RectF& layout, Gdiplus::StringAlignment alignment) {
    const auto colour = static_cast<COLORREF>(int_property(button.hwnd, kTextColourProperty));
    gdiplus::SolidBrush brush;
    gdiplus::Font font;
    gdiplus::StringFormat format;
    if (!brush.CreateSolidFill(toArgb(colour)) ||
        !createCaptionFont(font, button.fontFace, button.fontSize, button.fontStyle) ||
        !format.CreateStringFormat()) {
        return;
    }
    format.SetStringFormatAlign(alignment);
    format.SetStringFormatLineAlign(Gdiplus::StringAlignmentCenter);
    graphics.DrawString(button.caption, font, layout, format, brush);
}

void copy_to_button(HWND button, HDC source, const RECT& client) {
    HDC dc = GetDC(button);
    if (!dc) return;
    BitBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, source, 0, 0, SRCCOPY);
    ReleaseDC(button, dc);
}

// --- push buttons ---

// Brighter at the top: a white sheen over the upper half.
void draw_gloss(gdiplus::Graphics& graphics, const FloatRect& box, float halfHeight) {
    gdiplus::Path gloss;
    if (!gloss.CreatePath()) return;
    addTopRoundRect(gloss, box.x, box.y, box.width - 1, halfHeight, kCornerDiameter);
    fill_gradient(graphics, gloss, {box.x, box.y}, {box.x, box.y + halfHeight}, toArgb(kWhite, 50),
                  toArgb(kWhite, 10));
}

// Lit in the accent colour, focused with a cyan glow, or a plain dark edge.
void draw_push_edge(gdiplus::Graphics& graphics, const gdiplus::Path& face, const FloatRect& box,
                    UINT state, COLORREF accent) {
    if (state & ODS_HOTLIGHT) {
        fill_gradient(graphics, face, {box.x, box.y}, {box.x, box.y + box.height - 1},
                      toArgb(accent, 60), toArgb(accent, 10));
        stroke(graphics, face, toArgb(accent));
    } else if (state & ODS_FOCUS) {
        glowOutline(graphics, face, 3, kGlowColour, 120);
        stroke(graphics, face, toArgb(kBlack, 70));
    } else {
        stroke(graphics, face, toArgb(kBlack, 120));
    }
}

// A pressed button sinks: an inner face tinted in the accent colour.
void draw_pressed(gdiplus::Graphics& graphics, const FloatRect& box, COLORREF accent) {
    const gdiplus::Path inner = round_rect(box.x + 2, box.y + 2, box.width - 3, box.height - 3);
    fill_gradient(graphics, inner, {2, 2}, {2, box.height - 2}, toArgb(accent, 60),
                  toArgb(kWhite, 100));
}

void draw_push_face(gdiplus::Graphics& graphics, UINT state, const RECT& area, COLORREF accent) {
    const FloatRect box = float_rect(area);
    const gdiplus::Path face = round_rect(box.x, box.y, box.width - 1, box.height - 1);
    fill_solid(graphics, face, toArgb(kWhite, 120));
    if (state & ODS_DISABLED) {
        gdiplus::SolidBrush grey;
        if (grey.CreateSolidFill(toArgb(kDisabledFace))) {
            graphics.FillRectangle(grey, box.x, box.y, box.width, box.height);
        }
        stroke(graphics, face, toArgb(kBlack, 80));
        return;
    }
    fill_gradient(graphics, face, {box.x, box.y}, {box.x, box.y + box.height - 1},
                  toArgb(kWhite, 0), toArgb(kShade, 60));
    draw_gloss(graphics, box, static_cast<float>(height_of(area) / 2));
    draw_push_edge(graphics, face, box, state, accent);
    if (state & ODS_SELECTED) draw_pressed(graphics, box, accent);
}

void draw_push_button(HDC surface, const ControlSkin& button, UINT state, const RECT& area,
                      COLORREF accent) {
    gdiplus::Graphics graphics;
    if (!graphics.CreateFromHDC(surface)) return;
    draw_push_face(graphics, state, area, accent);
    const FloatRect box = float_rect(area);
    draw_caption(graphics, button, Gdiplus::RectF(0, kCaptionTop, box.width, box.height),
                 Gdiplus::StringAlignmentCenter);
}

// --- radio buttons and check boxes ---

// The round or square figure at the left; the caption follows it.
using FigurePainter = void (*)(gdiplus::Graphics& graphics, HWND button, UINT state,
                               const RECT& client, COLORREF accent);

struct SmallButtonLook {
    FigurePainter drawFigure;
    float captionLeft;      // from the client's left edge
    float captionWidthCut;  // taken from the client width
};

// A teal dot, lighter in the middle.
void draw_radio_dot(gdiplus::Graphics& graphics, float x, float y) {
    const gdiplus::Path dot = circle(x, y, 6);
    stroke(graphics, dot, toArgb(kBlack, 200));
    gdiplus::PathGradientBrush brush;
    if (!brush.CreatePathGradientFromPath(dot)) return;
    brush.SetPathGradientCenterColor(toArgb(kWhite, 100));
    const Gdiplus::ARGB surround[] = {toArgb(kRadioDotColour)};
    brush.SetPathGradientSurroundColorsWithCount(surround);
    graphics.FillPath(brush, dot);
}

void draw_radio_figure(gdiplus::Graphics& graphics, HWND button, UINT state, const RECT& client,
                       COLORREF accent) {
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    const auto x = static_cast<float>(client.left);
    const int height = height_of(client);
    const auto top = static_cast<float>(client.top + (height - 12) / 2);
    stroke(graphics, circle(x + 2, top, 12), toArgb(kBlack, 200));
    const gdiplus::Path disc =
        circle(x + 3, static_cast<float>(client.top + (height - 11) / 2 + 1), 9);
    stroke(graphics, disc, toArgb(kWhite));
    fill_solid(graphics, disc, toArgb(kWhite));
    fill_gradient(graphics, disc, {x + 3, top + 1}, {x + 10, top + 11}, toArgb(kBlack, 100),
                  toArgb(kBlack, 0));
    if (state & ODS_HOTLIGHT) {
        fill_gradient(graphics, disc, {x + 3, top + 1}, {x + 11, top + 12}, toArgb(accent, 100),
                      toArgb(kBlack, 0));
        glowOutline(graphics, disc, 2, kGlowColour, 30);
    }
    if (is_checked(button)) draw_radio_dot(graphics, x + 5, top + 3);
}

// At the image's own size, whatever resolution the file names.
void draw_image(gdiplus::Graphics& graphics, std::span<const std::uint8_t> bytes, int x, int y) {
    gdiplus::Image image;
    if (!image.LoadFromBytes(bytes)) return;
    graphics.DrawImageRectI(image, x, y, static_cast<INT>(image.GetImageWidth()),
                            static_cast<INT>(image.GetImageHeight()));
}

void draw_check_figure(gdiplus::Graphics& graphics, HWND button, UINT state, const RECT& client,
                       COLORREF accent) {
    const int height = height_of(client);
    const int boxTop = client.top + (height - 13) / 2;
    draw_image(graphics, resources::kCheckEmptyPng, client.left, boxTop);
    if (is_checked(button)) draw_image(graphics, resources::kCheckCheckedPng, client.left, boxTop);
    if (!(state & ODS_HOTLIGHT)) return;
    gdiplus::Path box;
    if (!box.CreatePath()) return;
    const auto x = static_cast<float>(client.left);
    box.AddPathRectangle(x, static_cast<float>(boxTop), kCheckBoxSize, kCheckBoxSize);
    const auto shadeTop = static_cast<float>(client.top + (height - 12) / 2 + 1);
    fill_gradient(graphics, box, {x + 3, shadeTop}, {x + 11, shadeTop + 11}, toArgb(accent, 100),
                  toArgb(kBlack, 0));
    glowOutline(graphics, box, 2, kGlowColour, 30);
}

constexpr SmallButtonLook kRadioLook{draw_radio_figure, 18, 0};
constexpr SmallButtonLook kCheckLook{draw_check_figure, 17, 19};

void draw_small_button(HDC surface, const ControlSkin& button, UINT state, const RECT& client,
                       const SmallButtonLook& look, COLORREF accent) {
    gdiplus::Graphics graphics;
    if (!graphics.CreateFromHDC(surface)) return;
    look.drawFigure(graphics, button.hwnd, state, client, accent);
    const FloatRect box = float_rect(client);
    const Gdiplus::RectF layout(box.x + look.captionLeft, kCaptionTop,
                                box.width - look.captionWidthCut, box.height);
    draw_caption(graphics, button, layout, Gdiplus::StringAlignmentNear);
}

void paint_small_button(HWND button, UINT state, const SmallButtonLook& look) {
    SkinEngine* engine = SkinEngine::instance();
    const ControlSkin* record = findControlRecord(button, &SkinWindow::buttonSkins);
    if (!engine || !record) return;
    RECT client{};
    GetClientRect(button, &client);
    const ComposedBackground background(*engine, button);
    if (!background.dc()) return;
    draw_small_button(background.dc(), *record, state, client, look, engine->settings.accentColour);
    copy_to_button(button, background.dc(), client);
}

}  // namespace

void paintPushButton(HWND button, HDC target, UINT state, const RECT& area) {
    SkinEngine* engine = SkinEngine::instance();
    const ControlSkin* record = findControlRecord(button, &SkinWindow::buttonSkins);
    if (!engine || !record || !target) return;
    const ComposedBackground background(*engine, button);
    if (!background.dc()) return;
    draw_push_button(background.dc(), *record, state, area, engine->settings.accentColour);
    BitBlt(target, 0, 0, area.right - area.left, height_of(area), background.dc(), 0, 0, SRCCOPY);
}

void paintRadioButton(HWND button, UINT state) { paint_small_button(button, state, kRadioLook); }

void paintCheckBox(HWND button, UINT state) { paint_small_button(button, state, kCheckLook); }

}  // namespace qelvo::skin
