// The rounded shapes the painters fill and stroke, and a soft outline.
#pragma once

#include <windows.h>

#include <cstdint>

#include "gdiplus/graphics.h"
#include "gdiplus/path.h"

namespace qelvo::skin {

// One closed figure; the diameter is held to 1..100. The bottom-right arc is
// one pixel larger and one pixel further in than the others.
void addRoundRect(gdiplus::Path& path, float x, float y, float width, float height, float diameter);
// An open figure: two sides and a top edge with rounded top corners.
void addTopRoundRect(gdiplus::Path& path, float x, float y, float width, float height,
                     float diameter);
// Strokes the path `count` times with widths 1 .. count: darkest at the path.
void glowOutline(gdiplus::Graphics& graphics, const gdiplus::Path& path, int count, COLORREF colour,
                 std::uint8_t alpha);

}  // namespace qelvo::skin
