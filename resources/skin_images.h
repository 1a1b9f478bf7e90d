// The skin's images, built into the program: each span holds a whole file,
// byte for byte, which GDI+ decodes from a memory stream whenever the image
// is drawn. The PNGs are 8-bit RGBA with real alpha. resources/make_images.sh
// draws the files in resources/skin/; the build turns them into the
// definitions (cmake/embed_files.cmake), so an edited image is rebuilt in.
// The spans are constant-initialized, so they may be read at any time, even
// by other static initializers.
#pragma once

#include <cstdint>
#include <span>

namespace qelvo::resources {

// Caption buttons, 18 pixels high, one state each: hover and press are drawn
// by laying a highlight under the same image. Translucent glass with a white,
// dark-edged glyph, so that the window's picture shows through a little.

// 26 x 18 help button: a question mark.
extern const std::span<const std::uint8_t> kCaptionHelpPng;
// 26 x 18 main-menu button: three lines and a small triangle pointing down.
extern const std::span<const std::uint8_t> kCaptionMenuPng;
// 26 x 18 minimize button: a bar at the bottom.
extern const std::span<const std::uint8_t> kCaptionMinimizePng;
// 26 x 18 maximize button of a window that is not maximized: a window.
extern const std::span<const std::uint8_t> kCaptionMaximizePng;
// 26 x 18 maximize button of a maximized window (restore): two overlapping
// windows.
extern const std::span<const std::uint8_t> kCaptionRestorePng;
// 38 x 18 close button: reddish glass with a cross; its top right corner is
// rounded to follow the window's corner.
extern const std::span<const std::uint8_t> kCaptionClosePng;

// 13 x 13 empty check box: a one-pixel border of RGB(3, 3, 3) at alpha 230
// round an opaque diagonal gradient from RGB(222, 223, 214) at the top left
// to RGB(253, 252, 252) at the bottom right.
extern const std::span<const std::uint8_t> kCheckEmptyPng;
// 13 x 13 checked check box, drawn over the empty one: the same gradient in
// an opaque border of RGB(24, 81, 132), with a tick of RGB(36, 110, 117)
// seven pixels high, down from the left middle and up to the upper right.
extern const std::span<const std::uint8_t> kCheckCheckedPng;

// Small solid dark triangles on transparency.
// 7 x 4 arrow pointing down: the combo boxes' drop-down button and the
// up-down controls' lower button.
extern const std::span<const std::uint8_t> kArrowDownPng;
// 7 x 4 arrow pointing up: the up-down controls' upper button.
extern const std::span<const std::uint8_t> kArrowUpPng;
// 4 x 7 arrow pointing left: the horizontal up-down controls' left button.
extern const std::span<const std::uint8_t> kArrowLeftPng;
// 4 x 7 arrow pointing right: the horizontal up-down controls' right button.
extern const std::span<const std::uint8_t> kArrowRightPng;

// 510 x 318 baseline JPEG, the main window's background, stretched over the
// whole window (fill mode 3) and seen through its translucent panels: a
// misty lake under a clouded sky in light, soft colours, smooth at the
// bottom centre where the text link sits.
extern const std::span<const std::uint8_t> kBackgroundJpg;

}  // namespace qelvo::resources
