#include "net/update_frames.h"

#include <cstdio>

std::string FrameCommand(std::string_view command, std::string_view payload) {
    char name[16];
    std::snprintf(name, sizeof name, "%-9.9s", std::string(command).c_str());
    std::string frame(1, kStx);
    frame += name;
    frame += payload;
    frame += kEtx;
    return frame;
}
