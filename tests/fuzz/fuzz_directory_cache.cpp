// The cache files of engine/directory_cache.h: any bytes load, as the GBK lines of the text up
// to the first zero byte, each ended by CR LF at a character start; a loaded list written out
// again loads as the same list; and the path box texts name cache files as the header says.
//
// Input: the whole of it is the cache file, and also the text of the path box.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/directory_cache.h"
#include "engine/gbk_literal.h"
#include "engine/run.h"
#include "platform/platform.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/gbk_reference.h"
#include "tests/fuzz/temp_directory.h"

namespace qelvo::fuzz {
namespace {

namespace ref = reference;

constexpr std::string_view kName = "list.ldz";

std::vector<std::string> loaded(std::string_view bytes) {
    const TempDirectory& directory = TempDirectory::instance();
    directory.put(kName, bytes);
    Run run(1, RunFlags{});
    load_cache_file(run, directory.path(kName));
    return run.paths();
}

void check_load(const Checks& checks, std::string_view bytes) {
    const std::vector<std::string> paths = loaded(bytes);
    checks.equal(paths, ref::split_text(bytes.substr(0, bytes.find('\0')), "\r\n"),
                 "the loaded paths");
    // A path ending in a first byte would take the CR of its line end for its second byte; the
    // walk never gives such a path, so the list comes back only without one.
    bool whole_characters = true;
    for (const std::string& path : paths) whole_characters &= !ref::ends_in_lone_lead_byte(path);
    if (whole_characters) {
        checks.equal(loaded(cache_file_contents(paths)), paths, "the paths written and loaded");
    }
}

void check_names(const Checks& checks, std::string_view text) {
    const bool ldz = text.size() >= 4 && text.substr(text.size() - 4) == ".ldz";
    checks.equal(names_cache_file(text), ldz, "names_cache_file");
    const std::vector<std::string> pieces = ref::split_text(text, "\\");
    const std::string last = pieces.empty() ? std::string() : pieces.back();
    checks.equal(cache_file_path(text),
                 platform::executable_directory() + gbk("缓存") + "\\" + last + ".ldz",
                 "cache_file_path");
}

}  // namespace
}  // namespace qelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qelvo::fuzz;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Checks checks("fuzz_directory_cache");
    checks.note("bytes", bytes);
    check_load(checks, bytes);
    check_names(checks, bytes);
    return 0;
}
