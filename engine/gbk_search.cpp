#include "engine/gbk_search.h"

namespace qelvo {

const char* find_at_gbk_character_start(const ByteSearch& sought, const char* from,
                                        const char* end) {
    GbkCharacterStarts starts(from);
    for (const char* at = sought.find(from, end); at != nullptr; at = sought.find(at + 1, end)) {
        if (starts.begins_character(at)) return at;
    }
    return nullptr;
}

}  // namespace qelvo
