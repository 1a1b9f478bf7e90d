// A worker's search of one file at a time, and the rewrite of a file that
// holds the find text.
//
// Files are read through one buffer that the worker keeps from file to file
// and never clears, in pieces of a fixed size, so memory does not grow with
// the size of a file and no page is touched twice. The presence test stops
// at the first match or at the first zero byte, where the searched text
// ends. A rewrite streams into a temporary file: each piece is searched,
// written out up to where a match could still begin, and the rest is carried
// into the next piece, keeping GBK character starts; from the first zero byte
// on, the bytes are copied as they are. A UTF-8 file that its own bytes
// cannot be searched in goes through its GBK text, in pieces too.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "engine/converted_search.h"
#include "engine/file_contents.h"
#include "engine/search_plan.h"
#include "platform/platform.h"

namespace qelvo {

class FileSearch {
  public:
    static constexpr std::size_t kPieceSize = 256 * 1024;

    // A smaller piece size lets tests put piece edges anywhere in a file.
    explicit FileSearch(std::size_t piece_size = kPieceSize)
        : piece_size_(piece_size), converted_search_(piece_size) {}

    // Takes the inputs for the files that follow; keeps the plan when they
    // are the ones it already has.
    void prepare(const SearchInputs& inputs, bool ignore_case);

    // Whether the file's text holds the find text. An unreadable file holds
    // nothing.
    bool contains(const std::string& path);
    // Writes the file last tested back, atomically, with every occurrence of
    // the find text (case-sensitive) replaced.
    bool replace(const std::string& path);
    // Lets go of the file last tested, which Windows keeps others from
    // writing while it is open.
    void release();

  private:
    void reserve_buffer();
    bool read_more();
    bool open_and_search(const std::string& path, platform::InputFile::Lookup lookup);
    bool contains_in_bytes(const std::string& path);
    bool replace_in_bytes(const std::string& path, bool& needs_conversion);
    bool contains_converted(const std::string& path);
    bool replace_converted(const std::string& path);
    bool contains_whole_file(const std::string& path);
    bool replace_whole_file(const std::string& path);
    FirstFound first_in_piece(const char* begin, const char* end) const;
    const char* find_exact(const char* from, const char* end) const;
    const char* first_shifting_character(const char* from, const char* end) const;
    std::size_t carry_from(std::size_t known, std::size_t text_end) const;
    void carry(std::size_t from);

    const std::size_t piece_size_;
    std::optional<SearchPlan> plan_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::string output_;  // what a rewrite has not written yet

    // The file in hand and what of it is in the buffer.
    std::optional<platform::InputFile> file_;
    std::size_t length_ = 0;
    bool at_end_ = false;           // the file has nothing after the buffer
    bool from_first_byte_ = false;  // the buffer holds the file from its start
    bool converted_ = false;        // this file goes through the conversion
    ConvertedSearch converted_search_;
    // A file read whole: its text and what follows its first zero byte.
    std::optional<FileContents> contents_;
    std::string tail_;
};

}  // namespace qelvo
