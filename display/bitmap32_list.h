#pragma once

#include <memory>
#include <vector>

#include "engine/bitmap32.h"

/// One entry of a bitmap list.
struct TBitmap32Item {
    TBitmap32Item();
    Bitmap32 Bitmap;
};

/// The ordered items of a bitmap list, numbered from 0.
class TBitmap32Collection {
public:
    /// Appends an item whose bitmap is empty with the display defaults; returns it.
    TBitmap32Item& add();
    /// Item `index`; throws std::out_of_range outside [0, count()).
    TBitmap32Item& operator[](int index);
    const TBitmap32Item& operator[](int index) const;
    int count() const { return static_cast<int>(items_.size()); }

private:
    // Bitmaps are neither copied nor moved, so each item keeps its address.
    std::vector<std::unique_ptr<TBitmap32Item>> items_;
};

/// An indexed list of spare skin bitmaps (for instance the faces a button
/// switches between). Its bitmaps are only read at run time, to be copied into
/// skin images with TImage32::set_bitmap, which brings their fonts along.
class TBitmap32List {
public:
    TBitmap32Collection Bitmaps;
};
