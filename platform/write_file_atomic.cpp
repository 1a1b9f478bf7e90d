// A whole file's new contents in one call, through the backend's atomic
// writer.
#include <string_view>

#include "platform/platform.h"

namespace qelvo::platform {

bool write_file_atomic(std::string_view path, std::string_view bytes) {
    AtomicFileWriter writer(path);
    return writer.write(bytes) && writer.commit();
}

}  // namespace qelvo::platform
