// How the replace and find jobs read their inputs.
#pragma once

#include <string>
#include <string_view>

namespace qelvo {

// In the find and replacement boxes the two characters backslash and n
// stand for a line break, CR LF.
std::string expand_line_breaks(std::string_view typed);

// The jobs only touch files whose extension occurs in the list of text
// extensions. The list is searched as one text for "." and the extension
// (the text after the path's last dot), so a prefix of a listed extension
// passes, a path without a dot passes, and capitals do not.
bool has_text_extension(std::string_view path);

}  // namespace qelvo
