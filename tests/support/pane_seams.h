#pragma once
// A test's map pane seams, installed for the guard's lifetime: declare the
// guard after the seams object, so the base is back before that object ends.
#include "map/child_map.h"

namespace testsupport {

class ScopedPaneSeams {
public:
    explicit ScopedPaneSeams(MapPaneSeams& seams) { InstallMapPaneSeams(&seams); }
    ~ScopedPaneSeams() { InstallMapPaneSeams(nullptr); }
    ScopedPaneSeams(const ScopedPaneSeams&) = delete;
    ScopedPaneSeams& operator=(const ScopedPaneSeams&) = delete;
};

}  // namespace testsupport

namespace testsupport {

// Counts what the pane tells its probe.
struct RenderCounter : RenderProbe {
    int fullRenderings = 0;
    int cacheWrites = 0;
    void FreshRendering() override { ++fullRenderings; }
    void CacheImageWritten() override { ++cacheWrites; }
};

}  // namespace testsupport
