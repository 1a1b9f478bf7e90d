#include "engine/byte_search.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qelvo {
namespace {

bool is_lower_letter(char byte) { return byte >= 'a' && byte <= 'z'; }

char to_lower(char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte - 'A' + 'a') : byte;
}

char to_upper(char byte) {
    return is_lower_letter(byte) ? static_cast<char>(byte - 'a' + 'A') : byte;
}

std::string folded(std::string_view text) {
    std::string result(text);
    for (char& byte : result) byte = to_lower(byte);
    return result;
}

// The byte as found in a text: itself, or either case of a letter.
bool byte_agrees(char in_text, char sought, bool fold) {
    return in_text == sought || (fold && to_lower(in_text) == sought);
}

#if defined(__SSE2__)
// Sixteen bytes compared with a byte in both of its cases (the same byte
// twice when case does not matter).
struct BytePair {
    __m128i one;
    __m128i other;

    BytePair(char byte, bool fold)
        : one(_mm_set1_epi8(byte)), other(_mm_set1_epi8(fold ? to_upper(byte) : byte)) {}

    __m128i equal(__m128i bytes) const {
        return _mm_or_si128(_mm_cmpeq_epi8(bytes, one), _mm_cmpeq_epi8(bytes, other));
    }
};

__m128i load(const char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

unsigned lowest_bit(unsigned mask) { return static_cast<unsigned>(__builtin_ctz(mask)); }
#endif

}  // namespace

ByteSearch::ByteSearch(std::string_view sought, bool ignore_case)
    : sought_(ignore_case ? folded(sought) : std::string(sought)),
      ignore_case_(ignore_case),
      first_is_letter_(ignore_case && !sought_.empty() && is_lower_letter(sought_.front())),
      last_is_letter_(ignore_case && !sought_.empty() && is_lower_letter(sought_.back())) {}

bool ByteSearch::matches_at(const char* at) const {
    if (!ignore_case_) return std::memcmp(at, sought_.data(), sought_.size()) == 0;
    for (std::size_t i = 0; i < sought_.size(); ++i) {
        if (to_lower(at[i]) != sought_[i]) return false;
    }
    return true;
}

const char* ByteSearch::find_one_byte(const char* from, const char* end) const {
    const char byte = sought_.front();
    if (!first_is_letter_) {
        return static_cast<const char*>(
            std::memchr(from, byte, static_cast<std::size_t>(end - from)));
    }
    const char* at = from;
#if defined(__SSE2__)
    const BytePair wanted(byte, true);
    for (; end - at >= 16; at += 16) {
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(wanted.equal(load(at))));
        if (mask != 0) return at + lowest_bit(mask);
    }
#endif
    for (; at < end; ++at) {
        if (byte_agrees(*at, byte, true)) return at;
    }
    return nullptr;
}

const char* ByteSearch::find_pair_scalar(const char* from, const char* last_start) const {
    const std::size_t distance = sought_.size() - 1;
    for (const char* at = from; at <= last_start; ++at) {
        if (byte_agrees(at[0], sought_.front(), first_is_letter_) &&
            byte_agrees(at[distance], sought_.back(), last_is_letter_) && matches_at(at)) {
            return at;
        }
    }
    return nullptr;
}

const char* ByteSearch::find(const char* from, const char* end) const {
    if (end - from < static_cast<std::ptrdiff_t>(sought_.size())) return nullptr;
    if (sought_.size() == 1) return find_one_byte(from, end);
    const char* const last_start = end - sought_.size();
    const char* at = from;
#if defined(__SSE2__)
    const std::size_t distance = sought_.size() - 1;
    const BytePair first(sought_.front(), first_is_letter_);
    const BytePair last(sought_.back(), last_is_letter_);
    // Sixteen candidate starts at a time; the last block's second load ends
    // exactly at the end of the text.
    for (; last_start - at >= 15; at += 16) {
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(first.equal(load(at)), last.equal(load(at + distance)))));
        while (mask != 0) {
            const char* candidate = at + lowest_bit(mask);
            if (matches_at(candidate)) return candidate;
            mask &= mask - 1;
        }
    }
#endif
    return find_pair_scalar(at, last_start);
}

}  // namespace qelvo
