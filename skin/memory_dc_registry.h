// The memory DCs that the compositing primitives hand out, each with the
// bitmap selected into it and the one it held before, so that releasing a
// DC frees exactly what was made for it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace qelvo::skin {

class MemoryDcRegistry {
  public:
    // Registers a DC; a DC already registered gets its two bitmaps updated.
    void add(HDC dc, HBITMAP bitmap, HBITMAP previous);
    // Selects the DC's first bitmap back, deletes the bitmap that comes out
    // and the DC, and forgets it. A null or unregistered DC is left alone.
    void release(HDC dc);
    bool contains(HDC dc) const;
    std::size_t size() const { return entries_.size(); }

  private:
    struct Entry {
        HDC dc;
        HBITMAP bitmap;
        HBITMAP previous;
    };
    std::vector<Entry>::iterator find(HDC dc);

    std::vector<Entry> entries_;
};

}  // namespace qelvo::skin
