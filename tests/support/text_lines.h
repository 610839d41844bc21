#pragma once
// A text's lines without their line ends; a last line without one counts too.
#include <string>
#include <vector>

namespace testsupport {

inline std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

}  // namespace testsupport
