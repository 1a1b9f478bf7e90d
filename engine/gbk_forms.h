// Which characters GBK (code page 936) holds exactly: those that convert to
// GBK and back to themselves. Best-fit mappings and the substitute character
// do not count, since they would change a file written back.
#pragma once

#include <string>
#include <vector>

namespace qelvo {

bool has_exact_gbk_form(char32_t code_point);

// The UTF-8 forms of the characters whose exact GBK form is one byte of 0x80
// or more. GBK text is scanned as if such a byte began a two-byte character,
// so in a UTF-8 file converted to GBK one of them shifts where the
// characters after it are taken to begin.
const std::vector<std::string>& single_high_byte_characters();

}  // namespace qelvo
