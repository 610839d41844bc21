#pragma once
// A step that calls up into a layer the program's wiring installs at start-up,
// reached while nothing is installed: the program logs it once per step; tests
// install a handler that fails, so an uninstalled interface is never silent.
#include <functional>
#include <string>

void ReportMissingSeam(const std::string& step);
// Tests: called instead of the log line; empty restores the log.
void SetMissingSeamHandler(std::function<void(const std::string& step)> handler);
