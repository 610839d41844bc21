#include "platform/ui/app.h"

#include "platform/ui/backend.h"

namespace platform::ui {
namespace {
Application* gApplication = nullptr;
}

Application::Application(std::string name) : name_(std::move(name)) { gApplication = this; }

Application::~Application() {
    main_.reset();
    if (gApplication == this) gApplication = nullptr;
}

Application* Application::Instance() { return gApplication; }

int Application::Run() {
    InitMainWindow();
    if (!main_ || !main_->Create()) return 1;
    main_->Show(show_);
    return backend::RunLoop(*this);
}

void Application::SetMainWindow(std::unique_ptr<Frame> frame) { main_ = std::move(frame); }

void Application::MainWindowDestroyed() {
    delete main_.release();
    backend::QuitLoop(0);
}

}  // namespace platform::ui
