// Searching GBK text. A byte of 0x80 or more starts a two-byte character and
// a match must begin at a character start. Whether a byte begins a character
// is decided by looking back, not by walking the text from its start: a byte
// below 0x80 always ends a character (alone or as a second byte), so only
// the run of high bytes just before a position counts, and an even run means
// a character starts there.
#pragma once

#include <cstddef>

#include "engine/byte_search.h"

namespace qelvo {

// Whether at begins a character, in a text in which known (at or before at)
// begins one.
inline bool begins_gbk_character(const char* known, const char* at) {
    const char* run = at;
    while (run > known && static_cast<unsigned char>(run[-1]) >= 0x80) --run;
    return (at - run) % 2 == 0;
}

// The character start at or just before at.
inline const char* gbk_character_start_at_or_before(const char* known, const char* at) {
    return begins_gbk_character(known, at) ? at : at - 1;
}

// Where the bytes kept for the next piece of a text begin, so that nothing
// of up to span bytes beginning at or after known, a character start, is cut
// at end: span less one byte before end, never before known, and in GBK text
// moved back to a character start. Offsets count from begin.
inline std::size_t carry_start(const char* begin, std::size_t known, std::size_t end,
                               std::size_t span, bool gbk_text) {
    const std::size_t kept = span - 1;
    const std::size_t from = end > known + kept ? end - kept : known;
    if (!gbk_text) return from;
    return static_cast<std::size_t>(gbk_character_start_at_or_before(begin + known, begin + from) -
                                    begin);
}

// Tells of occurrences met in text order whether each begins a character,
// in a text whose first byte begins one. An occurrence that begins at a
// second byte shows that the next byte begins a character, so the look-back
// for later ones stops there and the whole stays linear in the text.
class GbkCharacterStarts {
  public:
    explicit GbkCharacterStarts(const char* from) : known_(from) {}

    bool begins_character(const char* at) {
        if (begins_gbk_character(known_, at)) return true;
        known_ = at + 1;
        return false;
    }

  private:
    const char* known_;
};

// The first occurrence beginning at a character start in [from, end), where
// from begins a character, or nullptr. Linear in the text however many
// occurrences fall inside characters.
const char* find_at_gbk_character_start(const ByteSearch& sought, const char* from,
                                        const char* end);

}  // namespace qelvo
