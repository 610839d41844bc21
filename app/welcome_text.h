#pragma once
// The welcome screen's text file, apart from the screen: its reader links no window layer.
#include <cstddef>
#include <cstdio>
#include <string>

inline constexpr const char* kWelcomeTextFile = "QUORVEL.TXT";
inline constexpr std::size_t kWelcomeTextBuffer = 2000;  // bytes, the terminator included

// The welcome text: the file's lines joined by one blank each, whole lines
// however long, cut at the last blank that fits (else mid-word) so that text
// and terminator fit in `buffer` bytes.
std::string ReadWelcomeText(std::FILE* f, std::size_t buffer = kWelcomeTextBuffer);
