// Text with a halo. The title of a skinned window and the items of its
// bottom bar stand on pictures of any colour; a faint ring of a contrasting
// colour round every glyph keeps them readable on all of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "gdiplus/graphics.h"

namespace qelvo::skin {

struct TextFont {
    std::string_view face;  // GBK
    int size = 12;          // pixels
    int style = 0;          // GDI+ FontStyle bits
};

struct HaloColours {
    COLORREF halo = 0;
    std::uint8_t haloAlpha = 150;
    COLORREF text = 0xFFFFFF;  // drawn opaque
};

// One line of GBK text, left-aligned in the box: four times in the halo
// colour at the halo alpha, shifted one pixel left, right, up and down,
// then once in the text colour on top. Nothing is drawn when the font
// cannot be made.
void drawHaloText(gdiplus::Graphics& graphics, std::string_view gbkText, const Gdiplus::RectF& box,
                  const TextFont& font, const HaloColours& colours);

}  // namespace qelvo::skin
