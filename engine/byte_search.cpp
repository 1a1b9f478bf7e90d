#include "engine/byte_search.h"

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
// Where the probe's byte agrees, one bit per position.
__attribute__((target("avx2"))) inline unsigned probe_mask_avx2(const char* at,
                                                                const ByteSearch::Probe& probe,
                                                                __m256i one, __m256i other) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + probe.offset));
    return static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(bytes, one), _mm256_cmpeq_epi8(bytes, other))));
}

template <typename Verify>
__attribute__((target("avx2"))) const char* scan_avx2(
    const std::array<ByteSearch::Probe, 3>& probes, const char*& at, const char* last_start,
    Verify verify) {
    const __m256i one0 = _mm256_set1_epi8(probes[0].one);
    const __m256i other0 = _mm256_set1_epi8(probes[0].other);
    const __m256i one1 = _mm256_set1_epi8(probes[1].one);
    const __m256i other1 = _mm256_set1_epi8(probes[1].other);
    const __m256i one2 = _mm256_set1_epi8(probes[2].one);
    const __m256i other2 = _mm256_set1_epi8(probes[2].other);
    for (; last_start - at >= 31; at += 32) {
        unsigned mask = probe_mask_avx2(at, probes[0], one0, other0) &
                        probe_mask_avx2(at, probes[1], one1, other1) &
                        probe_mask_avx2(at, probes[2], one2, other2);
        for (; mask != 0; mask &= mask - 1) {
            if (verify(at + lowest_bit(mask))) return at + lowest_bit(mask);
        }
    }
    return nullptr;
}

template <typename Verify>
const char* scan_sse2(const std::array<ByteSearch::Probe, 3>& probes, const char*& at,
                      const char* last_start, Verify verify) {
    __m128i one[3];
    __m128i other[3];
    for (int i = 0; i < 3; ++i) {
        one[i] = _mm_set1_epi8(probes[i].one);
        other[i] = _mm_set1_epi8(probes[i].other);
    }
    auto agree = [&](int i) {
        const __m128i bytes =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + probes[i].offset));
        return _mm_or_si128(_mm_cmpeq_epi8(bytes, one[i]), _mm_cmpeq_epi8(bytes, other[i]));
    };
    for (; last_start - at >= 15; at += 16) {
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_and_si128(agree(0), agree(1)), agree(2))));
        for (; mask != 0; mask &= mask - 1) {
            if (verify(at + lowest_bit(mask))) return at + lowest_bit(mask);
        }
    }
    return nullptr;
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
    const std::size_t offsets[3] = {0, sought_.size() / 2, sought_.size() - 1};
    for (int i = 0; i < 3; ++i) {
        const char byte = sought_[offsets[i]];
        probes_[i] = {offsets[i], byte, ignore_case ? to_upper(byte) : byte};
    }
}

ByteSearch::ByteSearch(std::string_view sought, std::string_view alternative)
    : sought_(sought), alternative_(alternative), ignore_case_(false) {
    if (sought_.empty()) return;
    // Each probe takes the byte of either text, so candidates are those of
    // both searches at once, and matches_at tells which one is there.
    const std::size_t offsets[3] = {0, sought_.size() / 2, sought_.size() - 1};
    for (int i = 0; i < 3; ++i) {
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
        if (probe_agrees(probes_[0], at) && probe_agrees(probes_[2], at) && matches_at(at)) {
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
    const char* found = has_avx2() ? scan_avx2(probes_, at, last_start, verify)
                                   : scan_sse2(probes_, at, last_start, verify);
    if (found != nullptr) return found;
#endif
    return find_scalar(at, last_start);
}

}  // namespace qelvo
