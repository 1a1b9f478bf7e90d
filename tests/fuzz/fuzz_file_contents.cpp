// A file's text as engine/file_contents.h holds it: read as GBK or as UTF-8, it gives back
// the bytes it was read from as long as nothing is replaced, and its GBK text is searched and
// replaced in as the slow model of gbk_reference.h says.
//
// Input: a byte of choices (bit 0 ignores case, bit 1 takes the file for GBK text and tries
// its UTF-8 form as well, so that valid UTF-8 with Chinese characters comes up often), the
// sought text, the replacement, and the rest as the file's text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/file_contents.h"
#include "platform/codepage.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/gbk_reference.h"

namespace qelvo::fuzz {
namespace {

namespace ref = reference;

struct Inputs {
    bool ignore_case;
    std::string sought;
    std::string replacement;
};

bool reference_contains(std::string_view gbk, std::string_view sought, bool ignore_case) {
    return sought.empty() ? !gbk.empty() : ref::find_text(gbk, sought, 1, ignore_case) > 0;
}

void check_gbk(const Checks& checks, const Inputs& in, const std::string& bytes) {
    checks.equal(FileContents::from_gbk(bytes).bytes(), bytes, "GBK text read and given back");
    const FileContents contents = FileContents::from_gbk(bytes);
    checks.equal(contents.contains(in.sought, in.ignore_case),
                 reference_contains(bytes, in.sought, in.ignore_case), "contains in GBK text");
    FileContents same = FileContents::from_gbk(bytes);
    same.replace_all(in.sought, in.sought);
    checks.equal(same.bytes(), bytes, "GBK text with the sought text replaced by itself");
    FileContents replaced = FileContents::from_gbk(bytes);
    replaced.replace_all(in.sought, in.replacement);
    checks.equal(std::move(replaced).bytes(),
                 ref::replace_text(bytes, in.sought, in.replacement, 1, -1, true),
                 "replace_all in GBK text");
}

void check_utf8(const Checks& checks, const Inputs& in, const std::string& bytes) {
    const FileContents contents = FileContents::from_utf8(bytes);
    checks.equal(contents.bytes(), bytes, "UTF-8 text read and given back");
    checks.equal(FileContents::from_utf8(bytes).bytes(), bytes, "UTF-8 text read and handed back");
    FileContents same = FileContents::from_utf8(bytes);
    same.replace_all(in.sought, in.sought);
    checks.equal(same.bytes(), bytes, "UTF-8 text with the sought text replaced by itself");
    if (!contents.contains(in.sought, false)) {
        FileContents untouched = FileContents::from_utf8(bytes);
        untouched.replace_all(in.sought, in.replacement);
        checks.equal(untouched.bytes(), bytes, "UTF-8 text without the sought text, replaced in");
    }
    // Text whose every character has a GBK form is one GBK text.
    if (!codepage::utf8_round_trips_through_gbk(bytes)) return;
    const std::string gbk = codepage::utf8_to_gbk(bytes);
    checks.equal(contents.contains(in.sought, in.ignore_case),
                 reference_contains(gbk, in.sought, in.ignore_case),
                 "contains in UTF-8 text that converts whole");
    FileContents replaced = FileContents::from_utf8(bytes);
    replaced.replace_all(in.sought, in.replacement);
    checks.equal(
        replaced.bytes(),
        codepage::gbk_to_utf8(ref::replace_text(gbk, in.sought, in.replacement, 1, -1, true)),
        "replace_all in UTF-8 text that converts whole");
}

}  // namespace
}  // namespace qelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qelvo::fuzz;
    FuzzInput input(data, size);
    const std::uint8_t choices = input.take_byte();
    Inputs in{(choices & 1) != 0, input.take_text(), input.take_text()};
    const std::string bytes = input.take_rest();

    Checks checks("fuzz_file_contents");
    checks.note("text", bytes);
    checks.note("sought", in.sought);
    checks.note("replacement", in.replacement);
    checks.note("ignore_case", in.ignore_case);

    check_gbk(checks, in, bytes);
    check_utf8(checks, in, bytes);
    if ((choices & 2) != 0) {
        const std::string utf8 = qelvo::codepage::gbk_to_utf8(bytes);
        checks.note("text", utf8);
        check_utf8(checks, in, utf8);
    }
    return 0;
}
