#include "skin/memory_dc_registry.h"

#include <algorithm>

#include "skin/gdi_holders.h"

namespace qelvo::skin {

std::vector<MemoryDcRegistry::Entry>::iterator MemoryDcRegistry::find(HDC dc) {
    return std::find_if(entries_.begin(), entries_.end(),
                        [dc](const Entry& entry) { return entry.dc == dc; });
}

void MemoryDcRegistry::add(HDC dc, HBITMAP bitmap, HBITMAP previous) {
    if (!dc) return;
    auto entry = find(dc);
    if (entry != entries_.end()) {
        entry->bitmap = bitmap;
        entry->previous = previous;
        return;
    }
    // The DC and its bitmap were counted by whoever made them.
    entries_.push_back({dc, bitmap, previous});
}

void MemoryDcRegistry::release(HDC dc) {
    if (!dc) return;
    auto entry = find(dc);
    if (entry == entries_.end()) return;
    gdi_count::destroy(SelectObject(dc, entry->previous));
    gdi_count::destroyDc(dc);
    entries_.erase(entry);
}

bool MemoryDcRegistry::contains(HDC dc) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [dc](const Entry& entry) { return entry.dc == dc; });
}

}  // namespace qelvo::skin
