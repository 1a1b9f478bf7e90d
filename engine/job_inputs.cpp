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
    // A dot is never the second byte of a GBK character, and the list is
    // ASCII, where every byte begins a character: plain byte searches find
    // what character searches would, without preparing a search per file.
    const std::size_t dot = path.rfind('.');
    std::string extension = ".";
    if (dot != std::string_view::npos) extension += path.substr(dot + 1);
    return kTextExtensions.find(extension) != std::string_view::npos;
}

}  // namespace qelvo
