// Searching a directory by name pattern, over either backend's listing.
#include "platform/platform.h"
#include "platform/wildcard.h"

namespace qelvo::platform {

bool search_directory(std::string_view directory, std::string_view pattern, EntryKind kind,
                      const EntryVisitor& visit) {
    if (!pattern_is_valid(pattern)) {
        return false;
    }
    return list_directory(directory, [&](const std::string& name, EntryKind entry_kind) {
        return entry_kind != kind || !wildcard_match(pattern, name) || visit(name);
    });
}

}  // namespace qelvo::platform
