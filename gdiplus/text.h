// GDI+ text objects: font families, fonts and string formats. Names are
// GBK text both ways.
#pragma once

#include <string>
#include <string_view>

#include "gdiplus/native_object.h"

namespace qelvo::gdiplus {

class FontFamily : public NativeObject<Gdiplus::GpFontFamily> {
  public:
    // An installed family by name, from the system's font collection.
    bool CreateFontFamilyFromName(std::string_view gbk_name);
    // The family's name in the neutral language; empty for an empty wrapper.
    std::string GetFamilyName() const;

  private:
    // Font::GetFamily creates the family it is given.
    friend class Font;
};

class Font : public NativeObject<Gdiplus::GpFont> {
  public:
    // Sizes are in world units by default, which are pixels on the
    // untransformed surfaces the skin draws on. Style: FontStyle bits.
    bool CreateFontFromFamily(const FontFamily& family, Gdiplus::REAL size,
                              INT style = Gdiplus::FontStyleRegular,
                              Gdiplus::Unit unit = Gdiplus::UnitWorld);
    // The same from a family name: the family is made, used and deleted.
    bool CreateFontFromName(std::string_view gbk_family_name, Gdiplus::REAL size,
                            INT style = Gdiplus::FontStyleRegular,
                            Gdiplus::Unit unit = Gdiplus::UnitWorld);
    // The GDI font a control uses, measured on the given device context.
    // Fails with InvalidParameter, without a GDI+ call, when the handle
    // does not name a font (a control that keeps the system font answers
    // WM_GETFONT with null).
    bool CreateFontFromHFont(HDC dc, HFONT gdi_font);

    // Gives `family` (replacing what it held) a new family object equal
    // to this font's.
    bool GetFamily(FontFamily& family) const;
    // 0 for an empty wrapper.
    Gdiplus::REAL GetFontSize() const;
    INT GetFontStyle() const;
};

class StringFormat : public NativeObject<Gdiplus::GpStringFormat> {
  public:
    // Flags: StringFormatFlags bits.
    bool CreateStringFormat(INT flags = 0, LANGID language = LANG_NEUTRAL);
    // The generic format that GDI+ uses when none is given. Under Windows
    // it is one object for the whole process, so it is read, not changed:
    // a format to adjust comes from CreateStringFormat.
    bool StringFormatGetGenericDefault();

    bool SetStringFormatFlags(INT flags);
    // Horizontal placement in the layout box.
    bool SetStringFormatAlign(Gdiplus::StringAlignment alignment);
    // Vertical placement in the layout box.
    bool SetStringFormatLineAlign(Gdiplus::StringAlignment alignment);
    bool SetStringFormatTrimming(Gdiplus::StringTrimming trimming);
};

}  // namespace qelvo::gdiplus
