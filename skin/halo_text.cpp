#include "skin/halo_text.h"

#include <array>

#include "gdiplus/brushes.h"
#include "gdiplus/text.h"
#include "skin/colour.h"

namespace qelvo::skin {
namespace {

struct Offset {
    float dx = 0;
    float dy = 0;
};

// Left, right, up and down: the four copies that make the ring.
constexpr std::array<Offset, 4> kHaloOffsets{{{-1, 0}, {1, 0}, {0, -1}, {0, 1}}};

Gdiplus::RectF shifted(const Gdiplus::RectF& box, Offset offset) {
    return Gdiplus::RectF(box.X + offset.dx, box.Y + offset.dy, box.Width, box.Height);
}

}  // namespace

void drawHaloText(gdiplus::Graphics& graphics, std::string_view gbkText, const Gdiplus::RectF& box,
                  const TextFont& font, const HaloColours& colours) {
    if (gbkText.empty()) return;
    gdiplus::Font textFont;
    if (!textFont.CreateFontFromName(font.face, static_cast<Gdiplus::REAL>(font.size), font.style,
                                     Gdiplus::UnitPixel)) {
        return;
    }
    // Titles and bar items are single lines; the box clips what does not fit.
    gdiplus::StringFormat format;
    if (!format.CreateStringFormat(Gdiplus::StringFormatFlagsNoWrap)) return;
    gdiplus::SolidBrush halo;
    gdiplus::SolidBrush text;
    if (!halo.CreateSolidFill(toArgb(colours.halo, colours.haloAlpha)) ||
        !text.CreateSolidFill(toArgb(colours.text))) {
        return;
    }
    for (const Offset offset : kHaloOffsets) {
        graphics.DrawString(gbkText, textFont, shifted(box, offset), format, halo);
    }
    graphics.DrawString(gbkText, textFont, box, format, text);
}

}  // namespace qelvo::skin
