#include "engine/file_contents.h"

#include <optional>
#include <utility>

#include "engine/gbk_forms.h"
#include "engine/text.h"
#include "platform/codepage.h"

namespace qelvo {
namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

struct Decoded {
    char32_t code_point;
    std::size_t length;
};

// One well-formed UTF-8 character at the start of the bytes: no overlong
// forms, no surrogates, nothing above U+10FFFF.
std::optional<Decoded> decode_one(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80) return Decoded{lead, 1};
    std::size_t length = 0;
    char32_t code_point = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code_point = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code_point = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code_point = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (bytes.size() < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (!is_continuation(byte)) return std::nullopt;
        code_point = (code_point << 6) | (byte & 0x3F);
    }
    if (code_point < minimum || code_point > 0x10FFFF) return std::nullopt;
    if (code_point >= 0xD800 && code_point <= 0xDFFF) return std::nullopt;
    return Decoded{code_point, length};
}

// Splits UTF-8 bytes into runs of characters with a GBK form and opaque
// runs, each run holding its original bytes.
std::vector<std::pair<bool, std::string_view>> split_into_runs(std::string_view utf8) {
    std::vector<std::pair<bool, std::string_view>> runs;
    std::size_t run_start = 0;
    bool run_opaque = false;
    std::size_t at = 0;
    while (at < utf8.size()) {
        const std::optional<Decoded> decoded = decode_one(utf8.substr(at));
        const bool opaque = !decoded || !has_exact_gbk_form(decoded->code_point);
        if (at > run_start && opaque != run_opaque) {
            runs.emplace_back(run_opaque, utf8.substr(run_start, at - run_start));
            run_start = at;
        }
        run_opaque = opaque;
        at += decoded ? decoded->length : 1;
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
