#include "engine/byte_search.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define QELVO_X86_VECTORS 1
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

// The first zero byte in [from, end), which the caller knows holds one.
const char* first_zero(const char* from, const char* end) {
    return static_cast<const char*>(std::memchr(from, 0, static_cast<std::size_t>(end - from)));
}

bool probe_agrees(const ByteSearch::Probe& probe, const char* at) {
    const char byte = at[probe.offset];
    return byte == probe.one || byte == probe.other;
}

// How common a byte is in the texts this tool searches, on a rough scale:
// English words and code, GBK text (lead and second bytes from 0x81 up), and
// Chinese UTF-8, where the lead bytes 0xE4 to 0xE9 of the common characters
// make up a third of all bytes and the continuation bytes 0x80 to 0xBF most
// of the rest, after every lead byte: a lead byte paired with a later byte
// is far rarer than two continuation bytes. Comparing the rarest bytes of the sought text
// keeps the candidates few.
int commonness(char byte) {
    constexpr std::string_view kCommonestLetters = "etaoinsrhld";
    constexpr std::string_view kCodePunctuation = "\t\r\n;(){}=<>/\"'.,-_:";
    const auto value = static_cast<unsigned char>(byte);
    if (value == ' ') return 255;
    if (value >= 0xE4 && value <= 0xE9) return 200;
    if (kCommonestLetters.find(byte) != std::string_view::npos) return 180;
    if (value >= 'a' && value <= 'z') return 140;
    if (value >= 0xE0 && value <= 0xEF) return 120;
    if (value >= '0' && value <= '9') return 100;
    if (kCodePunctuation.find(byte) != std::string_view::npos) return 100;
    if (value >= 'A' && value <= 'Z') return 80;
    if (value >= 0xF0) return 30;
    if (value >= 0xC0) return 60;
    if (value >= 0x80) return 130;
    return value < 0x20 || value == 0x7F ? 1 : 40;
}

// The offsets of two rare bytes, the rarest first. Of bytes as rare as each
// other the second is the one farthest from the first, so that the two lie
// in different characters: two bytes of one character agree wherever that
// character occurs. A text of one byte gives its only offset twice.
std::array<std::size_t, 2> rarest_offsets(std::string_view text) {
    std::size_t first = 0;
    for (std::size_t at = 1; at < text.size(); ++at) {
        if (commonness(text[at]) < commonness(text[first])) first = at;
    }
    auto distance = [first](std::size_t at) { return at > first ? at - first : first - at; };
    std::size_t second = first;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (at == first) continue;
        const bool rarer = second == first || commonness(text[at]) < commonness(text[second]);
        const bool as_rare_farther =
            commonness(text[at]) == commonness(text[second]) && distance(at) > distance(second);
        if (rarer || as_rare_farther) second = at;
    }
    return {first, second};
}

#if defined(QELVO_X86_VECTORS)
std::atomic<ByteSearch::Vectors> widest_allowed{ByteSearch::Vectors::avx512};

ByteSearch::Vectors widest_vectors() {
    static const ByteSearch::Vectors supported =
        __builtin_cpu_supports("avx512bw")
            ? ByteSearch::Vectors::avx512
            : (__builtin_cpu_supports("avx2") ? ByteSearch::Vectors::avx2
                                              : ByteSearch::Vectors::sse2);
    return std::min(supported, widest_allowed.load(std::memory_order_relaxed));
}

// A search's two probes as the vector loops take them: plain values, so that
// they stay in registers.
struct ProbePair {
    std::size_t offset0, offset1;
    char one0, other0, one1, other1;

    explicit ProbePair(const std::array<ByteSearch::Probe, 2>& probes)
        : offset0(probes[0].offset),
          offset1(probes[1].offset),
          one0(probes[0].one),
          other0(probes[0].other),
          one1(probes[1].one),
          other1(probes[1].other) {}

    bool folds() const { return one0 != other0 || one1 != other1; }
};

// What one vector of candidate starts holds, as bits (the lowest bit for its
// first position): where the first search's probes agree, where the second
// search's do, and where a zero byte lies; and whether a zero byte lay in
// the vectors passed over before it.
struct Agreements {
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    std::uint64_t zero = 0;
    bool zero_passed = false;

    std::uint64_t any() const { return first | second | zero; }
};

// Each loop below moves at over whole vectors of candidate starts, all at or
// before last_start, up to the first vector that holds a candidate, and
// gives what it holds; nothing once no whole vector is left, with at where a
// narrower scan goes on. Fold compares the first search's probes with their
// other forms too; Second looks for the second search as well, whose probes
// always have two forms. Zeros looks for zero bytes, but only keeps the
// smallest byte of the vectors it passes, which costs less than a comparison
// per vector: a zero byte matters only before a candidate or at the end, and
// the caller finds the first one then. The loops call nothing, so the
// compared bytes stay in registers.
#define QELVO_ALWAYS_INLINE(target_name) __attribute__((target(target_name), always_inline)) inline

QELVO_ALWAYS_INLINE("avx512bw") __mmask64 equal_avx512(__m512i bytes, __m512i value) {
    return _mm512_cmpeq_epi8_mask(bytes, value);
}

// The widest loop keeps its comparisons in mask registers, where a masked
// comparison is an and for free and one test tells whether anything agreed.
// The second search's probes pair up, one form of each of its texts, so that
// its candidates are those of the two texts and no mix of them.
template <bool Fold, bool Second, bool Zeros>
__attribute__((target("avx512bw"))) Agreements next_agreements_avx512(const char*& at,
                                                                      const char* last_start,
                                                                      const ProbePair& a,
                                                                      const ProbePair& b) {
    const __m512i a_one0 = _mm512_set1_epi8(a.one0), a_other0 = _mm512_set1_epi8(a.other0);
    const __m512i a_one1 = _mm512_set1_epi8(a.one1), a_other1 = _mm512_set1_epi8(a.other1);
    const __m512i b_one0 = _mm512_set1_epi8(b.one0), b_other0 = _mm512_set1_epi8(b.other0);
    const __m512i b_one1 = _mm512_set1_epi8(b.one1), b_other1 = _mm512_set1_epi8(b.other1);
    const __m512i zero = _mm512_setzero_si512();
    __m512i smallest = _mm512_set1_epi8(-1);
    const char* block = at;
    for (; last_start - block >= 63; block += 64) {
        const __m512i probed0 = _mm512_loadu_si512(block + a.offset0);
        const __m512i probed1 = _mm512_loadu_si512(block + a.offset1);
        __mmask64 first = 0;
        if constexpr (Fold) {
            first = _kand_mask64(
                _kor_mask64(equal_avx512(probed0, a_one0), equal_avx512(probed0, a_other0)),
                _kor_mask64(equal_avx512(probed1, a_one1), equal_avx512(probed1, a_other1)));
        } else {
            first = _mm512_mask_cmpeq_epi8_mask(equal_avx512(probed0, a_one0), probed1, a_one1);
        }
        __mmask64 second = 0;
        if constexpr (Second) {
            const __m512i other0 = _mm512_loadu_si512(block + b.offset0);
            const __m512i other1 = _mm512_loadu_si512(block + b.offset1);
            second = _kor_mask64(
                _mm512_mask_cmpeq_epi8_mask(equal_avx512(other0, b_one0), other1, b_one1),
                _mm512_mask_cmpeq_epi8_mask(equal_avx512(other0, b_other0), other1, b_other1));
        }
        const __m512i bytes = _mm512_loadu_si512(block);
        if (!_kortestz_mask64_u8(first, second)) {
            at = block;
            Agreements found{.first = first, .second = second};
            if constexpr (Zeros) {
                found.zero = equal_avx512(bytes, zero);
                found.zero_passed = equal_avx512(smallest, zero) != 0;
            }
            return found;
        }
        if constexpr (Zeros) smallest = _mm512_min_epu8(smallest, bytes);
    }
    at = block;
    return {.zero_passed = Zeros && equal_avx512(smallest, zero) != 0};
}

// The narrower loops keep the comparisons as vectors and test them all at
// once, turning them into bits only in the vector that holds something.
template <bool Fold>
QELVO_ALWAYS_INLINE("avx2")
__m256i equal_avx2(const char* probed, __m256i one, __m256i other) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(probed));
    const __m256i equal = _mm256_cmpeq_epi8(bytes, one);
    if constexpr (Fold) return _mm256_or_si256(equal, _mm256_cmpeq_epi8(bytes, other));
    return equal;
}

QELVO_ALWAYS_INLINE("avx2") std::uint64_t bits_avx2(__m256i equal) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(equal));
}

QELVO_ALWAYS_INLINE("avx2") std::uint64_t zero_bits_avx2(__m256i bytes) {
    return bits_avx2(_mm256_cmpeq_epi8(bytes, _mm256_setzero_si256()));
}

template <bool Fold, bool Second, bool Zeros>
__attribute__((target("avx2"))) Agreements next_agreements_avx2(const char*& at,
                                                                const char* last_start,
                                                                const ProbePair& a,
                                                                const ProbePair& b) {
    const __m256i a_one0 = _mm256_set1_epi8(a.one0), a_other0 = _mm256_set1_epi8(a.other0);
    const __m256i a_one1 = _mm256_set1_epi8(a.one1), a_other1 = _mm256_set1_epi8(a.other1);
    const __m256i b_one0 = _mm256_set1_epi8(b.one0), b_other0 = _mm256_set1_epi8(b.other0);
    const __m256i b_one1 = _mm256_set1_epi8(b.one1), b_other1 = _mm256_set1_epi8(b.other1);
    const __m256i zero = _mm256_setzero_si256();
    __m256i smallest = _mm256_set1_epi8(-1);
    const char* block = at;
    for (; last_start - block >= 31; block += 32) {
        const __m256i first =
            _mm256_and_si256(equal_avx2<Fold>(block + a.offset0, a_one0, a_other0),
                             equal_avx2<Fold>(block + a.offset1, a_one1, a_other1));
        __m256i second = zero;
        if constexpr (Second) {
            second = _mm256_and_si256(equal_avx2<true>(block + b.offset0, b_one0, b_other0),
                                      equal_avx2<true>(block + b.offset1, b_one1, b_other1));
        }
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block));
        const __m256i any = _mm256_or_si256(first, second);
        if (!_mm256_testz_si256(any, any)) {
            at = block;
            Agreements found{.first = bits_avx2(first), .second = bits_avx2(second)};
            if constexpr (Zeros) {
                found.zero = zero_bits_avx2(bytes);
                found.zero_passed = zero_bits_avx2(smallest) != 0;
            }
            return found;
        }
        if constexpr (Zeros) smallest = _mm256_min_epu8(smallest, bytes);
    }
    at = block;
    return {.zero_passed = Zeros && zero_bits_avx2(smallest) != 0};
}

template <bool Fold>
inline __m128i equal_sse2(const char* probed, __m128i one, __m128i other) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(probed));
    const __m128i equal = _mm_cmpeq_epi8(bytes, one);
    if constexpr (Fold) return _mm_or_si128(equal, _mm_cmpeq_epi8(bytes, other));
    return equal;
}

inline std::uint64_t bits_sse2(__m128i equal) {
    return static_cast<std::uint32_t>(_mm_movemask_epi8(equal));
}

inline std::uint64_t zero_bits_sse2(__m128i bytes) {
    return bits_sse2(_mm_cmpeq_epi8(bytes, _mm_setzero_si128()));
}

template <bool Fold, bool Second, bool Zeros>
Agreements next_agreements_sse2(const char*& at, const char* last_start, const ProbePair& a,
                                const ProbePair& b) {
    const __m128i a_one0 = _mm_set1_epi8(a.one0), a_other0 = _mm_set1_epi8(a.other0);
    const __m128i a_one1 = _mm_set1_epi8(a.one1), a_other1 = _mm_set1_epi8(a.other1);
    const __m128i b_one0 = _mm_set1_epi8(b.one0), b_other0 = _mm_set1_epi8(b.other0);
    const __m128i b_one1 = _mm_set1_epi8(b.one1), b_other1 = _mm_set1_epi8(b.other1);
    const __m128i zero = _mm_setzero_si128();
    __m128i smallest = _mm_set1_epi8(-1);
    const char* block = at;
    for (; last_start - block >= 15; block += 16) {
        const __m128i first = _mm_and_si128(equal_sse2<Fold>(block + a.offset0, a_one0, a_other0),
                                            equal_sse2<Fold>(block + a.offset1, a_one1, a_other1));
        __m128i second = zero;
        if constexpr (Second) {
            second = _mm_and_si128(equal_sse2<true>(block + b.offset0, b_one0, b_other0),
                                   equal_sse2<true>(block + b.offset1, b_one1, b_other1));
        }
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
        if (bits_sse2(_mm_or_si128(first, second)) != 0) {
            at = block;
            Agreements found{.first = bits_sse2(first), .second = bits_sse2(second)};
            if constexpr (Zeros) {
                found.zero = zero_bits_sse2(bytes);
                found.zero_passed = zero_bits_sse2(smallest) != 0;
            }
            return found;
        }
        if constexpr (Zeros) smallest = _mm_min_epu8(smallest, bytes);
    }
    at = block;
    return {.zero_passed = Zeros && zero_bits_sse2(smallest) != 0};
}

// The vector scan of the given width up to the first thing looked for: a
// zero byte, or a candidate of either search that its verify takes; nothing
// when no whole vector holds one, with at where a narrower scan goes on.
template <bool Fold, bool Second, bool Zeros, typename VerifyFirst, typename VerifySecond>
FirstFound scan(ByteSearch::Vectors width, const ProbePair& a, const ProbePair& b, const char*& at,
                const char* last_start, VerifyFirst verify_first, VerifySecond verify_second) {
    for (;;) {
        const char* const passed_from = at;
        Agreements found;
        std::size_t step = 0;
        if (width == ByteSearch::Vectors::avx512) {
            found = next_agreements_avx512<Fold, Second, Zeros>(at, last_start, a, b);
            step = 64;
        } else if (width == ByteSearch::Vectors::avx2) {
            found = next_agreements_avx2<Fold, Second, Zeros>(at, last_start, a, b);
            step = 32;
        } else {
            found = next_agreements_sse2<Fold, Second, Zeros>(at, last_start, a, b);
            step = 16;
        }
        // Every vector before passed_from was looked at whole already.
        if (found.zero_passed) return {FirstFound::Kind::zero_byte, first_zero(passed_from, at)};
        if (found.any() == 0) return {};
        for (std::uint64_t mask = found.any(); mask != 0; mask &= mask - 1) {
            const std::uint64_t bit = mask & (~mask + 1);
            const char* candidate = at + __builtin_ctzll(mask);
            if ((found.zero & bit) != 0) return {FirstFound::Kind::zero_byte, candidate};
            if ((found.first & bit) != 0 && verify_first(candidate)) {
                return {FirstFound::Kind::sought, candidate};
            }
            if ((found.second & bit) != 0 && verify_second(candidate)) {
                return {FirstFound::Kind::other, candidate};
            }
        }
        at += step;
    }
}

// Every vector width the processor allows, widest first, each going on
// where the wider one left off.
template <bool Fold, bool Second, bool Zeros, typename VerifyFirst, typename VerifySecond>
FirstFound scan_vectors(const ProbePair& a, const ProbePair& b, const char*& at,
                        const char* last_start, VerifyFirst verify_first,
                        VerifySecond verify_second) {
    const ByteSearch::Vectors widest = widest_vectors();
    for (const ByteSearch::Vectors width :
         {ByteSearch::Vectors::avx512, ByteSearch::Vectors::avx2, ByteSearch::Vectors::sse2}) {
        if (width > widest) continue;
        const FirstFound found =
            scan<Fold, Second, Zeros>(width, a, b, at, last_start, verify_first, verify_second);
        if (found.kind != FirstFound::Kind::nothing) return found;
    }
    return {};
}
#endif

}  // namespace

void ByteSearch::limit_vectors(Vectors widest) {
#if defined(QELVO_X86_VECTORS)
    widest_allowed.store(widest, std::memory_order_relaxed);
#else
    static_cast<void>(widest);
#endif
}

ByteSearch::ByteSearch(std::string_view sought, bool ignore_case)
    : sought_(ignore_case ? folded(sought) : std::string(sought)), ignore_case_(ignore_case) {
    if (sought_.empty()) return;
    const std::array<std::size_t, 2> offsets = rarest_offsets(sought_);
    for (int i = 0; i < 2; ++i) {
        const char byte = sought_[offsets[i]];
        probes_[i] = {offsets[i], byte, ignore_case ? to_upper(byte) : byte};
    }
}

ByteSearch::ByteSearch(std::string_view sought, std::string_view alternative)
    : sought_(sought), alternative_(alternative), ignore_case_(false) {
    if (sought_.empty()) return;
    // Each probe takes the byte of either text, so candidates are those of
    // both searches at once, and matches_at tells which one is there.
    const std::array<std::size_t, 2> offsets = rarest_offsets(sought_);
    for (int i = 0; i < 2; ++i) {
        probes_[i] = {offsets[i], sought_[offsets[i]], alternative_[offsets[i]]};
    }
}

bool ByteSearch::matches_at(const char* at) const {
    if (!alternative_.empty()) {
        return std::memcmp(at, sought_.data(), sought_.size()) == 0 ||
               std::memcmp(at, alternative_.data(), alternative_.size()) == 0;
    }
    if (!ignore_case_) return std::memcmp(at, sought_.data(), sought_.size()) == 0;
    for (std::size_t i = 0; i < sought_.size(); ++i) {
        if (to_lower(at[i]) != sought_[i]) return false;
    }
    return true;
}

const char* ByteSearch::find_one_byte(const char* from, const char* end) const {
    const Probe& probe = probes_[0];
    if (probe.one == probe.other) {
        return static_cast<const char*>(
            std::memchr(from, probe.one, static_cast<std::size_t>(end - from)));
    }
    for (const char* at = from; at < end; ++at) {
        if (probe_agrees(probe, at)) return at;
    }
    return nullptr;
}

const char* ByteSearch::find_scalar(const char* from, const char* last_start) const {
    for (const char* at = from; at <= last_start; ++at) {
        if (probe_agrees(probes_[0], at) && probe_agrees(probes_[1], at) && matches_at(at)) {
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
#if defined(QELVO_X86_VECTORS)
    const ProbePair probes(probes_);
    auto verify = [this](const char* candidate) { return matches_at(candidate); };
    auto none = [](const char*) { return false; };
    const FirstFound found =
        probes.folds()
            ? scan_vectors<true, false, false>(probes, probes, at, last_start, verify, none)
            : scan_vectors<false, false, false>(probes, probes, at, last_start, verify, none);
    if (found.kind == FirstFound::Kind::sought) return found.at;
#endif
    return find_scalar(at, last_start);
}

FirstFound ByteSearch::find_first(const ByteSearch* other, const char* from, const char* end,
                                  const Accept& accept) const {
    const char* at = from;
#if defined(QELVO_X86_VECTORS)
    const std::size_t longest = std::max(size(), other != nullptr ? other->size() : 0);
    if (end - from >= static_cast<std::ptrdiff_t>(longest)) {
        const char* const last_start = end - longest;
        const ProbePair first(probes_);
        auto verify_first = [&](const char* candidate) {
            return matches_at(candidate) && accept(candidate);
        };
        FirstFound found;
        if (other != nullptr) {
            const ProbePair second(other->probes_);
            auto verify_second = [other](const char* candidate) {
                return other->matches_at(candidate);
            };
            found = first.folds() ? scan_vectors<true, true, true>(first, second, at, last_start,
                                                                   verify_first, verify_second)
                                  : scan_vectors<false, true, true>(first, second, at, last_start,
                                                                    verify_first, verify_second);
        } else {
            auto none = [](const char*) { return false; };
            found = first.folds() ? scan_vectors<true, false, true>(first, first, at, last_start,
                                                                    verify_first, none)
                                  : scan_vectors<false, false, true>(first, first, at, last_start,
                                                                     verify_first, none);
        }
        if (found.kind != FirstFound::Kind::nothing) return found;
    }
#endif
    return find_first_scalar(other, at, end, accept);
}

// What the vector scan leaves, or all of a short text: the text's end, then
// the first accepted occurrence before it, then an occurrence of the other
// search if it begins sooner.
FirstFound ByteSearch::find_first_scalar(const ByteSearch* other, const char* from, const char* end,
                                         const Accept& accept) const {
    const void* zero = std::memchr(from, 0, static_cast<std::size_t>(end - from));
    const char* text_end = zero != nullptr ? static_cast<const char*>(zero) : end;
    FirstFound first;
    if (zero != nullptr) first = {FirstFound::Kind::zero_byte, text_end};
    for (const char* at = find(from, text_end); at != nullptr; at = find(at + 1, text_end)) {
        if (accept(at)) {
            first = {FirstFound::Kind::sought, at};
            break;
        }
    }
    if (other != nullptr) {
        const char* found = other->find(from, text_end);
        if (found != nullptr && (first.kind == FirstFound::Kind::nothing || found < first.at)) {
            first = {FirstFound::Kind::other, found};
        }
    }
    return first;
}

}  // namespace qelvo
