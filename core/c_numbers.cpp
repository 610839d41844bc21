#include "core/c_numbers.h"

#include <locale.h>

namespace {
// The C locale as a whole is one the library keeps itself: nothing to free.
locale_t CLocale() {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}
}  // namespace

CNumbersScope::CNumbersScope() : c_(CLocale()), previous_(nullptr) {
    if (c_) previous_ = ::uselocale(static_cast<locale_t>(c_));
}

CNumbersScope::~CNumbersScope() {
    if (c_) ::uselocale(static_cast<locale_t>(previous_));
}
