// The welcome screen's text file. The input is two bytes of buffer size,
// then the file. Contract: the text is the file's lines joined by one blank,
// empty lines before the first text left out (each line's end, CR LF or LF,
// dropped; a line ends at a NUL byte), cut so
// that text and terminator fit the buffer: at the last blank that fits, or
// mid-word when there is none.
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/welcome_text.h"
#include "fuzz/fuzz_support.h"

namespace {

std::string Joined(std::string_view file) {
    std::string out;
    while (!file.empty()) {
        const std::size_t nl = file.find('\n');
        std::string_view line = file.substr(0, nl);
        file.remove_prefix(nl == std::string_view::npos ? file.size() : nl + 1);
        line = line.substr(0, line.find('\0'));
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!out.empty()) out += ' ';
        out += line;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Taker take(data, size);
    const std::size_t high = take.Byte(), low = take.Byte();
    // Mostly the screen's own buffer, now and then a small one.
    const std::size_t buffer = high >= 0x80 ? (high & 0x7F) * 256 + low : kWelcomeTextBuffer;
    const std::string_view file = take.Rest();

    fuzz::EnterCleanFolder();
    fuzz::WriteFile(kWelcomeTextFile, file);
    std::FILE* f = std::fopen(kWelcomeTextFile, "rb");
    FUZZ_CHECK(f != nullptr, "the file opens");
    const std::string text = ReadWelcomeText(f, buffer);
    std::fclose(f);

    if (buffer == 0) {
        FUZZ_CHECK(text.empty(), "no room, no text");
        return 0;
    }
    const std::size_t room = buffer - 1;
    const std::string whole = Joined(file);
    const std::string shown = "\"" + text + "\" of \"" + whole + "\" in " + std::to_string(buffer);
    if (whole.size() <= room) {
        FUZZ_CHECK(text == whole, "the whole text: " + shown);
        return 0;
    }
    std::size_t cut = whole.rfind(' ', room);
    if (cut == std::string::npos || cut == 0) cut = room;
    FUZZ_CHECK(text == whole.substr(0, cut), "cut at the last blank that fits: " + shown);
    return 0;
}
