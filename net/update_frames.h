#pragma once
// The update server's frames, apart from the window that holds its connection.
#include <string>
#include <string_view>

inline constexpr char kStx = 0x02, kEtx = 0x03;

// STX, the command as "%-9.9s", the payload, ETX.
std::string FrameCommand(std::string_view command, std::string_view payload);
