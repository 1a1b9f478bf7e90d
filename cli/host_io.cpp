#include "cli/host_io.h"

#include "platform/codepage.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace qelvo::cli {

std::vector<std::string> host_arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
#ifdef _WIN32
    // The narrow argv would arrive in the system's ANSI code page, which
    // may not be able to hold the user's text; the wide one always can.
    (void)argc;
    (void)argv;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i) {
        const std::u16string utf16(reinterpret_cast<const char16_t*>(wide[i]));
        arguments.push_back(codepage::utf16_to_utf8(utf16));
    }
    LocalFree(wide);
#else
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
#endif
    return arguments;
}

std::optional<std::string> gbk_from_host(std::string_view utf8) {
    if (!codepage::utf8_round_trips_through_gbk(utf8)) return std::nullopt;
    return codepage::utf8_to_gbk(utf8);
}

std::string host_from_gbk(std::string_view gbk) { return codepage::gbk_to_utf8(gbk); }

void print_line(std::FILE* stream, std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

bool is_terminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

}  // namespace qelvo::cli
