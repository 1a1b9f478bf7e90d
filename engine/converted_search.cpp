#include "engine/converted_search.h"

#include "engine/gbk_forms.h"
#include "engine/gbk_search.h"
#include "engine/rewrite_output.h"

namespace qelvo {
namespace {

using Part = Utf8RunReader::Part;

}  // namespace

bool ConvertedSearch::open_from_first_byte(const std::string& path) {
    if (file_ && opened_path_ == path && file_->rewind()) return true;
    file_.emplace(path);
    opened_path_ = path;
    return file_->is_open();
}

bool ConvertedSearch::contains(const std::string& path, const ByteSearch& presence) {
    file_.reset();
    if (!open_from_first_byte(path)) return false;
    reader_.start(*file_);
    run_.clear();
    for (;;) {
        const std::optional<Part> part = reader_.next();
        if (!part) return false;
        switch (part->kind) {
            case Part::Kind::gbk:
                run_.append(part->bytes);
                if (find_at_gbk_character_start(presence, run_.data(), run_.data() + run_.size())) {
                    return true;
                }
                run_.erase(0, carry_start(run_.data(), 0, run_.size(), presence.size(), true));
                break;
            case Part::Kind::opaque:
                run_.clear();
                break;
            case Part::Kind::tail:
            case Part::Kind::end:
                return false;
        }
    }
}

bool ConvertedSearch::replace(const std::string& path, const ByteSearch& exact,
                              std::string_view replacement) {
    const bool replaced = rewrite(path, exact, replacement);
    // Whether or not the rewrite got through, the file is let go: a file
    // left as it was may be written by others again.
    file_.reset();
    return replaced;
}

bool ConvertedSearch::rewrite(const std::string& path, const ByteSearch& exact,
                              std::string_view replacement) {
    platform::AtomicFileWriter writer(path);
    if (!writer.is_open() || !open_from_first_byte(path)) return false;
    reader_.start(*file_);
    run_.clear();
    replaced_.clear();
    RewriteOutput output(writer, output_buffer_, piece_size_);
    for (;;) {
        const std::optional<Part> part = reader_.next();
        if (!part) return false;
        const bool run_ends = part->kind != Part::Kind::gbk;
        if (!run_ends) run_.append(part->bytes);
        if (!replace_in_run(exact, replacement, run_ends, output)) return false;
        if (part->kind == Part::Kind::end) break;
        // Opaque runs and the tail are copied as they are.
        if (run_ends && !output.append(part->bytes)) return false;
    }
    // The source is closed first: Windows cannot move a file over one that
    // is still open.
    file_.reset();
    return output.flush() && writer.commit();
}

// Replaces the matches in the run in hand that lie wholly in it, and hands
// the text before where a match may still begin on to be converted back;
// all of it when the run ends there.
bool ConvertedSearch::replace_in_run(const ByteSearch& exact, std::string_view replacement,
                                     bool run_ends, RewriteOutput& output) {
    const char* begin = run_.data();
    const char* end = begin + run_.size();
    const char* done = begin;
    // After a match the search goes on right behind it, which counts as a
    // character start even when the match ended inside a character.
    for (const char* match = find_at_gbk_character_start(exact, done, end); match != nullptr;
         match = find_at_gbk_character_start(exact, done, end)) {
        replaced_.append(done, match);
        replaced_.append(replacement);
        done = match + exact.size();
    }
    const std::size_t known = static_cast<std::size_t>(done - begin);
    const std::size_t from =
        run_ends ? run_.size() : carry_start(begin, known, run_.size(), exact.size(), true);
    replaced_.append(done, begin + from);
    run_.erase(0, from);
    return write_replaced(run_ends, output);
}

// Converts back the replaced text but a character that the run's next part
// may still complete.
bool ConvertedSearch::write_replaced(bool run_ends, RewriteOutput& output) {
    converted_.clear();
    const std::size_t taken = append_gbk_as_utf8(converted_, replaced_, !run_ends);
    if (taken == 0) return true;
    replaced_.erase(0, taken);
    return output.append(converted_);
}

}  // namespace qelvo
