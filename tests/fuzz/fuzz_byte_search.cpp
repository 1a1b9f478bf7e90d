// The byte search of engine/byte_search.h and the character-start search and look-back of
// engine/gbk_search.h against byte-by-byte scans, with each vector width the processor has.
//
// Input: a byte of choices (bit 0 ignores case, bit 1 searches for either of two texts), a
// byte that places a shortened end and a start inside the text, the sought text, the
// alternative text (cut or padded to the sought text's length), and the rest as the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/byte_search.h"
#include "engine/gbk_search.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/gbk_reference.h"

namespace qelvo::fuzz {
namespace {

namespace ref = reference;

struct Sought {
    std::string text;
    std::string alternative;  // empty unless either text is sought
    bool ignore_case = false;

    ByteSearch search() const {
        return alternative.empty() ? ByteSearch(text, ignore_case) : ByteSearch(text, alternative);
    }

    bool occurs_at(std::string_view in, std::size_t at) const {
        return ref::occurs_at(in, at, text, ignore_case) ||
               (!alternative.empty() && ref::occurs_at(in, at, alternative, false));
    }

    std::vector<std::size_t> occurrences(std::string_view in) const {
        std::vector<std::size_t> found;
        for (std::size_t at = 0; at < in.size(); ++at) {
            if (occurs_at(in, at)) found.push_back(at);
        }
        return found;
    }

    // The first occurrence at a character start, the walk beginning at from.
    std::size_t first_at_character_start(std::string_view in, std::size_t from) const {
        for (std::size_t at = from; at < in.size(); at += ref::step(in[at])) {
            if (occurs_at(in, at)) return at;
        }
        return ref::kNone;
    }
};

std::size_t offset_in(const ExactBytes& text, const char* at) {
    return at == nullptr ? ref::kNone : static_cast<std::size_t>(at - text.begin());
}

// Every occurrence, each find going on from the byte after the one before.
void check_every_occurrence(const Checks& checks, const Sought& sought, const ExactBytes& text) {
    const ByteSearch search = sought.search();
    std::vector<std::size_t> found;
    for (const char* at = search.find(text.begin(), text.end()); at != nullptr;
         at = search.find(at + 1, text.end())) {
        found.push_back(offset_in(text, at));
    }
    checks.equal(found, sought.occurrences(text.view()), "ByteSearch::find, every occurrence");
}

// A find in a shorter text, beginning inside it: the end is the end of the heap block, so
// AddressSanitizer sees any read past it.
void check_inside(const Checks& checks, const Sought& sought, std::string_view whole,
                  std::uint8_t place) {
    const ExactBytes text(whole.substr(0, place % (whole.size() + 1)));
    const std::size_t from = (place / 16u) % (text.size() + 1);
    std::size_t expected = ref::kNone;
    for (const std::size_t at : sought.occurrences(text.view())) {
        if (at >= from) {
            expected = at;
            break;
        }
    }
    checks.equal(offset_in(text, sought.search().find(text.begin() + from, text.end())), expected,
                 "ByteSearch::find from inside a shortened text");
}

// The first occurrence at a character start again and again, going on as text::find_last does
// (from the next character) and as text::replace_text does (from behind the match).
void check_character_starts(const Checks& checks, const Sought& sought, const ExactBytes& text) {
    const ByteSearch search = sought.search();
    for (const bool behind_match : {false, true}) {
        std::size_t from = 0;
        while (from <= text.size()) {
            const std::size_t expected = sought.first_at_character_start(text.view(), from);
            const std::size_t got = offset_in(
                text, find_at_gbk_character_start(search, text.begin() + from, text.end()));
            checks.equal(got, expected,
                         behind_match ? "find_at_gbk_character_start, going on behind a match"
                                      : "find_at_gbk_character_start, going on at the next "
                                        "character");
            if (got == ref::kNone) break;
            from = got + (behind_match ? sought.text.size() : ref::step(text.view()[got]));
        }
    }
}

// Whether each offset begins a character, looking back to a known start.
void check_look_back(const Checks& checks, const ExactBytes& text, std::uint8_t place) {
    const std::vector<std::size_t> from_start = ref::character_starts(text.view());
    const std::size_t known = from_start[place % from_start.size()];
    const std::vector<std::size_t> starts = ref::character_starts(text.view(), known);
    std::size_t next = 0;
    for (std::size_t at = known; at <= text.size(); ++at) {
        const bool begins = next < starts.size() && starts[next] == at;
        if (begins) ++next;
        const char* position = text.begin() + at;
        checks.equal(begins_gbk_character(text.begin() + known, position), begins,
                     "begins_gbk_character at offset " + std::to_string(at));
        checks.equal(
            offset_in(text, gbk_character_start_at_or_before(text.begin() + known, position)),
            begins ? at : at - 1, "gbk_character_start_at_or_before");
    }
}

}  // namespace
}  // namespace qelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qelvo::fuzz;
    using qelvo::ByteSearch;
    FuzzInput input(data, size);
    const std::uint8_t choices = input.take_byte();
    const std::uint8_t place = input.take_byte();
    Sought sought;
    sought.ignore_case = (choices & 1) != 0;
    sought.text = input.take_text();
    std::string alternative = input.take_text();
    if ((choices & 2) != 0 && !sought.text.empty()) {
        alternative.resize(sought.text.size(), '?');
        sought.alternative = alternative;
        sought.ignore_case = false;
    }
    const ExactBytes text(input.take_rest());

    Checks checks("fuzz_byte_search");
    checks.note("text", text.view());
    checks.note("sought", sought.text);
    checks.note("alternative", sought.alternative);
    checks.note("ignore_case", sought.ignore_case);
    checks.note("place", place);

    check_look_back(checks, text, place);
    if (sought.text.empty()) return 0;  // a search needs something to look for
    for (const ByteSearch::Vectors widest :
         {ByteSearch::Vectors::sse2, ByteSearch::Vectors::avx2, ByteSearch::Vectors::avx512}) {
        ByteSearch::limit_vectors(widest);
        checks.note("widest vectors", static_cast<int>(widest));
        check_every_occurrence(checks, sought, text);
        check_inside(checks, sought, text.view(), place);
        check_character_starts(checks, sought, text);
    }
    return 0;
}
