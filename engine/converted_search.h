// The search and the rewrite of a UTF-8 file through its GBK text, in
// pieces, for the files and find texts that the file's own bytes cannot be
// searched for. Each run of characters that have a GBK form is searched as a
// GBK text of its own, where a match begins at a character start, and is
// converted back to UTF-8 when the file is rewritten; opaque runs and the
// bytes from the first zero byte on are carried over untouched. Memory stays
// that of a few pieces however long the file or a run is.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/byte_search.h"
#include "engine/utf8_run_reader.h"
#include "platform/platform.h"

namespace qelvo {

class RewriteOutput;

class ConvertedSearch {
  public:
    explicit ConvertedSearch(std::size_t piece_size)
        : piece_size_(piece_size), reader_(piece_size) {}

    // Whether the file's text holds the GBK text that presence seeks. An
    // unreadable file holds nothing.
    bool contains(const std::string& path, const ByteSearch& presence);
    // Writes the file back, atomically, with every occurrence of the GBK
    // text that exact seeks replaced by the GBK replacement.
    bool replace(const std::string& path, const ByteSearch& exact, std::string_view replacement);
    // Lets go of the file, which Windows keeps others from writing while it
    // is open.
    void release() { file_.reset(); }

  private:
    bool open_from_first_byte(const std::string& path);
    bool rewrite(const std::string& path, const ByteSearch& exact, std::string_view replacement);
    bool replace_in_run(const ByteSearch& exact, std::string_view replacement, bool run_ends,
                        RewriteOutput& output);
    bool write_replaced(bool run_ends, RewriteOutput& output);

    const std::size_t piece_size_;
    Utf8RunReader reader_;
    std::optional<platform::InputFile> file_;
    std::string opened_path_;
    // The GBK text of the run in hand from a character start on, not yet
    // searched or not yet past the longest match that may still begin in it.
    std::string run_;
    // Replaced GBK text not yet converted back, and the UTF-8 it gave.
    std::string replaced_;
    std::string converted_;
    std::string output_buffer_;
};

}  // namespace qelvo
