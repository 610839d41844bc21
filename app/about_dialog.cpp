#include "app/about_dialog.h"

#include <string>

#include "app/version.h"

namespace ui = platform::ui;
using ui::ControlKind;
using ui::Rect;

void RegisterAboutTemplate() {
    if (ui::FindDialogTemplate(kAboutTemplate)) return;
    ui::RegisterDialogTemplate({kAboutTemplate, "About Kestrune", "MS Sans Serif", 8, {0, 0, 206, 100},
                                ui::dlg::kCenter, {
        {ControlKind::Static, kAboutVersionLine, "", 0, Rect::FromSize(21, 30, 161, 21)},
        {ControlKind::Static, kAboutLegalLine, "Earthquakes and eruptions replayed on a map", 0,
         Rect::FromSize(33, 54, 134, 18)},
        {ControlKind::Static, kAboutSpecialBuild, "", 0, Rect::FromSize(230, 43, 68, 15)},
        {ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(77, 81, 40, 14)},
    }});
}

quorvelAboutDlg::quorvelAboutDlg(ui::Window* parent, int templateId)
    : Dialog((RegisterAboutTemplate(), parent), templateId) {}

void quorvelAboutDlg::SetupWindow() {
    Dialog::SetupWindow();
    const ProjectRCVersion version;
    auto set = [this](int id, const std::string& text) {
        if (auto* s = Item<ui::Static>(id)) s->SetText(text.substr(0, 255));
    };
    const auto name = version.QueryProductName();
    const auto number = version.QueryProductVersion();
    if (name && number) {
        const auto* line = Item<ui::Static>(kAboutVersionLine);
        set(kAboutVersionLine, *name + " " + (line ? line->text().substr(0, 127) : std::string()) + " " + *number);
    }
    if (const auto legal = version.QueryLegalNotice()) set(kAboutLegalLine, *legal);
    if (const auto special = version.QuerySpecialBuild()) set(kAboutSpecialBuild, *special);
}
