// How the files of a run are searched for the inputs a worker read: in the
// file's own bytes where that gives exactly what searching its GBK text
// gives, or through its GBK text otherwise.
//
// A GBK file is searched in its bytes. A UTF-8 file is searched for the
// UTF-8 form of the find text, and rewritten with the UTF-8 form of the
// replacement, when both convert to UTF-8 and back unchanged, every character
// of the find text has an exact GBK form and none has a one-byte form of 0x80
// or more, and, when case is ignored, no two-byte character of it has a
// letter as its second byte (folding would change which character it is).
// UTF-8 is self-synchronising, so such a text occurs in a file's bytes
// exactly where it occurs in the file's converted characters. A file that
// holds a character with a one-byte form of 0x80 or more is still searched
// through the conversion, since that byte shifts the GBK character starts
// behind it. Such files, and all UTF-8 files when the find text cannot be
// searched for in UTF-8, are searched through their GBK text piece by piece.
// Only an empty find text, which matches any text that is not empty, is left
// to the whole-file conversion.
#pragma once

#include <optional>
#include <string>

#include "engine/byte_search.h"

namespace qelvo {

// The texts a worker reads from the panel with each claim.
struct SearchInputs {
    std::string find;
    std::string replacement;
    bool utf8 = false;

    bool operator==(const SearchInputs&) const = default;
};

enum class SearchMethod { gbk_bytes, utf8_bytes, utf8_converted, whole_file };

struct SearchPlan {
    SearchInputs inputs;
    bool ignore_case = false;
    SearchMethod method = SearchMethod::whole_file;
    // For the byte methods: the find text and the replacement in the file's
    // encoding; presence follows the case rule, exact is case-sensitive.
    std::optional<ByteSearch> presence;
    std::optional<ByteSearch> exact;
    std::string replacement;
    // For utf8_bytes: the characters that send a file through the conversion,
    // both found by one search.
    std::optional<ByteSearch> shifting;
    // For UTF-8 files searched through their GBK text: the find text in GBK,
    // presence following the case rule, exact case-sensitive. The
    // replacement is the one of the inputs.
    std::optional<ByteSearch> converted_presence;
    std::optional<ByteSearch> converted_exact;

    // The longest text a match, or a shifting character, may span.
    std::size_t longest_span() const;
};

SearchPlan make_search_plan(const SearchInputs& inputs, bool ignore_case);

}  // namespace qelvo
