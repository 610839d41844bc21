#pragma once
// Dialogs built from templates kept as data: caption, font, and items with
// kind, id, text, style and rectangle in dialog units. Modal Execute returns
// the id of the button that closed the dialog; modeless dialogs are shown and
// hidden like any window.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/window.h"

namespace platform::ui {

// Dialog style bits.
namespace dlg {
inline constexpr std::uint32_t kNoCaption = 1u << 0;  // a strip without a caption bar
inline constexpr std::uint32_t kCenter = 1u << 1;     // centred on the screen, not placed
}  // namespace dlg

struct DialogItem {
    ControlKind kind;
    int id;
    std::string text;
    std::uint32_t style;
    Rect rect;  // dialog units
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    std::string fontFace = "MS Sans Serif";
    int fontSize = 8;
    Rect rect;  // dialog units, placed relative to the owner's client area
    std::uint32_t style = 0;
    std::vector<DialogItem> items;
};

// Registering an id again replaces it.
void RegisterDialogTemplate(DialogTemplate t);
const DialogTemplate* FindDialogTemplate(int id);
void ClearDialogTemplates();

class Dialog : public Window {
public:
    // Builds the controls of the template (an unknown id gives an empty dialog).
    Dialog(Window* parent, int templateId);
    ~Dialog() override;

    KESTRUNE_RESPONSE_TABLE(Dialog);

    int templateId() const { return templateId_; }
    const DialogTemplate& dialogTemplate() const { return template_; }

    // Creates the dialog (SetupWindow writes the controls), runs it until a
    // handler ends it, hides it, and returns the result: by default OK gives
    // IdOk, Cancel IdCancel. -1 when it cannot be created.
    int Execute();
    bool modal() const { return modal_; }
    bool running() const { return running_; }
    // Ends a modal run with the result; a modeless dialog is destroyed.
    void EndDialog(int result);
    int result() const { return result_; }
    // Modal: CanClose, then EndDialog with the result.
    bool CloseWindow(int result = IdCancel) override;

    Control* control(int id) const;
    template <class C>
    C* Item(int id) const {
        return dynamic_cast<C*>(control(id));
    }
    // Dialog units to pixels with the template's font.
    Rect MapDialogRect(const Rect& du) const;

    // Button 1 and button 2.
    virtual void CmOk();
    virtual void CmCancel();

protected:
    // The close box cancels.
    void EvClose() override { CmCancel(); }

private:
    void CmOkEntry() { CmOk(); }
    void CmCancelEntry() { CmCancel(); }

    int templateId_;
    DialogTemplate template_;
    Size baseUnits_;
    bool modal_ = false;
    bool running_ = false;
    bool ended_ = false;  // ended before the run began (in SetupWindow)
    int result_ = IdCancel;
};

}  // namespace platform::ui
