#pragma once
// The application object: its name, the recent-view list and the main frame.
#include "platform/ui/app.h"
#include "platform/ui/recent_files.h"

class quorvelApp : public platform::ui::Application {
public:
    static constexpr int kRecentViews = 15;
    static constexpr int kRecentChars = 75;
    static constexpr int kRecentTextMax = 260;

    quorvelApp();
    ~quorvelApp() override;

    platform::ui::RecentFiles& recentViews() { return recent_; }

protected:
    void InitMainWindow() override;

private:
    platform::ui::RecentFiles recent_;
};
