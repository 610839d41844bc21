#pragma once
// A step whose work another part of the program fills, reached while that
// part is absent: the program logs it once per step; tests install a handler
// that fails, so a missing seam is never silent.
#include <functional>
#include <string>

void ReportMissingSeam(const std::string& step);
// Tests: called instead of the log line; empty restores the log.
void SetMissingSeamHandler(std::function<void(const std::string& step)> handler);
