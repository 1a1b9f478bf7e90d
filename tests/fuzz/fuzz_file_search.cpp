// A worker's search of a real file through engine/file_search.h, piece by piece, against the
// whole-file path: the text up to the first zero byte read into FileContents, searched and
// replaced in there, and the tail from the zero byte on written back as it was.
//
// Input: a byte of choices (bit 0 a UTF-8 file, bit 1 ignores case, bit 2 writes the UTF-8
// form of the rest, taken for GBK, so that valid UTF-8 holding the find text comes up often;
// bits 3 to 7 the small piece size less one), the find text, the replacement, and the rest
// as the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file_contents.h"
#include "engine/file_search.h"
#include "engine/file_text.h"
#include "engine/search_plan.h"
#include "platform/codepage.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/temp_directory.h"
#include "tests/whole_file_reference.h"

namespace qelvo::fuzz {
namespace {

using qelvo::testing::whole_file_result;
using qelvo::testing::WholeFileResult;

constexpr std::string_view kName = "file.txt";

// Tests the file and rewrites it when it holds the find text, as a worker does, and compares
// both with the whole-file result. The search may have searched other files before.
void check_file(const Checks& checks, FileSearch& search, std::string_view bytes,
                const SearchInputs& inputs, bool ignore_case) {
    const TempDirectory& directory = TempDirectory::instance();
    const WholeFileResult expected = whole_file_result(bytes, inputs, ignore_case);
    directory.put(kName, bytes);
    search.prepare(inputs, ignore_case);
    const bool contains = search.contains(directory.path(kName));
    checks.equal(contains, expected.contains, "contains");
    if (contains) checks.that(search.replace(directory.path(kName)), "replace succeeds");
    search.release();
    // A file without the find text is not rewritten and must hold what it held.
    checks.equal(directory.read(kName), contains ? expected.rewritten : std::string(bytes),
                 "the file after the rewrite");
    checks.equal(directory.entries(), std::vector<std::string>{std::string(kName)},
                 "the directory holds the file alone");
}

}  // namespace
}  // namespace qelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qelvo::fuzz;
    using qelvo::FileSearch;
    FuzzInput input(data, size);
    const std::uint8_t choices = input.take_byte();
    qelvo::SearchInputs inputs;
    inputs.utf8 = (choices & 1) != 0;
    const bool ignore_case = (choices & 2) != 0;
    const std::size_t small_piece = 1 + (choices >> 3);
    inputs.find = input.take_text();
    inputs.replacement = input.take_text();
    std::string bytes = input.take_rest();
    if (inputs.utf8 && (choices & 4) != 0) bytes = qelvo::codepage::gbk_to_utf8(bytes);

    Checks checks("fuzz_file_search");
    checks.note("file", bytes);
    checks.note("find", inputs.find);
    checks.note("replacement", inputs.replacement);
    checks.note("utf8", inputs.utf8);
    checks.note("ignore_case", ignore_case);

    for (const std::size_t piece_size : {small_piece, FileSearch::kPieceSize}) {
        checks.note("piece size", piece_size);
        FileSearch search(piece_size);
        checks.note("which file", std::string("the whole input"));
        check_file(checks, search, bytes, inputs, ignore_case);
        // The same search again on a shorter file, as a worker keeps its search and buffer
        // from file to file.
        const std::string shorter = bytes.substr(0, bytes.size() / 2);
        checks.note("which file", std::string("its first half, searched next"));
        check_file(checks, search, shorter, inputs, ignore_case);
    }
    return 0;
}
