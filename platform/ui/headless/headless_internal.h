#pragma once
// Between the files of the headless backend.
namespace platform::headless {
// Empties the common dialogs' scripts and records (their fault reporter stays).
void ResetCommonDialogs();
}  // namespace platform::headless
