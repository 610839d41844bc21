#pragma once
// For the smoke test of the real backend: what the toolkit itself shows, and
// text put in as a user would type it, both in the toolkit's UTF-8.
#include <string>
#include <string_view>

#include "platform/ui/window.h"

namespace platform::ui::wxtest {

// A frame's or dialog's title, an edit's or combo box's text, any other control's label.
std::string NativeText(const Window& w);
// Types into a native edit; false when the window is none.
bool TypeNative(Window& control, std::string_view utf8);

}  // namespace platform::ui::wxtest
