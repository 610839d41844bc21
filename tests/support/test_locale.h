#pragma once
// KESTRUNE_TEST_LOCALE runs a whole test program under that locale (a comma
// for the decimal point, say); one that cannot be set fails the run.
#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace testsupport {

inline bool SetTestLocale() {
    const char* name = std::getenv("KESTRUNE_TEST_LOCALE");
    if (!name || !*name) return true;
    if (std::setlocale(LC_ALL, name)) return true;
    std::fprintf(stderr, "cannot set the locale %s\n", name);
    return false;
}

}  // namespace testsupport
