#pragma once
// What a test needs while a transfer or an update keeps the message loop
// running: a window whose timer runs the test's step, and a look for the
// window the work opened.
#include <functional>

#include "platform/ui/window.h"

namespace testsupport {

// Its timer runs onTick at each tick, counted from 1.
class StepTimer : public platform::ui::Window {
public:
    StepTimer() : Window(nullptr) { Create(); }
    std::function<void(int tick)> onTick;
    int ticks = 0;

protected:
    void EvTimer(int) override {
        if (onTick) onTick(++ticks);
    }
};

// The first child of owner that is a T; null when there is none.
template <class T>
T* ChildOfType(const platform::ui::Window& owner) {
    for (platform::ui::Window* c : owner.children())
        if (auto* w = dynamic_cast<T*>(c)) return w;
    return nullptr;
}

}  // namespace testsupport
