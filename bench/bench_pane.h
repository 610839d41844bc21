#pragma once
// A map pane of 1920 x 1080 on a view read from copies of data files in a
// scratch folder, so the cache and a rewritten view file never touch data/.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/child_map.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"
#include "tests/support/temp_dir.h"

class BenchPane {
public:
    // copied names the files of data/ that the folder gets; data/ stays the program folder.
    BenchPane(const char* view, const std::function<bool(const std::string& name)>& copied) {
        platform::headless::Reset();
        const std::filesystem::path data = KESTRUNE_DATA;
        for (const auto& entry : std::filesystem::directory_iterator(data))
            if (copied(entry.path().filename().string()))
                std::filesystem::copy_file(entry.path(), entry.path().filename(),
                                           std::filesystem::copy_options::overwrite_existing);
        ok_ = ReadConfigFile() == 0 && ReadViewFile(view) == 0;
        gProgramDir = data.string();
        BuildMercatorTable();
        owner_ = std::make_unique<platform::ui::Window>(nullptr, "layout");
        owner_->MoveWindow({0, 0, 1920, 1080});
        pane_ = new childMap(owner_.get());
        pane_->MoveWindow({0, 0, 1920, 1080});
        ok_ = ok_ && owner_->Create();
    }
    BenchPane(const BenchPane&) = delete;
    BenchPane& operator=(const BenchPane&) = delete;

    bool ok() const { return ok_; }
    childMap& pane() { return *pane_; }

private:
    TempDir dir_;  // the current folder until the pane is gone
    std::unique_ptr<platform::ui::Window> owner_;
    childMap* pane_ = nullptr;
    bool ok_ = false;
};
