#pragma once
// Other programs started from an argument list, never through a shell.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Starts args[0] (looked up on PATH) with the arguments and does not wait for
// it. False, with the reason in *why, when it could not be started. Children
// that have ended are reaped at each call.
bool StartProcess(const std::vector<std::string>& args, std::string* why = nullptr);

// Whether a process of this user runs the program of that file name with one
// of the folders as its current folder (Linux: read from /proc).
bool ProgramRunsIn(std::string_view program, const std::vector<std::string>& folders);
// Tests: every StartProcess goes to the starter instead; empty restores real starts.
using ProcessStarter = std::function<bool(const std::vector<std::string>& args, std::string* why)>;
void SetProcessStarter(ProcessStarter starter);

}  // namespace platform
