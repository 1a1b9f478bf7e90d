// What the jobs made of a file when they read it whole: the text up to the
// first zero byte converted, searched and replaced in, and the rest of the
// file written back as it was. The piecewise file search must give the same.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "engine/file_contents.h"
#include "engine/file_text.h"
#include "engine/search_plan.h"

namespace qelvo::testing {

struct WholeFileResult {
    bool contains = false;
    std::string rewritten;
};

inline WholeFileResult whole_file_result(std::string_view bytes, const SearchInputs& inputs,
                                         bool ignore_case) {
    const FileText split = split_at_first_zero(bytes);
    FileContents contents = inputs.utf8 ? FileContents::from_utf8(split.text)
                                        : FileContents::from_gbk(std::string(split.text));
    WholeFileResult result;
    result.contains = contents.contains(inputs.find, ignore_case);
    contents.replace_all(inputs.find, inputs.replacement);
    result.rewritten = std::move(contents).bytes();
    result.rewritten += split.tail;
    return result;
}

}  // namespace qelvo::testing
