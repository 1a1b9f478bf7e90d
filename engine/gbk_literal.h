// Source files are UTF-8 while engine texts are GBK: fixed texts are written
// as UTF-8 literals and converted once, where they are defined.
#pragma once

#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace qelvo {

inline std::string gbk(std::string_view utf8) { return codepage::utf8_to_gbk(utf8); }

}  // namespace qelvo
