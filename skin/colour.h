// The two colour formats the skin converts between: COLORREF 0x00BBGGRR
// for GDI and the window properties, ARGB 0xAARRGGBB for GDI+.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qelvo::skin {

using Argb = std::uint32_t;

inline constexpr COLORREF kWhite = 0xFFFFFF;
inline constexpr COLORREF kBlack = 0x000000;

// Red and blue change places; the alpha goes into the top byte.
constexpr Argb toArgb(COLORREF colour, std::uint8_t alpha = 255) {
    const std::uint32_t red = colour & 0xFF;
    const std::uint32_t green = (colour >> 8) & 0xFF;
    const std::uint32_t blue = (colour >> 16) & 0xFF;
    return (static_cast<std::uint32_t>(alpha) << 24) | (red << 16) | (green << 8) | blue;
}

// The colour with a top byte of 0; the alpha comes out through the argument.
constexpr COLORREF toColorref(Argb colour, std::uint8_t& alpha) {
    alpha = static_cast<std::uint8_t>(colour >> 24);
    const std::uint32_t red = (colour >> 16) & 0xFF;
    const std::uint32_t green = (colour >> 8) & 0xFF;
    const std::uint32_t blue = colour & 0xFF;
    return static_cast<COLORREF>((blue << 16) | (green << 8) | red);
}

}  // namespace qelvo::skin
