// Dumps code page 936 as this Windows (or Wine) converts it, into the C++
// tables that the POSIX backend of platform/codepage uses. Run it through
// tools/cp936/generate.sh; it is not part of the normal build.
//
// The tables describe a small decoding model: a byte outside the lead range
// is one character; a lead byte followed by a trail byte inside the trail
// range is one character from the double-byte table; a lead byte followed by
// any other byte is whatever kCp936OutsideTrail says for that byte (one
// character for the pair, or the lead byte alone when the entry is
// kCp936LeadAlone); a lead byte at the end of the input is kCp936Single. The
// reverse direction is derived from the forward tables (first byte sequence
// wins) plus a list of exceptions, which holds the best-fit mappings. Every
// assumption of the model is checked against the system here, and the model
// is then compared with the system on random text, so that a table written by
// this program reproduces the system's bytes exactly or is not written at all.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr UINT kCodePage = 936;
constexpr unsigned kLeadFirst = 0x81;
constexpr unsigned kLeadLast = 0xFE;
constexpr unsigned kTrailFirst = 0x40;
constexpr unsigned kTrailLast = 0xFE;
constexpr unsigned kLeadCount = kLeadLast - kLeadFirst + 1;
constexpr unsigned kTrailCount = kTrailLast - kTrailFirst + 1;
constexpr uint16_t kLeadAlone = 0xFFFF;

bool is_lead(unsigned byte) { return byte >= kLeadFirst && byte <= kLeadLast; }
bool is_trail(unsigned byte) { return byte >= kTrailFirst && byte <= kTrailLast; }

std::u16string to_utf16(const std::string& bytes) {
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(kCodePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(kCodePage, 0, bytes.data(), size, wide.data(), length);
    return std::u16string(wide.begin(), wide.end());
}

std::string to_bytes(const std::u16string& text) {
    const std::wstring wide(text.begin(), text.end());
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(kCodePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(kCodePage, 0, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::string byte_pair(unsigned first, unsigned second) {
    return {static_cast<char>(first), static_cast<char>(second)};
}

bool fail(const char* what, unsigned value) {
    std::fprintf(stderr, "dump_cp936: %s (0x%04X)\n", what, value);
    return false;
}

struct Tables {
    std::vector<uint16_t> single = std::vector<uint16_t>(256);
    std::vector<uint16_t> outside_trail = std::vector<uint16_t>(256);
    std::vector<uint16_t> double_byte = std::vector<uint16_t>(kLeadCount * kTrailCount);
    // Bytes of each UTF-16 unit: one byte below 0x100, else lead << 8 | trail.
    std::vector<uint16_t> reverse = std::vector<uint16_t>(0x10000);
    std::vector<unsigned> exceptions;  // units whose bytes the derivation misses
    uint16_t default_bytes = 0;        // what a unit without a GBK form becomes
};

bool read_default_char(Tables& tables) {
    CPINFO info{};
    if (!GetCPInfo(kCodePage, &info)) return fail("GetCPInfo fails", kCodePage);
    tables.default_bytes =
        info.DefaultChar[1] ? info.DefaultChar[0] << 8 | info.DefaultChar[1] : info.DefaultChar[0];
    return true;
}

// The system's own idea of the lead bytes must match the model's range.
bool check_lead_bytes() {
    for (unsigned byte = 0; byte < 256; ++byte) {
        const bool system_lead = IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(byte)) != 0;
        if (system_lead != is_lead(byte)) return fail("lead byte range differs", byte);
    }
    return true;
}

bool dump_single_bytes(Tables& tables) {
    for (unsigned byte = 0; byte < 256; ++byte) {
        const std::u16string alone = to_utf16(std::string(1, static_cast<char>(byte)));
        if (alone.size() != 1) return fail("a single byte gives other than one unit", byte);
        tables.single[byte] = alone[0];
    }
    return true;
}

// The result of a lead byte followed by `trail`: one unit for the pair, or
// kLeadAlone when the lead byte is converted alone and the trail byte then
// converted on its own.
bool dump_pair(const Tables& tables, unsigned lead, unsigned trail, uint16_t& result) {
    const std::u16string pair = to_utf16(byte_pair(lead, trail));
    const std::u16string lead_alone{tables.single[lead], tables.single[trail]};
    if (pair.size() == 1 && pair[0] != kLeadAlone) {
        result = pair[0];
    } else if (pair == lead_alone && !is_lead(trail)) {
        result = kLeadAlone;
    } else {
        return fail("a pair gives an unexpected result", lead << 8 | trail);
    }
    // The pair must not depend on what follows it.
    const std::u16string followed = to_utf16(byte_pair(lead, trail) + "A");
    const std::u16string expected = (result == kLeadAlone ? lead_alone : pair) + u"A";
    if (followed != expected) return fail("a pair depends on the next byte", lead << 8 | trail);
    return true;
}

bool dump_pairs(Tables& tables) {
    for (unsigned trail = 0; trail < 256; ++trail) {
        if (is_trail(trail)) continue;
        uint16_t first = 0;
        if (!dump_pair(tables, kLeadFirst, trail, first)) return false;
        for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
            uint16_t result = 0;
            if (!dump_pair(tables, lead, trail, result)) return false;
            if (result != first) return fail("a bad trail byte depends on the lead byte", trail);
        }
        tables.outside_trail[trail] = first;
    }
    for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            uint16_t result = 0;
            if (!dump_pair(tables, lead, trail, result)) return false;
            if (result == kLeadAlone) {
                return fail("a trail byte splits the pair", lead << 8 | trail);
            }
            tables.double_byte[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)] = result;
        }
    }
    return true;
}

bool dump_reverse(Tables& tables) {
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        const std::string bytes = to_bytes(std::u16string(1, static_cast<char16_t>(unit)));
        const unsigned first = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]);
        if (bytes.size() == 1 && !is_lead(first)) {
            tables.reverse[unit] = static_cast<uint16_t>(first);
        } else if (bytes.size() == 2 && is_lead(first)) {
            tables.reverse[unit] = static_cast<uint16_t>(first << 8 | (bytes[1] & 0xFF));
        } else {
            return fail("a UTF-16 unit gives an unexpected byte sequence", unit);
        }
    }
    return true;
}

// Surrogates are converted unit by unit, whether paired or not.
bool check_surrogate_pairs() {
    for (unsigned high = 0xD800; high < 0xDC00; ++high) {
        for (unsigned low = 0xDC00; low < 0xE000; ++low) {
            const std::u16string pair{static_cast<char16_t>(high), static_cast<char16_t>(low)};
            if (to_bytes(pair) != to_bytes(pair.substr(0, 1)) + to_bytes(pair.substr(1))) {
                return fail("a surrogate pair is not converted unit by unit", high);
            }
        }
    }
    return true;
}

// What the reverse table looks like when derived from the forward tables.
std::vector<uint16_t> derive_reverse(const Tables& tables) {
    std::vector<uint16_t> derived(0x10000, tables.default_bytes);
    std::vector<bool> taken(0x10000, false);
    auto offer = [&](uint16_t unit, uint16_t bytes) {
        if (taken[unit]) return;
        taken[unit] = true;
        derived[unit] = bytes;
    };
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (!is_lead(byte)) offer(tables.single[byte], static_cast<uint16_t>(byte));
    }
    for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            const uint16_t unit =
                tables.double_byte[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)];
            offer(unit, static_cast<uint16_t>(lead << 8 | trail));
        }
    }
    return derived;
}

void find_exceptions(Tables& tables) {
    const std::vector<uint16_t> derived = derive_reverse(tables);
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        if (derived[unit] != tables.reverse[unit]) tables.exceptions.push_back(unit);
    }
}

std::u16string model_to_utf16(const Tables& tables, const std::string& text) {
    std::u16string result;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned byte = static_cast<unsigned char>(text[i]);
        if (!is_lead(byte) || i + 1 == text.size()) {
            result += static_cast<char16_t>(tables.single[byte]);
            continue;
        }
        const unsigned trail = static_cast<unsigned char>(text[i + 1]);
        if (is_trail(trail)) {
            const size_t index = (byte - kLeadFirst) * kTrailCount + (trail - kTrailFirst);
            result += static_cast<char16_t>(tables.double_byte[index]);
            ++i;
        } else if (tables.outside_trail[trail] == kLeadAlone) {
            result += static_cast<char16_t>(tables.single[byte]);
        } else {
            result += static_cast<char16_t>(tables.outside_trail[trail]);
            ++i;
        }
    }
    return result;
}

std::string model_to_bytes(const Tables& tables, const std::u16string& text) {
    std::string result;
    for (char16_t unit : text) {
        const uint16_t bytes = tables.reverse[unit];
        if (bytes > 0xFF) result += static_cast<char>(bytes >> 8);
        result += static_cast<char>(bytes & 0xFF);
    }
    return result;
}

// Random text leaning towards the interesting bytes: lead bytes, bad trail
// bytes and zero bytes.
std::string random_bytes(std::mt19937& random) {
    static const unsigned char kInteresting[] = {0x00, 0x20, 0x3F, 0x40, 0x41, 0x7F, 0x80,
                                                 0x81, 0xA1, 0xA2, 0xAA, 0xD6, 0xFE, 0xFF};
    std::string text(random() % 24, '\0');
    for (char& byte : text) {
        const unsigned pick = random();
        byte = static_cast<char>(pick % 2 ? kInteresting[pick / 2 % sizeof kInteresting]
                                          : pick / 2 % 256);
    }
    return text;
}

std::u16string random_units(std::mt19937& random) {
    std::u16string text(random() % 24, u'\0');
    for (char16_t& unit : text) {
        const unsigned pick = random();
        const unsigned value = pick / 4 % 0x10000;
        switch (pick % 4) {
            case 0:
                unit = static_cast<char16_t>(0xD800 + value % 0x800);
                break;
            case 1:
                unit = static_cast<char16_t>(value % 0x100);
                break;
            default:
                unit = static_cast<char16_t>(value);
                break;
        }
    }
    return text;
}

bool compare_model_with_system(const Tables& tables) {
    std::mt19937 random(936);
    for (int round = 0; round < 300000; ++round) {
        const std::string bytes = random_bytes(random);
        if (model_to_utf16(tables, bytes) != to_utf16(bytes)) {
            return fail("the decoding model differs from the system", round);
        }
        const std::u16string units = random_units(random);
        if (model_to_bytes(tables, units) != to_bytes(units)) {
            return fail("the encoding model differs from the system", round);
        }
    }
    return true;
}

std::string system_name() {
    using VersionFunction = const char*(CDECL*)();
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto wine_version = reinterpret_cast<VersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    return wine_version ? std::string("Wine ") + wine_version() : "Windows";
}

void write_array(FILE* out, const char* declaration, const std::vector<uint16_t>& values) {
    std::fprintf(out, "%s = {", declaration);
    for (size_t i = 0; i < values.size(); ++i) {
        std::fprintf(out, "%s0x%04X,", i % 12 == 0 ? "\n    " : " ", values[i]);
    }
    std::fprintf(out, "\n};\n\n");
}

void write_exceptions(FILE* out, const Tables& tables) {
    std::fprintf(out,
                 "// Units whose bytes differ from the first byte sequence that decodes to\n"
                 "// them: the best-fit mappings, and units that decode from several sequences.\n"
                 "constexpr Cp936Exception kCp936Exceptions[%zu] = {",
                 tables.exceptions.size());
    for (size_t i = 0; i < tables.exceptions.size(); ++i) {
        const unsigned unit = tables.exceptions[i];
        std::fprintf(out, "%s{0x%04X, 0x%04X},", i % 5 == 0 ? "\n    " : " ", unit,
                     tables.reverse[unit]);
    }
    std::fprintf(out, "\n};\n");
}

bool write_tables(const char* path, const Tables& tables) {
    FILE* out = std::fopen(path, "wb");
    if (!out) return fail("cannot open the output file", 0);
    std::fprintf(out,
                 "// Code page 936 as %s converts it. Generated by tools/cp936/generate.sh;\n"
                 "// do not edit. Included by the POSIX code page backend, which defines\n"
                 "// Cp936Exception {char16_t unit; uint16_t bytes;} first.\n"
                 "// clang-format off\n\n",
                 system_name().c_str());
    std::fprintf(out,
                 "constexpr unsigned kCp936LeadFirst = 0x%02X;\n"
                 "constexpr unsigned kCp936LeadLast = 0x%02X;\n"
                 "constexpr unsigned kCp936TrailFirst = 0x%02X;\n"
                 "constexpr unsigned kCp936TrailLast = 0x%02X;\n"
                 "constexpr char16_t kCp936LeadAlone = 0x%04X;\n"
                 "constexpr uint16_t kCp936DefaultBytes = 0x%04X;\n\n",
                 kLeadFirst, kLeadLast, kTrailFirst, kTrailLast, kLeadAlone, tables.default_bytes);
    std::fprintf(out,
                 "// Each byte on its own; for a lead byte, a lead byte at the end of input.\n");
    write_array(out, "constexpr char16_t kCp936Single[256]", tables.single);
    std::fprintf(out,
                 "// A lead byte followed by a byte outside the trail range (entries inside\n"
                 "// the range are unused). kCp936LeadAlone: the lead byte is converted alone.\n");
    write_array(out, "constexpr char16_t kCp936OutsideTrail[256]", tables.outside_trail);
    std::fprintf(out, "// Lead byte by trail byte, both within their ranges.\n");
    char declaration[96];
    std::snprintf(declaration, sizeof declaration, "constexpr char16_t kCp936Double[%u * %u]",
                  kLeadCount, kTrailCount);
    write_array(out, declaration, tables.double_byte);
    write_exceptions(out, tables);
    std::fprintf(out, "// clang-format on\n");
    const bool written = std::ferror(out) == 0;
    return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "cp936_table.inc";
    Tables tables;
    const bool ok = check_lead_bytes() && read_default_char(tables) && dump_single_bytes(tables) &&
                    dump_pairs(tables) && dump_reverse(tables) && check_surrogate_pairs();
    if (!ok) return 1;
    find_exceptions(tables);
    if (!compare_model_with_system(tables)) return 1;
    if (!write_tables(path, tables)) return 1;
    std::printf("dump_cp936: %zu exceptions written to %s\n", tables.exceptions.size(), path);
    return 0;
}
