// Whole-image helpers: the mean colour of a picture, a copy that dissolves
// into a colour along one edge, a picture file re-encoded as PNG bytes, and
// a blank bitmap whose pixels carry alpha. An image is given as a file path
// (GBK) or, when the path is empty, bytes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string_view>

#include "skin/skin_records.h"

namespace qelvo::skin {

// The mean of `count` pixels picked at random; a margin m >= 1 draws the
// columns (rows) from the last m + 1 only. The top byte is 0xFF.
COLORREF meanColour(std::string_view path, std::span<const std::uint8_t> bytes, int count,
                    int marginX = 0, int marginY = 0);

// A band of `bandWidth` pixels (0: 30 % of the width) where the picture
// dissolves into `colour`: form 1 along the right edge from the colour,
// form 0 along the right edge into it. Empty when the image does not load.
ImageBytes fadeImage(std::string_view path, std::span<const std::uint8_t> bytes, int bandWidth,
                     COLORREF colour, int form);

ImageBytes imageFileAsPng(std::string_view path);

// A 32-bit bitmap made through GDI+, so that its pixels carry alpha; counted
// (gdi_count) and owned by the caller. Null when it could not be made.
HBITMAP argbBitmap(int width, int height);

}  // namespace qelvo::skin
