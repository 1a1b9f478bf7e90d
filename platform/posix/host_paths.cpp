#include "platform/posix/host_paths.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/codepage.h"
#include "platform/platform.h"

namespace qelvo::platform {
namespace {

bool names_drive_z(std::string_view engine_path) {
    return engine_path.size() >= 2 && engine_path[1] == ':' &&
           (engine_path[0] == 'z' || engine_path[0] == 'Z');
}

void replace_all(std::string& text, char from, char to) {
    for (char& c : text) {
        if (c == from) {
            c = to;
        }
    }
}

}  // namespace

// The host path of an engine path on drive Z:, or nothing for any other
// drive. Separators are swapped after conversion to UTF-8, where a backslash
// byte is always a backslash; in GBK it may be the trail byte of a character.
std::optional<std::string> host_path(std::string_view engine_path) {
    if (!names_drive_z(engine_path)) {
        return std::nullopt;
    }
    std::string host = codepage::gbk_to_utf8(engine_path.substr(2));
    replace_all(host, '\\', '/');
    if (host.empty() || host.front() != '/') {
        // The engine only uses absolute paths, so "Z:" and "Z:name" are taken
        // from the root rather than from some notion of a current directory.
        host.insert(host.begin(), '/');
    }
    return host;
}

// The GBK form of a name read from disk, or nothing when the engine could not
// address the entry: a backslash would split the name into two path parts
// once the engine path is mapped back, and a name that changes on its way
// through GBK would map back to a different file, or to none.
std::optional<std::string> engine_name(const char* host_name) {
    const std::string_view name(host_name);
    if (name == "." || name == ".." || name.find('\\') != std::string_view::npos) {
        return std::nullopt;
    }
    std::string gbk = codepage::utf8_to_gbk(name);
    if (gbk != name && codepage::gbk_to_utf8(gbk) != name) {
        return std::nullopt;
    }
    return gbk;
}

std::optional<std::string> engine_path_from_host(std::string_view host_path_text) {
    // A backslash is a name character here but a separator to the engine.
    if (host_path_text.empty() || host_path_text.find('\\') != std::string_view::npos) {
        return std::nullopt;
    }
    std::error_code error;
    const std::filesystem::path absolute =
        std::filesystem::absolute(std::filesystem::path(host_path_text), error);
    if (error) {
        return std::nullopt;
    }
    // Lexical clean-up only, as Windows does for a full path name; following
    // links here would change which directory ".." leads to.
    const std::string utf8 = absolute.lexically_normal().string();
    std::string gbk = codepage::utf8_to_gbk(utf8);
    if (codepage::gbk_to_utf8(gbk) != utf8) {
        return std::nullopt;
    }
    // A slash cannot be a GBK trail byte (those start at 0x40), so bytes are
    // swapped safely in the GBK text.
    replace_all(gbk, '/', '\\');
    return "Z:" + gbk;
}

std::string host_path_from_engine(std::string_view engine_path) {
    if (std::optional<std::string> host = host_path(engine_path)) {
        return *host;
    }
    return codepage::gbk_to_utf8(engine_path);
}

}  // namespace qelvo::platform
