// The text input icon's picture: a small image with transparent pixels,
// shown over the field of a text combo. A static control would draw its
// bitmap opaque over its own background, which is not the field's, so the
// picture paints itself: the field's own background first, as the combo
// gives it to its edit, then the image's pixels blended over it.
#pragma once

#include <windows.h>

#include <vector>

namespace qelvo::ui {

// An image's pixels as 0xAARRGGBB values, row by row.
struct ImagePixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned> argb;
};

// The image stored as an RCDATA resource, decoded with GDI+ (which must be
// started); nothing when the resource is missing or cannot be read.
ImagePixels image_resource_pixels(HINSTANCE instance, int id);

// Makes the static control picture paint the image as described above, for
// as long as it exists.
void attach_pen_picture(HWND picture, ImagePixels pixels);

}  // namespace qelvo::ui
