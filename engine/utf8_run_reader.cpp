#include "engine/utf8_run_reader.h"

#include <cstring>

#include "engine/gbk_forms.h"
#include "engine/utf8_runs.h"

namespace qelvo {

void Utf8RunReader::start(platform::InputFile& file) {
    // Room for a piece and for the bytes of a character cut at its end.
    if (!bytes_) bytes_.reset(new char[piece_size_ + kLongestUtf8Step]);
    file_ = &file;
    length_ = at_ = text_end_ = 0;
    at_file_end_ = false;
    in_tail_ = false;
}

std::optional<Utf8RunReader::Part> Utf8RunReader::next() {
    for (;;) {
        if (in_tail_ && at_ < length_) {
            const Part tail{Part::Kind::tail, std::string_view(bytes_.get() + at_, length_ - at_)};
            at_ = length_;
            return tail;
        }
        if (!in_tail_) {
            // A step is taken only where it sees what it would see in the
            // whole text: all of the bytes it may look at, or the text's end.
            const bool text_ends_here = text_end_ < length_ || at_file_end_;
            if (at_ < text_end_ && (text_ends_here || text_end_ - at_ >= kLongestUtf8Step)) {
                return run(text_ends_here);
            }
            if (text_end_ < length_) {
                in_tail_ = true;
                continue;
            }
        }
        if (at_file_end_) return Part{};
        if (!refill()) return std::nullopt;
    }
}

bool Utf8RunReader::refill() {
    std::memmove(bytes_.get(), bytes_.get() + at_, length_ - at_);
    length_ -= at_;
    at_ = 0;
    const std::optional<std::size_t> got =
        file_->read(bytes_.get() + length_, piece_size_ + kLongestUtf8Step - length_);
    if (!got) return false;
    at_file_end_ = file_->at_end();
    const std::size_t before = length_;
    length_ += *got;
    if (!in_tail_) {
        const void* zero = std::memchr(bytes_.get() + before, 0, *got);
        text_end_ = zero != nullptr
                        ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes_.get())
                        : length_;
    }
    return true;
}

namespace {

std::size_t ascii_run_end(std::string_view text, std::size_t from, std::size_t limit) {
    while (from < limit && static_cast<unsigned char>(text[from]) < 0x80) ++from;
    return from;
}

}  // namespace

// The run at at_, as far as the bytes in hand tell it, with the GBK form of
// a run of characters built as its bytes are stepped through.
Utf8RunReader::Part Utf8RunReader::run(bool text_ends_here) {
    const std::string_view text(bytes_.get() + at_, text_end_ - at_);
    const bool opaque = utf8_step(text).opaque;
    // A step is taken only where all of the bytes it may look at are in hand.
    const std::size_t limit = text_ends_here ? text.size() : text.size() - kLongestUtf8Step + 1;
    gbk_.clear();
    std::size_t length = 0;
    while (length < limit) {
        if (!opaque) {
            // ASCII, most of most files, is its own GBK form.
            const std::size_t ascii_end = ascii_run_end(text, length, limit);
            gbk_.append(text.substr(length, ascii_end - length));
            length = ascii_end;
            if (length == limit) break;
        }
        const Utf8Step step = utf8_step(text.substr(length));
        if (step.opaque != opaque) break;
        if (!opaque) append_gbk_form(gbk_, step.gbk_form);
        length += step.length;
    }
    at_ += length;
    if (opaque) return Part{Part::Kind::opaque, text.substr(0, length)};
    return Part{Part::Kind::gbk, gbk_};
}

}  // namespace qelvo
