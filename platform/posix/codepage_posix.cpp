// Code page conversions without the operating system: code page 936 from the
// committed tables (which come from Windows' own conversion, see
// tools/cp936), UTF-8 by hand. Not iconv: its GBK tables disagree with
// Windows' at the edges (0x80, the private use areas, best fit), and the
// engine must read and write the same bytes on every platform.
#include <array>
#include <cstdint>

#include "platform/codepage.h"

namespace qelvo::codepage {
namespace {

struct Cp936Exception {
    char16_t unit;
    uint16_t bytes;
};

#include "platform/cp936_table.inc"

constexpr char16_t kReplacement = 0xFFFD;

bool is_lead_byte(unsigned byte) { return byte >= kCp936LeadFirst && byte <= kCp936LeadLast; }
bool is_trail_byte(unsigned byte) { return byte >= kCp936TrailFirst && byte <= kCp936TrailLast; }

char16_t double_byte_unit(unsigned lead, unsigned trail) {
    constexpr unsigned kTrailCount = kCp936TrailLast - kCp936TrailFirst + 1;
    return kCp936Double[(lead - kCp936LeadFirst) * kTrailCount + (trail - kCp936TrailFirst)];
}

// Writes the character at `in` and returns where the next one starts.
const unsigned char* decode_gbk_character(const unsigned char* in, const unsigned char* end,
                                          char16_t*& out) {
    const unsigned lead = in[0];
    if (!is_lead_byte(lead) || in + 1 == end) {
        *out++ = kCp936Single[lead];
        return in + 1;
    }
    const unsigned trail = in[1];
    if (is_trail_byte(trail)) {
        *out++ = double_byte_unit(lead, trail);
        return in + 2;
    }
    // A byte that cannot be a trail byte usually goes down with the lead byte;
    // the table says which ones (a zero byte) survive.
    if (kCp936OutsideTrail[trail] == kCp936LeadAlone) {
        *out++ = kCp936Single[lead];
        return in + 1;
    }
    *out++ = kCp936OutsideTrail[trail];
    return in + 2;
}

// GBK bytes of every UTF-16 unit: below 0x100 one byte, else lead << 8 | trail.
using ReverseTable = std::array<uint16_t, 0x10000>;

// The first byte sequence that decodes to a unit encodes it; the exceptions
// add Windows' best-fit mappings for units that nothing decodes to.
bool fill_reverse_table(ReverseTable& table) {
    table.fill(kCp936DefaultBytes);
    std::array<bool, 0x10000> taken{};
    auto offer = [&](char16_t unit, unsigned bytes) {
        if (taken[unit]) return;
        taken[unit] = true;
        table[unit] = static_cast<uint16_t>(bytes);
    };
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (!is_lead_byte(byte)) offer(kCp936Single[byte], byte);
    }
    for (unsigned lead = kCp936LeadFirst; lead <= kCp936LeadLast; ++lead) {
        for (unsigned trail = kCp936TrailFirst; trail <= kCp936TrailLast; ++trail) {
            offer(double_byte_unit(lead, trail), lead << 8 | trail);
        }
    }
    for (const Cp936Exception& exception : kCp936Exceptions) {
        table[exception.unit] = exception.bytes;
    }
    return true;
}

const ReverseTable& reverse_table() {
    static ReverseTable table;  // 128 KiB: static rather than on the stack
    static const bool filled = fill_reverse_table(table);
    (void)filled;
    return table;
}

bool is_continuation(unsigned byte) { return (byte & 0xC0) == 0x80; }

// How many continuation bytes a lead byte announces; 0 for bytes that cannot
// start a sequence (continuation bytes, C0, C1, F5-FF).
unsigned continuation_count(unsigned lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF4) return 3;
    return 0;
}

// Whether the bits gathered so far, after `taken` continuation bytes of a
// sequence that needs `needed`, can still become a valid scalar value.
// Windows tests each continuation byte as it takes it, so an overlong form,
// a surrogate or a value past U+10FFFF is noticed after its first
// continuation byte, and that byte goes into the same U+FFFD as the lead.
bool prefix_can_be_valid(uint32_t value, unsigned taken, unsigned needed) {
    if (taken != 1) return true;
    if (needed == 3) return value >= 0x10 && value < 0x110;
    if (needed == 2) return value >= 0x20 && (value < 0x360 || value > 0x37F);
    return true;
}

void write_code_point(uint32_t value, char16_t*& out) {
    if (value < 0x10000) {
        *out++ = static_cast<char16_t>(value);
    } else {
        *out++ = static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
    }
}

// Writes the character at `in` and returns where the next one starts.
const unsigned char* decode_utf8_character(const unsigned char* in, const unsigned char* end,
                                           char16_t*& out) {
    const unsigned lead = *in++;
    if (lead < 0x80) {
        *out++ = static_cast<char16_t>(lead);
        return in;
    }
    const unsigned needed = continuation_count(lead);
    if (static_cast<size_t>(end - in) < needed) {
        // Too few bytes left for the sequence the lead byte announces: one
        // U+FFFD stands for all of them, whatever they are.
        *out++ = kReplacement;
        return end;
    }
    uint32_t value = lead & (0x3F >> needed);
    for (unsigned taken = 1; taken <= needed; ++taken) {
        if (!is_continuation(*in)) {
            *out++ = kReplacement;
            return in;
        }
        value = value << 6 | (*in++ & 0x3F);
        if (!prefix_can_be_valid(value, taken, needed)) {
            *out++ = kReplacement;
            return in;
        }
    }
    write_code_point(needed == 0 ? kReplacement : value, out);
    return in;
}

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The code point at `index`, and how many units it takes; a lone surrogate
// is U+FFFD.
uint32_t code_point_at(std::u16string_view utf16, size_t index, size_t& units) {
    const char16_t unit = utf16[index];
    units = 1;
    if (is_high_surrogate(unit) && index + 1 < utf16.size() && is_low_surrogate(utf16[index + 1])) {
        units = 2;
        return 0x10000 + ((unit - 0xD800u) << 10) + (utf16[index + 1] - 0xDC00u);
    }
    return is_high_surrogate(unit) || is_low_surrogate(unit) ? kReplacement : unit;
}

size_t utf8_length(uint32_t value) {
    if (value < 0x80) return 1;
    if (value < 0x800) return 2;
    return value < 0x10000 ? 3 : 4;
}

void write_utf8(uint32_t value, char*& out) {
    static constexpr unsigned char kLeadBits[] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};
    const size_t length = utf8_length(value);
    for (size_t i = length - 1; i > 0; --i) {
        out[i] = static_cast<char>(0x80 | (value & 0x3F));
        value >>= 6;
    }
    out[0] = static_cast<char>(kLeadBits[length] | value);
    out += length;
}

const unsigned char* bytes_of(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

// The decoders write into a buffer of one unit per input byte, which no
// input can overflow, and trim it; the encoders size their output exactly.

std::u16string gbk_to_utf16(std::string_view gbk) {
    std::u16string out(gbk.size(), u'\0');
    char16_t* cursor = out.data();
    const unsigned char* end = bytes_of(gbk) + gbk.size();
    for (const unsigned char* in = bytes_of(gbk); in != end;) {
        in = decode_gbk_character(in, end, cursor);
    }
    out.resize(static_cast<size_t>(cursor - out.data()));
    return out;
}

std::string utf16_to_gbk(std::u16string_view utf16) {
    const ReverseTable& table = reverse_table();
    size_t length = 0;
    for (char16_t unit : utf16) length += table[unit] > 0xFF ? 2 : 1;
    std::string out(length, '\0');
    char* cursor = out.data();
    // Unit by unit: Windows gives each half of a surrogate pair its own '?'.
    for (char16_t unit : utf16) {
        const uint16_t bytes = table[unit];
        if (bytes > 0xFF) *cursor++ = static_cast<char>(bytes >> 8);
        *cursor++ = static_cast<char>(bytes & 0xFF);
    }
    return out;
}

std::u16string utf8_to_utf16(std::string_view utf8) {
    std::u16string out(utf8.size(), u'\0');
    char16_t* cursor = out.data();
    const unsigned char* end = bytes_of(utf8) + utf8.size();
    for (const unsigned char* in = bytes_of(utf8); in != end;) {
        in = decode_utf8_character(in, end, cursor);
    }
    out.resize(static_cast<size_t>(cursor - out.data()));
    return out;
}

std::string utf16_to_utf8(std::u16string_view utf16) {
    size_t length = 0;
    size_t units = 0;
    for (size_t index = 0; index < utf16.size(); index += units) {
        length += utf8_length(code_point_at(utf16, index, units));
    }
    std::string out(length, '\0');
    char* cursor = out.data();
    for (size_t index = 0; index < utf16.size(); index += units) {
        write_utf8(code_point_at(utf16, index, units), cursor);
    }
    return out;
}

}  // namespace qelvo::codepage
