#pragma once
// The application: owns the main window, runs the message loop and is the last
// stop of the command route (its own response table).
#include <memory>
#include <string>

#include "platform/ui/frame.h"
#include "platform/ui/response.h"

namespace platform::ui {

class Application : public CommandTarget {
public:
    explicit Application(std::string name);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The one application, or nullptr.
    static Application* Instance();
    const std::string& name() const { return name_; }

    // InitMainWindow, then the main window is created and shown with the show
    // command, then the loop runs until the main window is destroyed. 1 when
    // there is no main window to run.
    int Run();
    void SetMainWindow(std::unique_ptr<Frame> frame);
    Frame* mainWindow() const { return main_.get(); }
    void SetShowCommand(ShowCommand how) { show_ = how; }

protected:
    virtual void InitMainWindow() {}

private:
    friend class Window;
    void MainWindowDestroyed();
    Frame* ReleaseMainWindow() { return main_.release(); }

    std::string name_;
    std::unique_ptr<Frame> main_;
    ShowCommand show_ = ShowCommand::Show;
};

}  // namespace platform::ui
