#include "platform/gfx/color.h"

namespace platform::gfx {

Color Palette::operator[](int index) const {
    if (index < 0 || index >= size()) return kBlack;
    return entries_[static_cast<std::size_t>(index)];
}

void Palette::Set(int index, Color c) {
    if (index < 0 || index >= size()) return;
    entries_[static_cast<std::size_t>(index)] = c;
}

}  // namespace platform::gfx
