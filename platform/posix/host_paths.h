// The mapping between engine paths and host paths in the POSIX backend.
// Engine paths name drive Z: as the root of the file system, the way Wine
// presents it; no other drive exists here, so every operation on one fails.
// Names are GBK in the engine and UTF-8 on disk.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qelvo::platform {

// The host path of an engine path on drive Z:, or nothing for any other
// drive.
std::optional<std::string> host_path(std::string_view engine_path);

// The GBK form of a name read from disk, or nothing when the engine could not
// address the entry.
std::optional<std::string> engine_name(const char* host_name);

}  // namespace qelvo::platform
