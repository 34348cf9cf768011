#include "display/bitmap32_list.h"

#include <stdexcept>
#include <string>

#include "display/bitmap_qt.h"

TBitmap32Item::TBitmap32Item()
{
    set_default_display_attributes(Bitmap);
}

TBitmap32Item& TBitmap32Collection::add()
{
    items_.push_back(std::make_unique<TBitmap32Item>());
    return *items_.back();
}

TBitmap32Item& TBitmap32Collection::operator[](int index)
{
    return const_cast<TBitmap32Item&>(static_cast<const TBitmap32Collection&>(*this)[index]);
}

const TBitmap32Item& TBitmap32Collection::operator[](int index) const
{
    if (index < 0 || index >= count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return *items_[static_cast<std::size_t>(index)];
}
