#include "platform/ui/frame.h"

#include "platform/ui/app.h"
#include "platform/ui/backend.h"
#include "platform/ui/recent_files.h"

namespace platform::ui {

Frame::Frame(Window* parent, std::string caption, Window* client) : Window(parent, std::move(caption)) {
    if (!parent) SetStyle(style::kOverlapped | style::kVisible);
    if (client) {
        Adopt(client);
        client_ = client;
    }
}

Frame::~Frame() {
    if (screenSaverHeldOff_ && peer()) peer()->HoldOffScreenSaver(false);
}

void Frame::HoldOffScreenSaver(bool on) {
    if (on == screenSaverHeldOff_) return;
    screenSaverHeldOff_ = on;
    if (peer()) peer()->HoldOffScreenSaver(on);
}

const ResponseTable& Frame::Table() {
    using R = ResponseTableOf<Frame, Window>;
    static const ResponseTable table = R::Build({R::Named("CmExitCommand", R::Command(kExitCommand, &Frame::CmExitCommand))});
    return table;
}

void Frame::CmExitCommand() { CloseWindow(); }

Window* Frame::SetClient(Window* w) {
    Window* old = client_;
    if (w && w->parent() != this) Adopt(w);
    client_ = w;
    if (old && old != w) old->Show(ShowCommand::Hide);
    LayoutClient();
    if (w && created()) {
        if (!w->created()) w->Create();
        w->Show(ShowCommand::Show);
    }
    if (peer()) peer()->FrameChanged();
    return old;
}

void Frame::SetMenu(std::unique_ptr<Menu> bar) {
    menu_ = std::move(bar);
    if (menu_) {
        menu_->SetChangeObserver([this] {
            if (peer()) peer()->FrameChanged();
        });
    }
    if (peer()) peer()->FrameChanged();
}

bool Frame::AssignMenu(std::string_view resourceName) {
    auto bar = LoadMenu(resourceName);
    if (!bar) return false;
    SetMenu(std::move(bar));
    return true;
}

bool Frame::TranslateAccelerator(const Message& m) {
    const auto id = accelerators_.Match(m);
    if (!id) return false;
    // A command its enablers grey is not sent, as a greyed menu item is not chosen.
    if (QueryRoute(*id).enabled()) RouteCommand(*id);
    return true;
}

CommandEnabler Frame::QueryRoute(int id) {
    if (destroying()) {
        CommandEnabler off(id);
        off.Enable(false);
        return off;
    }
    return RouteStart()->QueryCommand(id);
}

Window* Frame::RouteStart() {
    Window* start = client_ && !client_->destroying() ? client_ : this;
    if (Window* focus = FocusWindow(); focus && IsSelfOrAncestorOf(focus)) start = focus;
    return start;
}

bool Frame::RouteCommand(int id) {
    if (destroying()) return false;
    if (recent_) {
        const int index = recent_->IndexOfCommand(id);
        if (index >= 0) {
            const MessageId msg = recent_->message();
            if (RunMessage(msg, static_cast<WParam>(index), 0)) return true;
            Application* app = Application::Instance();
            return app && app->RunMessage(msg, static_cast<WParam>(index), 0);
        }
    }
    return RouteStart()->SendCommand(id);
}

void Frame::UpdateMenuBar() {
    if (!menu_) return;
    if (recent_) recent_->UpdateMenu(*menu_);
    RunMenuEnablers(*menu_);
}

void Frame::SetupWindow() {
    if (screenSaverHeldOff_ && peer()) peer()->HoldOffScreenSaver(true);
    LayoutClient();
    Window::SetupWindow();
}

void Frame::EvSize(Size) { LayoutClient(); }

void Frame::ChildRemoved(Window* child) {
    if (child == client_) {
        client_ = nullptr;
        if (peer()) peer()->FrameChanged();
    }
}

void Frame::LayoutClient() {
    if (client_) client_->MoveWindow(clientArea());
}

}  // namespace platform::ui
