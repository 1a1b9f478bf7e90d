// The host side of qelvo-cli: its arguments, its output streams and the
// conversions between the host's encoding (UTF-8) and engine text (GBK).
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qelvo::cli {

// The command line after the program name, in UTF-8. On Windows it comes
// from the wide command line.
std::vector<std::string> host_arguments(int argc, char** argv);

// Host text to GBK; nothing when a character has no GBK form or the text is
// not valid UTF-8.
std::optional<std::string> gbk_from_host(std::string_view utf8);
std::string host_from_gbk(std::string_view gbk);

void print_line(std::FILE* stream, std::string_view utf8);
bool is_terminal(std::FILE* stream);

}  // namespace qelvo::cli
