#include "ui/win32/pen_picture.h"

// The COM declarations GDI+ needs (IStream, PROPID) come before it.
#include <objidl.h>

#include <commctrl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

namespace qelvo::ui {
namespace {

// A stream over a copy of a resource's bytes; GDI+ reads images from streams.
IStream* resource_stream(HINSTANCE instance, int id) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (!found) return nullptr;
    const DWORD size = SizeofResource(instance, found);
    HGLOBAL loaded = LoadResource(instance, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) return nullptr;
    std::memcpy(GlobalLock(copy), bytes, size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(copy, TRUE, &stream) != S_OK) {
        GlobalFree(copy);
        return nullptr;
    }
    return stream;
}

// Read pixel by pixel, as GDI+ gives each with its alpha: drawing an indexed
// image with a transparent colour does not blend it everywhere.
ImagePixels read_pixels(Gdiplus::GpBitmap* image) {
    namespace gdip = Gdiplus::DllExports;
    UINT width = 0;
    UINT height = 0;
    gdip::GdipGetImageWidth(image, &width);
    gdip::GdipGetImageHeight(image, &height);
    ImagePixels pixels{static_cast<int>(width), static_cast<int>(height), {}};
    pixels.argb.reserve(static_cast<std::size_t>(width) * height);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            Gdiplus::ARGB colour = 0;
            gdip::GdipBitmapGetPixel(image, static_cast<INT>(x), static_cast<INT>(y), &colour);
            pixels.argb.push_back(colour);
        }
    }
    return pixels;
}

BYTE blend(unsigned over, unsigned under, unsigned alpha) {
    return static_cast<BYTE>((over * alpha + under * (255 - alpha) + 127) / 255);
}

COLORREF blended(unsigned argb, COLORREF under) {
    const unsigned alpha = argb >> 24;
    return RGB(blend((argb >> 16) & 0xFF, GetRValue(under), alpha),
               blend((argb >> 8) & 0xFF, GetGValue(under), alpha),
               blend(argb & 0xFF, GetBValue(under), alpha));
}

struct FieldSearch {
    POINT centre;
    bool found = false;
};

BOOL CALLBACK look_for_field(HWND window, LPARAM search_pointer) {
    auto& search = *reinterpret_cast<FieldSearch*>(search_pointer);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    RECT area{};
    GetWindowRect(window, &area);
    if (IsWindowVisible(window) && lstrcmpiW(name, WC_COMBOBOXW) == 0 &&
        PtInRect(&area, search.centre)) {
        search.found = true;
        return FALSE;
    }
    return TRUE;
}

// Whether the picture lies over a visible text combo, wherever that is in
// the window's tree of controls.
bool lies_over_field(HWND picture) {
    RECT shown{};
    GetWindowRect(picture, &shown);
    FieldSearch search{{(shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2}};
    EnumChildWindows(GetAncestor(picture, GA_ROOT), look_for_field,
                     reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The colour the field shows just left of the picture, the commonest there
// so that a stroke of its text does not count: the field's own
// paint gives it a veil over the window's background that no brush alone
// reproduces.
COLORREF field_colour_beside(HWND picture) {
    RECT shown{};
    GetWindowRect(picture, &shown);
    HDC screen = GetDC(nullptr);
    std::map<COLORREF, int> seen;
    for (LONG y = shown.top; y < shown.bottom; ++y) {
        for (LONG x = shown.left - 3; x < shown.left; ++x) ++seen[GetPixel(screen, x, y)];
    }
    ReleaseDC(nullptr, screen);
    const auto commonest = std::max_element(
        seen.begin(), seen.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return commonest == seen.end() ? GetSysColor(COLOR_WINDOW) : commonest->first;
}

// Over a field, the field's colour; elsewhere the picture's own background.
void fill_background(HWND picture, HDC dc, const RECT& area) {
    if (lies_over_field(picture)) {
        HBRUSH brush = CreateSolidBrush(field_colour_beside(picture));
        FillRect(dc, &area, brush);
        DeleteObject(brush);
        return;
    }
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(picture), WM_CTLCOLORSTATIC,
                                                             reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(picture)));
    FillRect(dc, &area, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
}

// Composed off screen and copied once, so that no half-drawn picture shows.
void paint(HWND picture, HDC target, const ImagePixels& pixels) {
    RECT area{};
    GetClientRect(picture, &area);
    HDC memory = CreateCompatibleDC(target);
    HBITMAP canvas = CreateCompatibleBitmap(target, area.right, area.bottom);
    HGDIOBJ previous = SelectObject(memory, canvas);
    fill_background(picture, memory, area);
    for (int y = 0; y < pixels.height && y < area.bottom; ++y) {
        for (int x = 0; x < pixels.width && x < area.right; ++x) {
            const unsigned argb = pixels.argb[static_cast<std::size_t>(y * pixels.width + x)];
            if ((argb >> 24) != 0) SetPixel(memory, x, y, blended(argb, GetPixel(memory, x, y)));
        }
    }
    BitBlt(target, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(canvas);
    DeleteDC(memory);
}

LRESULT CALLBACK pen_procedure(HWND picture, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                               DWORD_PTR data) {
    auto* pixels = reinterpret_cast<ImagePixels*>(data);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(picture, &ps);
            paint(picture, dc, *pixels);
            EndPaint(picture, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_WINDOWPOSCHANGED:
            // Moved over another field, the picture takes that field's look.
            InvalidateRect(picture, nullptr, FALSE);
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(picture, pen_procedure, 0);
            delete pixels;
            break;
        default:
            break;
    }
    return DefSubclassProc(picture, message, wparam, lparam);
}

}  // namespace

ImagePixels image_resource_pixels(HINSTANCE instance, int id) {
    namespace gdip = Gdiplus::DllExports;
    IStream* stream = resource_stream(instance, id);
    if (!stream) return {};
    ImagePixels pixels;
    Gdiplus::GpBitmap* image = nullptr;
    if (gdip::GdipCreateBitmapFromStream(stream, &image) == Gdiplus::Ok) {
        pixels = read_pixels(image);
        gdip::GdipDisposeImage(image);
    }
    // GDI+ reads from the stream until the image is disposed.
    stream->Release();
    return pixels;
}

void attach_pen_picture(HWND picture, ImagePixels pixels) {
    auto owned = std::make_unique<ImagePixels>(std::move(pixels));
    if (SetWindowSubclass(picture, pen_procedure, 0, reinterpret_cast<DWORD_PTR>(owned.get()))) {
        owned.release();
        InvalidateRect(picture, nullptr, FALSE);
    }
}

}  // namespace qelvo::ui
