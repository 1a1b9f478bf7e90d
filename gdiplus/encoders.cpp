#include "gdiplus/encoders.h"

#include <algorithm>
#include <span>
#include <vector>

#include "gdiplus/gbk_text.h"

namespace qelvo::gdiplus {
namespace {

namespace flat = Gdiplus::DllExports;

// Braces, 32 digits, 4 hyphens and the terminating zero.
constexpr int kGuidTextCapacity = 39;

// The encoder records, followed in the same block by the texts and
// signatures they point to.
struct EncoderList {
    std::vector<Gdiplus::ImageCodecInfo> block;
    UINT count = 0;

    std::span<const Gdiplus::ImageCodecInfo> records() const { return {block.data(), count}; }
};

// None when GDI+ cannot list them (not started, for one).
std::optional<EncoderList> installed_encoders() {
    EncoderList list;
    UINT bytes = 0;
    if (!detail::record(flat::GdipGetImageEncodersSize(&list.count, &bytes))) return std::nullopt;
    const std::size_t whole_records =
        (bytes + sizeof(Gdiplus::ImageCodecInfo) - 1) / sizeof(Gdiplus::ImageCodecInfo);
    list.block.resize(std::max<std::size_t>(whole_records, list.count));
    if (!detail::record(flat::GdipGetImageEncoders(list.count, bytes, list.block.data()))) {
        return std::nullopt;
    }
    return list;
}

}  // namespace

std::string guid_text(const GUID& guid) {
    wchar_t text[kGuidTextCapacity] = {};
    StringFromGUID2(guid, text, kGuidTextCapacity);
    return detail::gbk_from_wide(text);
}

std::optional<CLSID> find_encoder(std::string_view format_text) {
    const std::optional<EncoderList> encoders = installed_encoders();
    if (!encoders) return std::nullopt;
    for (const Gdiplus::ImageCodecInfo& encoder : encoders->records()) {
        if (guid_text(encoder.FormatID) == format_text) return encoder.Clsid;
    }
    detail::record(Gdiplus::UnknownImageFormat);
    return std::nullopt;
}

}  // namespace qelvo::gdiplus
