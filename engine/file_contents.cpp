#include "engine/file_contents.h"

#include <utility>

#include "engine/text.h"
#include "engine/utf8_runs.h"
#include "platform/codepage.h"

namespace qelvo {
namespace {

// Splits UTF-8 bytes into runs of characters with a GBK form and opaque
// runs, each run holding its original bytes.
std::vector<std::pair<bool, std::string_view>> split_into_runs(std::string_view utf8) {
    std::vector<std::pair<bool, std::string_view>> runs;
    std::size_t run_start = 0;
    bool run_opaque = false;
    std::size_t at = 0;
    while (at < utf8.size()) {
        const Utf8Step step = utf8_step(utf8.substr(at));
        if (at > run_start && step.opaque != run_opaque) {
            runs.emplace_back(run_opaque, utf8.substr(run_start, at - run_start));
            run_start = at;
        }
        run_opaque = step.opaque;
        at += step.length;
    }
    if (at > run_start) runs.emplace_back(run_opaque, utf8.substr(run_start));
    return runs;
}

}  // namespace

FileContents FileContents::from_gbk(std::string text) {
    return FileContents(false, {Piece{false, std::move(text)}});
}

FileContents FileContents::from_utf8(std::string_view text) {
    // Most files convert without loss; only the others are split.
    std::string gbk = codepage::utf8_to_gbk(text);
    if (codepage::gbk_to_utf8(gbk) == text)
        return FileContents(true, {Piece{false, std::move(gbk)}});
    std::vector<Piece> pieces;
    for (const auto& [opaque, bytes] : split_into_runs(text)) {
        pieces.push_back(opaque ? Piece{true, std::string(bytes)}
                                : Piece{false, codepage::utf8_to_gbk(bytes)});
    }
    return FileContents(true, std::move(pieces));
}

bool FileContents::contains(std::string_view sought, bool ignore_case) const {
    // An empty sought text is found in any text that is not empty, opaque
    // runs included.
    if (sought.empty()) {
        for (const Piece& piece : pieces_) {
            if (!piece.bytes.empty()) return true;
        }
        return false;
    }
    for (const Piece& piece : pieces_) {
        if (!piece.opaque &&
            text::find_text(piece.bytes, sought, 1, ignore_case) != text::kNotFound) {
            return true;
        }
    }
    return false;
}

void FileContents::replace_all(std::string_view sought, std::string_view replacement) {
    for (Piece& piece : pieces_) {
        if (!piece.opaque) piece.bytes = text::replace_text(piece.bytes, sought, replacement);
    }
}

std::string FileContents::bytes() const& {
    std::string bytes;
    for (const Piece& piece : pieces_) {
        bytes += piece.opaque || !utf8_ ? piece.bytes : codepage::gbk_to_utf8(piece.bytes);
    }
    return bytes;
}

std::string FileContents::bytes() && {
    if (!utf8_ && pieces_.size() == 1) return std::move(pieces_.front().bytes);
    return std::as_const(*this).bytes();
}

}  // namespace qelvo
