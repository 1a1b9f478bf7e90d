// A prepared search for one byte string, optionally folding the ASCII
// letters A-Z and a-z together. It knows nothing of characters: it finds
// every place where the bytes occur, and callers decide whether a place
// begins a character.
//
// Candidates are found by comparing the two rarest bytes of the sought text
// (by how common each byte is in English, code, GBK and Chinese UTF-8) with a
// whole vector of positions at once: 64 with AVX-512, 32 with AVX2, where the
// processor has them, and 16 with SSE2 otherwise; only where both agree are
// the other bytes
// compared. Two rare bytes at a fixed distance seldom agree by chance, so the
// scan runs at close to memory speed, with letter case ignored or not.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace qelvo {

// What a scan of a text met first.
struct FirstFound {
    enum class Kind { nothing, zero_byte, sought, other };
    Kind kind = Kind::nothing;
    const char* at = nullptr;
};

class ByteSearch {
  public:
    ByteSearch(std::string_view sought, bool ignore_case);
    // A search for whichever of two texts of the same length comes first.
    ByteSearch(std::string_view sought, std::string_view alternative);

    std::size_t size() const { return sought_.size(); }

    // The widest vector scan that may run where the processor has it. Tests
    // narrow it to run every scan on processors that have a wider one.
    enum class Vectors { sse2, avx2, avx512 };
    static void limit_vectors(Vectors widest);

    // The first occurrence that begins at or after from and ends at or before
    // end, or nullptr. The sought text must not be empty.
    const char* find(const char* from, const char* end) const;

    // The first of these in [from, end), in one pass over the bytes: a zero
    // byte, where a text ends; an occurrence of this search that accept
    // takes; an occurrence of other, when there is one. Occurrences end at
    // or before end. Neither sought text may hold a zero byte.
    using Accept = std::function<bool(const char*)>;
    FirstFound find_first(const ByteSearch* other, const char* from, const char* end,
                          const Accept& accept) const;

    // One compared byte: where it lies in the sought text and the two forms
    // it may take in a text (the same byte twice unless it is a folded
    // letter).
    struct Probe {
        std::size_t offset;
        char one;
        char other;
    };

  private:
    bool matches_at(const char* at) const;
    const char* find_one_byte(const char* from, const char* end) const;
    const char* find_scalar(const char* from, const char* last_start) const;
    FirstFound find_first_scalar(const ByteSearch* other, const char* from, const char* end,
                                 const Accept& accept) const;

    std::string sought_;       // letters folded to lower case when ignoring case
    std::string alternative_;  // empty, or as long as sought_
    bool ignore_case_;
    std::array<Probe, 2> probes_{};
};

}  // namespace qelvo
