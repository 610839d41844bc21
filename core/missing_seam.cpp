#include "core/missing_seam.h"

#include <cstdio>
#include <set>

#include "core/helpers.h"

namespace {

std::function<void(const std::string&)>& Handler() {
    static std::function<void(const std::string&)> handler;
    return handler;
}

}  // namespace

void SetMissingSeamHandler(std::function<void(const std::string& step)> handler) { Handler() = std::move(handler); }

void ReportMissingSeam(const std::string& step) {
    if (Handler()) {
        Handler()(step);
        return;
    }
    static std::set<std::string> logged;
    if (!logged.insert(step).second) return;
    DebugLog("Nothing installed for: %s", step.c_str());
    std::fprintf(stderr, "Quorview: nothing installed for: %s\n", step.c_str());
}
