// How a UTF-8 file's text divides into runs: characters that have an exact
// GBK form, which are searched and replaced in that form, and opaque runs
// (characters without one, bytes that are not well-formed UTF-8), which are
// carried over untouched and are never part of a match.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qelvo {

// One step through UTF-8 bytes: a well-formed character, or one byte that
// does not begin one; with the character's exact GBK form as exact_gbk_form
// gives it, 0 for an opaque step.
struct Utf8Step {
    std::size_t length;
    bool opaque;
    std::uint16_t gbk_form;
};

// A step never looks at more bytes than this, so with this many bytes in
// hand it is the step the whole text would give.
constexpr std::size_t kLongestUtf8Step = 4;

// The step at the start of bytes, which must not be empty.
Utf8Step utf8_step(std::string_view bytes);

}  // namespace qelvo
