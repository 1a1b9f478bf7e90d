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

bool probe_agrees(const ByteSearch::Probe& probe, const char* at) {
    const char byte = at[probe.offset];
    return byte == probe.one || byte == probe.other;
}

// How common a byte is in the texts this tool searches, on a rough scale:
// English words and code, GBK text (lead and second bytes from 0x81 up), and
// Chinese UTF-8, where the lead bytes 0xE4 to 0xE9 of the common characters
// make up a third of all bytes. Comparing the rarest bytes of the sought text
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
    if (value >= 0x80) return 60;
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

// The two probes as the vector loops take them: plain values, so that they
// stay in registers.
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
};

// Each loop below moves at over whole vectors of candidate starts, all at or
// before last_start, up to the first vector in which both probes agree
// somewhere, and gives the positions that agree as bits (the lowest bit for
// at itself); 0 once no whole vector is left, with at where a narrower scan
// goes on. A folding probe also compares its byte's other case. The loops
// call nothing, so the compared bytes stay in registers.
template <bool Fold>
__attribute__((target("avx512bw"))) std::uint64_t next_agreement_avx512(const char*& at,
                                                                        const char* last_start,
                                                                        const ProbePair& p) {
    const __m512i one0 = _mm512_set1_epi8(p.one0);
    const __m512i other0 = _mm512_set1_epi8(p.other0);
    const __m512i one1 = _mm512_set1_epi8(p.one1);
    const __m512i other1 = _mm512_set1_epi8(p.other1);
    for (const char* block = at; last_start - block >= 63; block += 64) {
        const __m512i bytes0 = _mm512_loadu_si512(block + p.offset0);
        const __m512i bytes1 = _mm512_loadu_si512(block + p.offset1);
        __mmask64 equal0 = _mm512_cmpeq_epi8_mask(bytes0, one0);
        __mmask64 equal1 = _mm512_cmpeq_epi8_mask(bytes1, one1);
        if constexpr (Fold) {
            equal0 |= _mm512_cmpeq_epi8_mask(bytes0, other0);
            equal1 |= _mm512_cmpeq_epi8_mask(bytes1, other1);
        }
        if (const auto mask = static_cast<std::uint64_t>(equal0 & equal1); mask != 0) {
            at = block;
            return mask;
        }
        at = block + 64;
    }
    return 0;
}

template <bool Fold>
__attribute__((target("avx2"))) std::uint64_t next_agreement_avx2(const char*& at,
                                                                  const char* last_start,
                                                                  const ProbePair& p) {
    const __m256i one0 = _mm256_set1_epi8(p.one0);
    const __m256i other0 = _mm256_set1_epi8(p.other0);
    const __m256i one1 = _mm256_set1_epi8(p.one1);
    const __m256i other1 = _mm256_set1_epi8(p.other1);
    for (const char* block = at; last_start - block >= 31; block += 32) {
        const __m256i bytes0 =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + p.offset0));
        const __m256i bytes1 =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + p.offset1));
        __m256i equal0 = _mm256_cmpeq_epi8(bytes0, one0);
        __m256i equal1 = _mm256_cmpeq_epi8(bytes1, one1);
        if constexpr (Fold) {
            equal0 = _mm256_or_si256(equal0, _mm256_cmpeq_epi8(bytes0, other0));
            equal1 = _mm256_or_si256(equal1, _mm256_cmpeq_epi8(bytes1, other1));
        }
        const auto mask =
            static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(equal0, equal1)));
        if (mask != 0) {
            at = block;
            return mask;
        }
        at = block + 32;
    }
    return 0;
}

template <bool Fold>
std::uint64_t next_agreement_sse2(const char*& at, const char* last_start, const ProbePair& p) {
    const __m128i one0 = _mm_set1_epi8(p.one0);
    const __m128i other0 = _mm_set1_epi8(p.other0);
    const __m128i one1 = _mm_set1_epi8(p.one1);
    const __m128i other1 = _mm_set1_epi8(p.other1);
    for (const char* block = at; last_start - block >= 15; block += 16) {
        const __m128i bytes0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + p.offset0));
        const __m128i bytes1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + p.offset1));
        __m128i equal0 = _mm_cmpeq_epi8(bytes0, one0);
        __m128i equal1 = _mm_cmpeq_epi8(bytes1, one1);
        if constexpr (Fold) {
            equal0 = _mm_or_si128(equal0, _mm_cmpeq_epi8(bytes0, other0));
            equal1 = _mm_or_si128(equal1, _mm_cmpeq_epi8(bytes1, other1));
        }
        const auto mask =
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_and_si128(equal0, equal1)));
        if (mask != 0) {
            at = block;
            return mask;
        }
        at = block + 16;
    }
    return 0;
}

// The vector scan of the given width, verifying the candidates of each
// vector in which the probes agree; nothing when no whole vector holds a
// match, with at where a narrower scan goes on.
template <bool Fold, typename Verify>
const char* scan(ByteSearch::Vectors width, const ProbePair& probes, const char*& at,
                 const char* last_start, Verify verify) {
    for (;;) {
        std::uint64_t mask = 0;
        std::size_t step = 0;
        if (width == ByteSearch::Vectors::avx512) {
            mask = next_agreement_avx512<Fold>(at, last_start, probes);
            step = 64;
        } else if (width == ByteSearch::Vectors::avx2) {
            mask = next_agreement_avx2<Fold>(at, last_start, probes);
            step = 32;
        } else {
            mask = next_agreement_sse2<Fold>(at, last_start, probes);
            step = 16;
        }
        if (mask == 0) return nullptr;
        for (; mask != 0; mask &= mask - 1) {
            const char* candidate = at + __builtin_ctzll(mask);
            if (verify(candidate)) return candidate;
        }
        at += step;
    }
}

// Every vector width the processor allows, widest first, each going on
// where the wider one left off; a second case is compared only where a probe
// has one.
template <typename Verify>
const char* scan_vectors(const std::array<ByteSearch::Probe, 2>& probes, const char*& at,
                         const char* last_start, Verify verify) {
    const ProbePair pair(probes);
    const bool fold = probes[0].one != probes[0].other || probes[1].one != probes[1].other;
    const ByteSearch::Vectors widest = widest_vectors();
    for (const ByteSearch::Vectors width :
         {ByteSearch::Vectors::avx512, ByteSearch::Vectors::avx2, ByteSearch::Vectors::sse2}) {
        if (width > widest) continue;
        const char* found = fold ? scan<true>(width, pair, at, last_start, verify)
                                 : scan<false>(width, pair, at, last_start, verify);
        if (found != nullptr) return found;
    }
    return nullptr;
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
    auto verify = [this](const char* candidate) { return matches_at(candidate); };
    const char* found = scan_vectors(probes_, at, last_start, verify);
    if (found != nullptr) return found;
#endif
    return find_scalar(at, last_start);
}

}  // namespace qelvo
