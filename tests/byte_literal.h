// Bytes shown as a C++ string literal in failure messages, so that a failing
// random case can be pasted into a test as it is.
#pragma once

#include <string>
#include <string_view>

namespace qelvo::testing {

inline std::string byte_literal(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string literal = "\"";
    bool after_escape = false;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value >= 0x20 && value < 0x7F && byte != '"' && byte != '\\') {
            const bool hex_digit = (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'f') ||
                                   (byte >= 'A' && byte <= 'F');
            // "\x81" "a": a hex digit right after an escape would lengthen it.
            if (after_escape && hex_digit) literal += "\" \"";
            literal += byte;
            after_escape = false;
        } else {
            literal += "\\x";
            literal += kDigits[value >> 4];
            literal += kDigits[value & 0xF];
            after_escape = true;
        }
    }
    return literal + "\"";
}

}  // namespace qelvo::testing
