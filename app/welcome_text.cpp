#include "app/welcome_text.h"

#include "core/helpers.h"

std::string ReadWelcomeText(std::FILE* f, std::size_t buffer) {
    std::string text;
    if (!f || buffer < 1) return text;
    const std::size_t room = buffer - 1;
    std::string line;
    bool full = false;
    auto take = [&](const std::string& piece) {
        if (full) return;
        std::string joined = text.empty() ? piece : text + " " + piece;
        if (joined.size() > room) {
            // Cut at the last blank that fits, so no word is left half shown.
            std::size_t cut = joined.rfind(' ', room);
            if (cut == std::string::npos || cut == 0) cut = room;
            joined.resize(cut);
            full = true;
        }
        text = std::move(joined);
    };
    // Whole lines, however long; a NUL ends its line but never swallows the line break after it.
    while (ReadWholeLine(f, line)) {
        EndLineAtNul(line);
        take(line);
    }
    return text;
}
