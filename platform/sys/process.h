#pragma once
// Other programs started from an argument list, never through a shell.
#include <functional>
#include <string>
#include <vector>

namespace platform {

// Starts args[0] (looked up on PATH) with the arguments and does not wait for
// it. False, with the reason in *why, when it could not be started. Children
// that have ended are reaped at each call.
bool StartProcess(const std::vector<std::string>& args, std::string* why = nullptr);

// Tests: every StartProcess goes to the starter instead; empty restores real starts.
using ProcessStarter = std::function<bool(const std::vector<std::string>& args, std::string* why)>;
void SetProcessStarter(ProcessStarter starter);

}  // namespace platform
