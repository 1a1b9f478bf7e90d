#include "gdiplus/text.h"

#include "gdiplus/gbk_text.h"

namespace qelvo::gdiplus {

namespace flat = Gdiplus::DllExports;

// ------------------------------------------------------------ font family

bool FontFamily::CreateFontFamilyFromName(std::string_view gbk_name) {
    const std::wstring name = detail::wide_from_gbk(gbk_name);
    return create([&](Gdiplus::GpFontFamily** made) {
        return flat::GdipCreateFontFamilyFromName(name.c_str(), nullptr, made);
    });
}

std::string FontFamily::GetFamilyName() const {
    WCHAR name[LF_FACESIZE] = {};
    detail::record(flat::GdipGetFamilyName(handle(), name, LANG_NEUTRAL));
    return detail::gbk_from_wide(name);
}

// ------------------------------------------------------------------- font

bool Font::CreateFontFromFamily(const FontFamily& family, Gdiplus::REAL size, INT style,
                                Gdiplus::Unit unit) {
    return create([&](Gdiplus::GpFont** made) {
        return flat::GdipCreateFont(family.handle(), size, style, unit, made);
    });
}

bool Font::CreateFontFromName(std::string_view gbk_family_name, Gdiplus::REAL size, INT style,
                              Gdiplus::Unit unit) {
    const std::wstring name = detail::wide_from_gbk(gbk_family_name);
    return create([&](Gdiplus::GpFont** made) {
        // The family only serves the creation: the font keeps what it needs.
        Gdiplus::GpFontFamily* family = nullptr;
        Gdiplus::Status status = flat::GdipCreateFontFamilyFromName(name.c_str(), nullptr, &family);
        if (status != Gdiplus::Ok) return status;
        status = flat::GdipCreateFont(family, size, style, unit, made);
        flat::GdipDeleteFontFamily(family);
        return status;
    });
}

bool Font::CreateFontFromHFont(HDC dc, HFONT gdi_font) {
    return create([&](Gdiplus::GpFont** made) {
        LOGFONTW description{};
        if (!gdi_font || GetObjectW(gdi_font, sizeof description, &description) == 0) {
            return Gdiplus::InvalidParameter;
        }
        return flat::GdipCreateFontFromLogfontW(dc, &description, made);
    });
}

bool Font::GetFamily(FontFamily& family) const {
    return family.create(
        [&](Gdiplus::GpFontFamily** made) { return flat::GdipGetFamily(handle(), made); });
}

Gdiplus::REAL Font::GetFontSize() const {
    Gdiplus::REAL size = 0;
    detail::record(flat::GdipGetFontSize(handle(), &size));
    return size;
}

INT Font::GetFontStyle() const {
    INT style = 0;
    detail::record(flat::GdipGetFontStyle(handle(), &style));
    return style;
}

// ---------------------------------------------------------- string format

bool StringFormat::CreateStringFormat(INT flags, LANGID language) {
    return create([&](Gdiplus::GpStringFormat** made) {
        return flat::GdipCreateStringFormat(flags, language, made);
    });
}

bool StringFormat::StringFormatGetGenericDefault() {
    return create([&](Gdiplus::GpStringFormat** made) {
        return flat::GdipStringFormatGetGenericDefault(made);
    });
}

bool StringFormat::SetStringFormatFlags(INT flags) {
    return detail::record(flat::GdipSetStringFormatFlags(handle(), flags));
}

bool StringFormat::SetStringFormatAlign(Gdiplus::StringAlignment alignment) {
    return detail::record(flat::GdipSetStringFormatAlign(handle(), alignment));
}

bool StringFormat::SetStringFormatLineAlign(Gdiplus::StringAlignment alignment) {
    return detail::record(flat::GdipSetStringFormatLineAlign(handle(), alignment));
}

bool StringFormat::SetStringFormatTrimming(Gdiplus::StringTrimming trimming) {
    return detail::record(flat::GdipSetStringFormatTrimming(handle(), trimming));
}

}  // namespace qelvo::gdiplus
