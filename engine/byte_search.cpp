#include "engine/byte_search.h"

#include <algorithm>
#include <atomic>
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
unsigned lowest_bit(unsigned mask) { return static_cast<unsigned>(__builtin_ctz(mask)); }

std::atomic<bool> avx2_allowed{true};

bool has_avx2() {
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported && avx2_allowed.load(std::memory_order_relaxed);
}

// Scans whole vectors of candidate starts from at while they all lie at or
// before last_start. Each candidate whose probes agree is handed to
// verify; the first one it accepts is returned. Otherwise at is left where
// the scalar scan must go on.
// Where the probe's byte agrees, one bit per position; a probe that folds
// also compares the other case.
template <bool Fold>
__attribute__((target("avx2"))) inline unsigned probe_mask_avx2(const char* at,
                                                                const ByteSearch::Probe& probe,
                                                                __m256i one, __m256i other) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probe.offset));
    __m256i equal = _mm256_cmpeq_epi8(bytes, one);
    if constexpr (Fold) equal = _mm256_or_si256(equal, _mm256_cmpeq_epi8(bytes, other));
    return static_cast<unsigned>(_mm256_movemask_epi8(equal));
}

// Scans whole vectors of candidate starts from at while they all lie at or
// before last_start. Each candidate whose two probes agree is handed to
// verify; the first one it accepts is returned. Otherwise at is left where
// the scalar scan must go on.
template <bool Fold, typename Verify>
__attribute__((target("avx2"))) const char* scan_avx2(
    const std::array<ByteSearch::Probe, 2>& probes, const char*& at, const char* last_start,
    Verify verify) {
    const __m256i one0 = _mm256_set1_epi8(probes[0].one);
    const __m256i other0 = _mm256_set1_epi8(probes[0].other);
    const __m256i one1 = _mm256_set1_epi8(probes[1].one);
    const __m256i other1 = _mm256_set1_epi8(probes[1].other);
    for (; last_start - at >= 31; at += 32) {
        unsigned mask = probe_mask_avx2<Fold>(at, probes[0], one0, other0) &
                        probe_mask_avx2<Fold>(at, probes[1], one1, other1);
        for (; mask != 0; mask &= mask - 1) {
            if (verify(at + lowest_bit(mask))) return at + lowest_bit(mask);
        }
    }
    return nullptr;
}

template <bool Fold>
inline unsigned probe_mask_sse2(const char* at, const ByteSearch::Probe& probe, __m128i one,
                                __m128i other) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + probe.offset));
    __m128i equal = _mm_cmpeq_epi8(bytes, one);
    if constexpr (Fold) equal = _mm_or_si128(equal, _mm_cmpeq_epi8(bytes, other));
    return static_cast<unsigned>(_mm_movemask_epi8(equal));
}

template <bool Fold, typename Verify>
const char* scan_sse2(const std::array<ByteSearch::Probe, 2>& probes, const char*& at,
                      const char* last_start, Verify verify) {
    const __m128i one0 = _mm_set1_epi8(probes[0].one);
    const __m128i other0 = _mm_set1_epi8(probes[0].other);
    const __m128i one1 = _mm_set1_epi8(probes[1].one);
    const __m128i other1 = _mm_set1_epi8(probes[1].other);
    for (; last_start - at >= 15; at += 16) {
        unsigned mask = probe_mask_sse2<Fold>(at, probes[0], one0, other0) &
                        probe_mask_sse2<Fold>(at, probes[1], one1, other1);
        for (; mask != 0; mask &= mask - 1) {
            if (verify(at + lowest_bit(mask))) return at + lowest_bit(mask);
        }
    }
    return nullptr;
}

// The vector scan for the probes: the widest the processor allows, and
// comparing a second form of a byte only where a probe has one.
template <typename Verify>
const char* scan_vectors(const std::array<ByteSearch::Probe, 2>& probes, const char*& at,
                         const char* last_start, Verify verify) {
    const bool fold = probes[0].one != probes[0].other || probes[1].one != probes[1].other;
    if (has_avx2()) {
        return fold ? scan_avx2<true>(probes, at, last_start, verify)
                    : scan_avx2<false>(probes, at, last_start, verify);
    }
    return fold ? scan_sse2<true>(probes, at, last_start, verify)
                : scan_sse2<false>(probes, at, last_start, verify);
}
#endif

}  // namespace

void ByteSearch::allow_avx2(bool allowed) {
#if defined(QELVO_X86_VECTORS)
    avx2_allowed.store(allowed, std::memory_order_relaxed);
#else
    static_cast<void>(allowed);
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
