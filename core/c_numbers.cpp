#include "core/c_numbers.h"

#include <locale.h>

CNumbersScope::CNumbersScope() : c_(::newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0))), previous_(nullptr) {
    if (c_) previous_ = ::uselocale(static_cast<locale_t>(c_));
}

CNumbersScope::~CNumbersScope() {
    if (!c_) return;
    ::uselocale(static_cast<locale_t>(previous_));
    ::freelocale(static_cast<locale_t>(c_));
}
