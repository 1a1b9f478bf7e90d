#include "engine/job_inputs.h"

#include "engine/text.h"

namespace qelvo {

std::string expand_line_breaks(std::string_view typed) {
    return text::replace_text(typed, "\\n", "\r\n");
}

bool has_text_extension(std::string_view path) {
    static constexpr std::string_view kTextExtensions =
        "*.txt|*.html|*.htm|*.cgi|*.asp|*.php|*.php3|*.jsp|*.java|*.xml|*.css|*.js|*.aspx|"
        "*.asa|*.asax|*.cs|*.vb|*.vbs|*.pas|*.dpr|*.cpp|*.c|*.h|*.hpp|*.rc|*.reg|*.ini|*.diz|"
        "*.nfo|*.bat|*.rpk";
    std::string extension = ".";
    extension += text::text_after_last(path, ".");
    return text::find_text(kTextExtensions, extension) != text::kNotFound;
}

}  // namespace qelvo
