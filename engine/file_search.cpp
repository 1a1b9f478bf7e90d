#include "engine/file_search.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/file_text.h"
#include "engine/gbk_search.h"
#include "engine/rewrite_output.h"

namespace qelvo {
namespace {

// The first zero byte, or end.
const char* first_zero(const char* from, const char* end) {
    const void* zero = std::memchr(from, 0, static_cast<std::size_t>(end - from));
    return zero != nullptr ? static_cast<const char*>(zero) : end;
}

}  // namespace

void FileSearch::prepare(const SearchInputs& inputs, bool ignore_case) {
    if (plan_ && plan_->inputs == inputs && plan_->ignore_case == ignore_case) return;
    plan_ = make_search_plan(inputs, ignore_case);
    reserve_buffer();
}

void FileSearch::reserve_buffer() {
    // A piece, and room for what is carried from the piece before.
    const std::size_t needed = piece_size_ + 2 * plan_->longest_span() + 16;
    if (needed <= capacity_) return;
    buffer_.reset(new char[needed]);  // never cleared: every byte used is read first
    capacity_ = needed;
}

bool FileSearch::read_more() {
    const std::optional<std::size_t> got =
        file_->read(buffer_.get() + length_, capacity_ - length_);
    if (!got) return false;
    at_end_ = file_->at_end();
    length_ += *got;
    return true;
}

const char* FileSearch::find_exact(const char* from, const char* end) const {
    if (plan_->method == SearchMethod::gbk_bytes) {
        return find_at_gbk_character_start(*plan_->exact, from, end);
    }
    return plan_->exact->find(from, end);
}

const char* FileSearch::first_shifting_character(const char* from, const char* end) const {
    if (!plan_->shifting) return end;
    const char* found = plan_->shifting->find(from, end);
    return found != nullptr ? found : end;
}

// In one pass over a piece: the first zero byte, match or character that
// sends the file through the conversion. Matches in GBK text begin at a
// character start; the piece begins at one.
FirstFound FileSearch::first_in_piece(const char* begin, const char* end) const {
    const ByteSearch* shifting = plan_->shifting ? &*plan_->shifting : nullptr;
    if (plan_->method != SearchMethod::gbk_bytes) {
        return plan_->presence->find_first(shifting, begin, end, [](const char*) { return true; });
    }
    GbkCharacterStarts starts(begin);
    return plan_->presence->find_first(
        shifting, begin, end, [&starts](const char* at) { return starts.begins_character(at); });
}

// Where the next piece must start so that no match, and no character that
// sends a file through the conversion, is cut at the piece's end.
std::size_t FileSearch::carry_from(std::size_t known, std::size_t text_end) const {
    return carry_start(buffer_.get(), known, text_end, plan_->longest_span(),
                       plan_->method == SearchMethod::gbk_bytes);
}

void FileSearch::carry(std::size_t from) {
    std::memmove(buffer_.get(), buffer_.get() + from, length_ - from);
    length_ -= from;
    from_first_byte_ = from_first_byte_ && from == 0;
}

bool FileSearch::contains(const std::string& path) {
    release();
    converted_ =
        plan_->method == SearchMethod::whole_file || plan_->method == SearchMethod::utf8_converted;
    if (converted_) return contains_converted(path);
    using Lookup = platform::InputFile::Lookup;
    if (!open_and_search(path, Lookup::through_last_directory)) {
        file_.reset();
        return false;
    }
    // The cheap lookup may have opened a file of a directory that has moved
    // since; a find counts in the file the path names now, which is the one
    // a rewrite replaces, and another file there is searched anew. The
    // conversion reads by path already.
    return converted_ || file_->names_file_at(path) || open_and_search(path, Lookup::by_path);
}

bool FileSearch::open_and_search(const std::string& path, platform::InputFile::Lookup lookup) {
    file_.emplace(path, lookup);
    length_ = 0;
    at_end_ = false;
    from_first_byte_ = true;
    return file_->is_open() && contains_in_bytes(path);
}

bool FileSearch::contains_in_bytes(const std::string& path) {
    for (;;) {
        if (!read_more()) return false;
        const char* begin = buffer_.get();
        // Matches before a shifting character are matches in the GBK text
        // too; from there on only the conversion can tell.
        switch (first_in_piece(begin, begin + length_).kind) {
            case FirstFound::Kind::sought:
                return true;
            case FirstFound::Kind::other:
                file_.reset();
                converted_ = true;
                return contains_converted(path);
            case FirstFound::Kind::zero_byte:
                return false;
            case FirstFound::Kind::nothing:
                break;
        }
        if (at_end_) return false;
        carry(carry_from(0, length_));
    }
}

bool FileSearch::replace(const std::string& path) {
    if (!converted_) {
        bool needs_conversion = false;
        const bool replaced = replace_in_bytes(path, needs_conversion);
        file_.reset();
        if (!needs_conversion) return replaced;
        converted_ = true;
    }
    return replace_converted(path);
}

bool FileSearch::replace_in_bytes(const std::string& path, bool& needs_conversion) {
    platform::AtomicFileWriter writer(path);
    if (!writer.is_open()) return false;
    if (!from_first_byte_) {
        if (!file_->rewind()) return false;
        length_ = 0;
        from_first_byte_ = true;
        if (!read_more()) return false;
    }
    RewriteOutput output(writer, output_, piece_size_);
    const ByteSearch& sought = *plan_->exact;
    for (;;) {
        const char* begin = buffer_.get();
        const char* end = begin + length_;
        const char* text_end = first_zero(begin, end);
        if (first_shifting_character(begin, text_end) != text_end) {
            needs_conversion = true;
            return false;
        }
        const char* done = begin;
        for (const char* match = find_exact(done, text_end); match != nullptr;
             match = find_exact(done, text_end)) {
            if (!output.append(done, match) || !output.append(plan_->replacement)) return false;
            done = match + sought.size();
        }
        if (at_end_ || text_end != end) {
            if (!output.append(done, end)) return false;
            break;
        }
        const std::size_t from = carry_from(static_cast<std::size_t>(done - begin), length_);
        if (!output.append(done, begin + from)) return false;
        carry(from);
        if (!read_more()) return false;
    }
    // From the first zero byte on, the bytes are copied as they are.
    while (!at_end_) {
        length_ = 0;
        if (!read_more() || !output.append(buffer_.get(), buffer_.get() + length_)) return false;
    }
    // The source is closed first: Windows cannot move a file over one that
    // is still open.
    file_.reset();
    return output.flush() && writer.commit();
}

void FileSearch::release() {
    file_.reset();
    converted_search_.release();
    contents_.reset();
}

bool FileSearch::contains_converted(const std::string& path) {
    if (plan_->method == SearchMethod::whole_file) return contains_whole_file(path);
    return converted_search_.contains(path, *plan_->converted_presence);
}

bool FileSearch::replace_converted(const std::string& path) {
    if (plan_->method == SearchMethod::whole_file) return replace_whole_file(path);
    return converted_search_.replace(path, *plan_->converted_exact, plan_->inputs.replacement);
}

// An empty find text matches any text that is not empty. A file is read whole
// for it, which a run meets only when the find box is emptied while it goes.
bool FileSearch::contains_whole_file(const std::string& path) {
    std::string text = platform::read_file(path).value_or(std::string());
    const std::size_t text_length = split_at_first_zero(text).text.size();
    tail_.assign(text, text_length);
    text.resize(text_length);
    contents_.emplace(plan_->inputs.utf8 ? FileContents::from_utf8(text)
                                         : FileContents::from_gbk(std::move(text)));
    return contents_->contains(plan_->inputs.find, plan_->ignore_case);
}

bool FileSearch::replace_whole_file(const std::string& path) {
    if (!contents_) return false;
    contents_->replace_all(plan_->inputs.find, plan_->inputs.replacement);
    std::string rewritten = std::move(*contents_).bytes();
    contents_.reset();
    rewritten.append(tail_);
    return platform::write_file_atomic(path, rewritten);
}

}  // namespace qelvo
