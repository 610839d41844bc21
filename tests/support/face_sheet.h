#pragma once
// A picture of controls' faces for a person to look at: each window drawn
// anew and copied where the test puts it, the sheet written to the build
// folder enlarged three times.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/gfx/draw_context.h"
#include "platform/gfx/image.h"
#include "platform/gfx/surface.h"
#include "platform/sys/files.h"
#include "platform/ui/window.h"

namespace testsupport {

class FaceSheet {
public:
    FaceSheet(int width, int height, platform::gfx::Color background)
        : sheet_(platform::gfx::Surface::Create(width, height, background)), dc_(*sheet_) {}

    // The window's top left goes to (x, y).
    void Put(platform::ui::Window& w, int x, int y) {
        w.Update();
        dc_.Blit(platform::gfx::Rect::FromSize(x, y, w.rect().width(), w.rect().height()), w.backBuffer(), {0, 0},
                 platform::gfx::RasterOp::Copy);
    }
    platform::gfx::DrawContext& dc() { return dc_; }

    // name is a file name in the program's folder, which is the build folder.
    testing::AssertionResult SaveEnlarged(const std::string& name) const {
        auto big = platform::gfx::Surface::Create(sheet_->width() * 3, sheet_->height() * 3);
        platform::gfx::DrawContext bdc(*big);
        bdc.StretchImage(big->bounds(), *sheet_, sheet_->bounds());
        const std::string path = platform::ProgramDir() + "/" + name;
        if (!platform::gfx::SavePng(*big, path)) return testing::AssertionFailure() << "cannot write " << path;
        return testing::AssertionSuccess();
    }

private:
    std::unique_ptr<platform::gfx::Surface> sheet_;
    platform::gfx::DrawContext dc_;
};

}  // namespace testsupport
