#include "map/window_helpers.h"

#include <cstdint>
#include <string>

#include "core/helpers.h"
#include "platform/sys/clock.h"
#include "platform/sys/resources.h"
#include "platform/ui/ui.h"

void ErrorBox(platform::ui::Window* window, int id, std::string_view argument) {
    // The table's text is a format with one "%s"; it is filled by hand so no
    // text, ours or the caller's, is ever taken as a format.
    std::string_view format = platform::ResourceString(id);
    std::string text;
    bool filled = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == '%') {
                text += '%';
                ++i;
                continue;
            }
            if (format[i + 1] == 's' && !filled) {
                text += argument;
                filled = true;
                ++i;
                continue;
            }
        }
        text += format[i];
    }
    CopyBounded(gResBuffer, 48, text);
    platform::ui::Beep(platform::ui::BeepKind::Exclamation);
    platform::ui::MessageBox(window, gResBuffer, "Error", platform::ui::Buttons::Ok, platform::ui::Icon::Exclamation);
}

// ---- Message pumps -----------------------------------------------------------

int DelayPumping(int ms) {
    platform::TimeSource& clock = platform::Clock();
    const std::uint32_t start = clock.TickCount();
    for (;;) {
        platform::ui::Message msg;
        while (platform::ui::PeekMessage(msg)) platform::ui::DispatchMessage(msg);
        auto elapsed = static_cast<int>(clock.TickCount() - start);
        if (elapsed >= ms) return elapsed;
        // Sleeps in the backend's wait rather than spinning on the tick count.
        platform::ui::WaitForMessage(ms - elapsed);
    }
}

bool PumpMessagesCheckEsc() {
    platform::ui::Message msg;
    if (!platform::ui::PeekMessage(msg)) return false;
    if (msg.kind == platform::ui::MessageKind::Char && msg.code == platform::ui::kEscape) return true;
    platform::ui::DispatchMessage(msg);
    return false;
}
