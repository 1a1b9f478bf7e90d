// The installed GDI+ image encoders, found by the text of their format
// identifier.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "gdiplus/status.h"

namespace qelvo::gdiplus {

// Format identifiers as text: the GDI+ BMP format (the default for saving)
// and the PNG format.
inline constexpr std::string_view kBmpFormat = "{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}";
inline constexpr std::string_view kPngFormat = "{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}";

// A GUID as StringFromGUID2 writes it: braces, upper-case hex digits.
std::string guid_text(const GUID& guid);

// The class identifier of the first installed encoder whose format text
// equals `format_text` exactly (so case matters). None when no encoder
// matches, with UnknownImageFormat as the last status, or when the list
// cannot be read, with the status of that call.
std::optional<CLSID> find_encoder(std::string_view format_text);

}  // namespace qelvo::gdiplus
