#include "engine/gbk_search.h"

namespace qelvo {

const char* find_at_gbk_character_start(const ByteSearch& sought, const char* from,
                                        const char* end) {
    const char* known = from;
    for (const char* at = sought.find(from, end); at != nullptr; at = sought.find(at, end)) {
        if (begins_gbk_character(known, at)) return at;
        // A second byte: the next byte begins a character, and the look-back
        // of later candidates stops there.
        known = ++at;
    }
    return nullptr;
}

}  // namespace qelvo
