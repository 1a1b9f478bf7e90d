// A file's text as the replace and find jobs search it, in the encoding the
// file was read in. Search and replacement always work on GBK text.
//
// A GBK file is one GBK run. A UTF-8 file is converted to GBK wherever its
// characters have a GBK form; characters without one (an emoji, a rare CJK
// character, a byte-order mark) and byte sequences that are not valid UTF-8
// are kept as opaque runs, carried over untouched and never part of a match.
// So a UTF-8 file comes back byte for byte except where an occurrence was
// replaced, and a GBK file read by mistake as UTF-8 keeps its Chinese text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qelvo {

class FileContents {
  public:
    // Takes the text over, so a GBK file is never copied.
    static FileContents from_gbk(std::string text);
    static FileContents from_utf8(std::string_view text);

    bool contains(std::string_view sought, bool ignore_case) const;
    // Replaces every occurrence, case-sensitive, within each GBK run.
    void replace_all(std::string_view sought, std::string_view replacement);
    // The text in the encoding it was read in.
    std::string bytes() const&;
    // The same, handing a GBK file's text over without a copy.
    std::string bytes() &&;

  private:
    struct Piece {
        bool opaque;        // carried over as it was read
        std::string bytes;  // GBK text, or the original bytes of an opaque run
    };

    FileContents(bool utf8, std::vector<Piece> pieces) : utf8_(utf8), pieces_(std::move(pieces)) {}

    bool utf8_;
    std::vector<Piece> pieces_;
};

}  // namespace qelvo
