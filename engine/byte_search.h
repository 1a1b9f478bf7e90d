// A prepared search for one byte string, optionally folding the ASCII
// letters A-Z and a-z together. It knows nothing of characters: it finds
// every place where the bytes occur, and callers decide whether a place
// begins a character.
//
// Candidates are found by comparing two bytes of the sought text, its first
// and its last, sixteen positions at a time; only where both agree are the
// bytes between compared. A pair of bytes at a fixed distance is rare in any
// text, so the scan runs at close to memory speed, with letter case ignored
// or not.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qelvo {

class ByteSearch {
  public:
    ByteSearch(std::string_view sought, bool ignore_case);

    std::size_t size() const { return sought_.size(); }
    bool ignores_case() const { return ignore_case_; }

    // The first occurrence that begins at or after from and ends at or before
    // end, or nullptr. The sought text must not be empty.
    const char* find(const char* from, const char* end) const;

  private:
    bool matches_at(const char* at) const;
    const char* find_one_byte(const char* from, const char* end) const;
    const char* find_pair_scalar(const char* from, const char* last_start) const;

    std::string sought_;  // letters folded to lower case when ignoring case
    bool ignore_case_;
    bool first_is_letter_;
    bool last_is_letter_;
};

}  // namespace qelvo
