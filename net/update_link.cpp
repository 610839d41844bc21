#include "net/update_link.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/catalogue_rebuild.h"
#include "core/quake.h"
#include "core/quake_record.h"
#include "map/window_helpers.h"
#include "net/http.h"
#include "net/update_window.h"
#include "net/web_update.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"

namespace ui = platform::ui;

namespace {

// The links under way, innermost last; on the window's thread only.
std::vector<UpdateLink*>& Links() {
    static std::vector<UpdateLink*> links;
    return links;
}

}  // namespace

UpdateLink::UpdateLink(std::string host, int port, ui::Window* owner)
    : host_(std::move(host)), port_(port), owner_(owner) {
    Links().push_back(this);
}

UpdateLink::~UpdateLink() {
    Close();
    std::erase(Links(), this);
}

void UpdateLink::Cancel() {
    if (cancelled_) return;
    cancelled_ = true;
    DebugLog("Update cancelled");
    CancelTransfers();
}

void UpdateLink::Delay(int ms) {
    platform::TimeSource& clock = platform::Clock();
    const std::uint32_t start = clock.TickCount();
    for (int left = ms; left > 0 && !cancelled_;
         left = ms - static_cast<int>(clock.TickCount() - start))
        DelayPumping(std::min(left, 100));
}

void CancelUpdates() {
    for (UpdateLink* link : Links()) link->Cancel();
    CancelTransfers();
}

bool UpdateLink::OpenWindow() {
    if (dialog_) return true;
    auto* w = new updateWindow(owner_, this);
    w->SetEcho(echo_);
    if (!w->Create()) {
        if (!owner_) delete w;
        ShowWinsockError(owner_, "Can't open socket progress window");
        return false;
    }
    w->Show(ui::ShowCommand::Show);
    dialog_ = w;
    return true;
}

bool UpdateLink::Open() {
    if (open_ || dialog_) return true;
    if (!OpenWindow()) return false;
    open_ = dialog_->Connect(host_, port_);
    if (!open_) Close();
    return open_;
}

void UpdateLink::ProgressLine(const std::string& line) {
    if (dialog_) dialog_->MessageText(line);
}

void UpdateLink::Close() {
    if (updateWindow* w = dialog_) {
        dialog_ = nullptr;
        w->DetachLink();
        w->CloseSocket();
        // A failed step's reason stays on the screen until the user closes
        // it; its owner destroys it with itself otherwise.
        if (!(w->failed() && w->parent() && w->visible())) {
            w->Show(ui::ShowCommand::Hide);
            if (w->parent()) w->Destroy();
            else delete w;
        }
    }
    open_ = false;
}

bool StartWinsock(bool, bool) { return true; }

namespace {

std::string DateText(TimeValue t) {
    int y, m, d, h, mi, s;
    SplitTime(t.t, &y, &m, &d, &h, &mi, &s);
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", y, m, d);
    return text;
}

enum class FileEnd { kDone, kFailed };

// One catalogue: bounds, start date, the data loop, and the swap. Any failure
// removes the half-built copy and leaves the catalogue as it was.
FileEnd UpdateOneFile(UpdateLink& link, updateWindow& w, const UpdateFileRecord& file,
                      ServerUpdateProgress& progress) {
    auto ask = [&](const char* command, double value, int seconds) {
        return w.SendNumber(command, value) ? std::nullopt : w.Wait(seconds);
    };
    if (!ask("MINMAG", file.minMagnitude, 30) || !ask("MINLAT", file.south, 30) || !ask("MAXLON", file.east, 30) ||
        !ask("MINLON", file.west, 30) || !ask("MAXLAT", file.north, 30))
        return FileEnd::kFailed;

    w.Message("Update file %s.", file.name.c_str());
    CatalogueRebuild rebuild;
    if (!rebuild.Open(file.name)) {
        w.Message("Can't find file %s", file.name.c_str());
        return FileEnd::kFailed;
    }
    const TimeValue span(static_cast<double>(gUpdateDays) * 86400.0);
    // An empty catalogue starts UPDATE DAYS before now.
    const TimeValue start = (rebuild.count() > 0 ? rebuild.LastTime() : CurrentUtcTime()) - span;
    const std::string date = DateText(start);
    if (w.SendText("STARTDATE", date) || !w.Wait(10)) return FileEnd::kFailed;
    w.Message("Receive new data starting at %s", date.c_str());
    if (w.SendText("GET", "")) return FileEnd::kFailed;

    if (!rebuild.KeepBefore(start)) {
        DebugLog("Couldn't create %s", kTempCatalogue);
        w.MessageText(rebuild.error());
        progress.Beep();
        return FileEnd::kFailed;
    }

    // Only an empty reply ends the data: a time-out or a lost link means the
    // server's part is incomplete, and the old records after the cut stay.
    bool complete = false;
    for (std::optional<std::string> reply; (reply = w.Wait(120));) {
        if (reply->empty()) {
            (void)w.SendText("OKAY", "");
            complete = true;
            break;
        }
        std::string_view text = *reply, lastLine;
        for (std::size_t at = 0; at < text.size();) {
            std::size_t cr = text.find('\r', at);
            std::string_view line = text.substr(at, cr == std::string_view::npos ? std::string_view::npos : cr - at);
            at = cr == std::string_view::npos ? text.size() : cr + 2;
            if (line.empty()) continue;
            lastLine = line;
            QuakeRecord r;
            if (ParseQuakeLine(line, &r)) rebuild.Append(r);
        }
        w.Message("%.10s ... %.10s", std::string(text.substr(0, 10)).c_str(),
                  std::string(lastLine.substr(0, 10)).c_str());
        if (w.SendText("OKAY", "")) break;
    }
    if (!complete) return FileEnd::kFailed;  // the rebuild's copy goes with it
    link.Delay(1000);
    if (link.cancelled()) return FileEnd::kFailed;
    if (const std::string failure = rebuild.Finish(); !failure.empty()) {
        w.MessageText(failure);
        link.Delay(5000);
        return FileEnd::kFailed;
    }
    link.Delay(2000);
    return FileEnd::kDone;
}

}  // namespace

int UpdateFromServer(ui::Window* owner, ServerUpdateProgress& progress) {
    if (gUpdateServer.empty() || gUpdatePort == 0) {
        ui::MessageBox(owner, "IP Address or TCP/IP port not defined", "Error", ui::Buttons::Ok, ui::Icon::None);
        return 1;
    }
    auto hold = std::make_unique<CatalogueUpdateHold>();
    if (!hold->held()) return 1;  // the other update holds the catalogue
    DebugLog("Close database");
    CloseQuakeCatalogue();
    auto finish = [&](int result) {
        hold.reset();
        OpenQuakeCatalogue(false);
        progress.RepeatView();
        return result;
    };
    if (!StartWinsock(true, true)) return finish(1);

    UpdateLink link(gUpdateServer, static_cast<int>(gUpdatePort), owner);
    link.SetEcho([&progress](const std::string& line) { progress.Echo(line); });
    if (!link.Open()) {
        ui::MessageBox(owner, "Problem opening socket", "Error", ui::Buttons::Ok, ui::Icon::None);
        return finish(1);
    }
    link.Delay(2000);

    bool failed = false;
    for (const UpdateFileRecord& file : gUpdateFiles) {
        updateWindow* w = link.dialog();
        if (!w || link.cancelled() || UpdateOneFile(link, *w, file, progress) == FileEnd::kFailed) {
            failed = true;
            break;
        }
    }
    if (updateWindow* w = link.dialog()) {
        if (failed && link.cancelled()) {
            w->MessageText(kUpdateCancelledText);  // no reason to keep the window for
        } else if (failed) {
            w->MessageText("Problem.  Shutting down link.");
        } else {
            (void)w->SendText("DONE", "");
            w->MessageText("Done");
        }
    }
    link.Delay(3000);
    link.Close();
    return finish(failed ? 1 : 0);
}
