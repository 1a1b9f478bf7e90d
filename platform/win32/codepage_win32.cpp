// Code page conversions through Windows itself: MultiByteToWideChar and
// WideCharToMultiByte with code pages 936 and CP_UTF8 named explicitly (never
// CP_ACP, so the result does not depend on the user's locale) and flags 0,
// which keeps Windows' best-fit mappings and its U+FFFD handling of bad UTF-8.
//
// The API counts in int. Text longer than one piece is converted piece by
// piece, cut where no character straddles the cut, so that the result is
// byte for byte what one call over the whole text would give.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace qelvo::codepage {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 is wchar_t on Windows");

constexpr UINT kGbk = 936;

// Input units per API call. Small enough that no output overflows an int
// (UTF-8 takes at most three bytes per UTF-16 unit) and that the copy a UTF-8
// piece needs stays cheap. The override exists to test the cutting with tiny
// pieces.
#ifdef QELVO_CODEPAGE_MAX_PIECE
constexpr size_t kMaxPiece = QELVO_CODEPAGE_MAX_PIECE;
#else
constexpr size_t kMaxPiece = size_t{1} << 22;
#endif
static_assert(kMaxPiece >= 8 && kMaxPiece <= INT_MAX / 3, "pieces must fit the API");

const wchar_t* as_wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
wchar_t* as_wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

// Appends the UTF-16 form of a piece of at most kMaxPiece bytes.
void append_to_utf16(UINT code_page, std::string_view piece, std::u16string& out) {
    if (piece.empty()) return;
    const int size = static_cast<int>(piece.size());
    const int length = MultiByteToWideChar(code_page, 0, piece.data(), size, nullptr, 0);
    if (length <= 0) return;
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(length));
    const int written =
        MultiByteToWideChar(code_page, 0, piece.data(), size, as_wide(&out[start]), length);
    out.resize(start + static_cast<size_t>(std::max(written, 0)));
}

// Appends the bytes of a piece of at most kMaxPiece UTF-16 units.
void append_from_utf16(UINT code_page, std::u16string_view piece, std::string& out) {
    if (piece.empty()) return;
    const int size = static_cast<int>(piece.size());
    const wchar_t* wide = as_wide(piece.data());
    const int length = WideCharToMultiByte(code_page, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return;
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(length));
    const int written =
        WideCharToMultiByte(code_page, 0, wide, size, &out[start], length, nullptr, nullptr);
    out.resize(start + static_cast<size_t>(std::max(written, 0)));
}

bool is_gbk_lead_byte(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x81 && value <= 0xFE;
}

// Where the GBK piece starting at `start` ends, cut at `limit` or one byte
// earlier. A lead byte takes the byte after it, whatever that is (a zero
// byte aside), so a byte that cannot lead always ends a character; from the
// last such byte, the lead bytes up to the cut pair off two by two.
size_t gbk_piece_end(std::string_view gbk, size_t start, size_t limit) {
    if (limit >= gbk.size()) return gbk.size();
    size_t leads = 0;
    while (limit - leads > start && is_gbk_lead_byte(gbk[limit - leads - 1])) ++leads;
    return leads % 2 == 0 ? limit : limit - 1;
}

bool is_utf8_continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Where a UTF-8 piece cut at `limit` ends: there or at most three bytes
// earlier. Windows reads a sequence until a byte that cannot continue it, so
// such a byte always starts a character; and no character, valid or not, is
// longer than four bytes, so a byte after three continuation bytes starts
// one too. The last few bytes of the text stay with the piece before them:
// a sequence cut short by the end of the input is treated differently.
size_t utf8_piece_end(std::string_view utf8, size_t limit) {
    if (limit + 4 > utf8.size()) return utf8.size();
    for (size_t back = 0; back < 4; ++back) {
        if (!is_utf8_continuation(utf8[limit - back])) return limit - back;
    }
    return limit;
}

// Converts a UTF-8 piece that does not end the text. Windows turns a
// sequence left unfinished at the end of its input into one U+FFFD together
// with every byte after the lead byte, while inside the text it stops at the
// first byte that cannot continue the sequence. The piece ends where the
// text goes on with such a byte (or with a new character), so three spaces
// after it make Windows decide as it would inside the text; their three
// units are dropped again.
void append_inner_utf8_piece(std::string_view piece, std::string& scratch, std::u16string& out) {
    scratch.assign(piece);
    scratch.append("   ");
    append_to_utf16(CP_UTF8, scratch, out);
    out.resize(out.size() - std::min<size_t>(out.size(), 3));
}

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Where a UTF-16 piece ends: never between the halves of a surrogate pair.
size_t utf16_piece_end(std::u16string_view utf16, size_t limit) {
    if (limit >= utf16.size()) return utf16.size();
    return is_high_surrogate(utf16[limit - 1]) ? limit - 1 : limit;
}

std::string from_utf16(UINT code_page, std::u16string_view utf16) {
    std::string out;
    for (size_t start = 0; start < utf16.size();) {
        const size_t end =
            utf16_piece_end(utf16, start + std::min(kMaxPiece, utf16.size() - start));
        append_from_utf16(code_page, utf16.substr(start, end - start), out);
        start = end;
    }
    return out;
}

}  // namespace

std::u16string gbk_to_utf16(std::string_view gbk) {
    std::u16string out;
    for (size_t start = 0; start < gbk.size();) {
        const size_t limit = start + std::min(kMaxPiece, gbk.size() - start);
        const size_t end = gbk_piece_end(gbk, start, limit);
        append_to_utf16(kGbk, gbk.substr(start, end - start), out);
        start = end;
    }
    return out;
}

std::string utf16_to_gbk(std::u16string_view utf16) { return from_utf16(kGbk, utf16); }

std::u16string utf8_to_utf16(std::string_view utf8) {
    if (utf8.size() <= kMaxPiece) {
        std::u16string out;
        append_to_utf16(CP_UTF8, utf8, out);
        return out;
    }
    std::u16string out;
    std::string scratch;
    for (size_t start = 0; start < utf8.size();) {
        const size_t end = utf8_piece_end(utf8, start + kMaxPiece);
        const std::string_view piece = utf8.substr(start, end - start);
        if (end == utf8.size()) {
            append_to_utf16(CP_UTF8, piece, out);
        } else {
            append_inner_utf8_piece(piece, scratch, out);
        }
        start = end;
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view utf16) { return from_utf16(CP_UTF8, utf16); }

}  // namespace qelvo::codepage
