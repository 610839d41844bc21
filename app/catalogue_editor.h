#pragma once
// The earthquake catalogue editor: a paged list over the whole catalogue
// with its own scroll bar, and the one-record dialog that Add and Edit use.
// Every change is a whole new catalogue swapped in (core/catalogue_edit).
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "core/quake_record.h"
#include "platform/ui/dialog.h"

class MapPane;

class CatalogueUpdateHold;

inline constexpr int kEditEventsTemplate = 16;
inline constexpr int kAddEventTemplate = 17;
inline constexpr int kCmEditorScrolled = 1070;
inline constexpr int kEditorHelpTopic = 1012;

// ---- The list's arithmetic ----------------------------------------------------------------

// Records per scroll-bar unit, so that the range stays below 60000 units.
inline std::int32_t ScrollStep(std::int32_t count) { return count / 60000 + 1; }

struct EditorPage {
    std::int32_t current = 0;   // held inside the catalogue; 0 when it is empty
    std::int32_t first = 0;     // the record on the top line
    std::int32_t lines = 0;     // lines filled
    std::int32_t selected = -1; // line of the current record; -1 for an empty list
};
// The page that shows the current record: the last L records when fewer
// than L remain from it on.
EditorPage PageFor(std::int32_t current, std::int32_t count, std::int32_t pageLength);
// "%5lu: " and the record's UTC list line.
std::string EditorListLine(std::int32_t index, const QuakeRecord& q);

// ---- One record's fields ------------------------------------------------------------------

// Edits in the order they are read: year, month, day, hour, minute, second,
// latitude, N/S, longitude, E/W, depth, magnitude.
inline constexpr std::array<int, 12> kEventFieldIds = {101, 103, 105, 107, 102, 104, 106, 111, 108, 112, 109, 110};
inline constexpr std::size_t kEventFieldChars = 14;
using EventFields = std::array<std::string, 12>;

// The texts shown for a record, with enough digits that reading them back
// gives the same bytes. An all-zero record shows the current UTC date.
EventFields EventFieldsOf(const QuakeRecord& q);
struct FieldProblem {
    std::string text;     // the field as read
    std::string caption;  // "Problem in ..."
};
// All fields are checked before any is stored: on a problem *q is untouched.
std::optional<FieldProblem> ReadEventFields(const EventFields& fields, QuakeRecord* q);

// ---- The dialogs ---------------------------------------------------------------------------

// "Add Event": edits one record; OK stores it only when every field passes.
class newEvtDialog : public platform::ui::Dialog {
public:
    newEvtDialog(platform::ui::Window* parent, int templateId, QuakeRecord* record);
    KESTRUNE_RESPONSE_TABLE(newEvtDialog);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void CmHelp();
    QuakeRecord* record_;
};

// "Edit Earthquake File". The catalogue is held against updates and the
// clock for as long as the dialog exists, and closed on every way out.
class editEvtDialog : public platform::ui::Dialog {
public:
    // "Create Alert" builds the record's alert view on the pane.
    editEvtDialog(platform::ui::Window* parent, int templateId, MapPane& pane);
    ~editEvtDialog() override;
    KESTRUNE_RESPONSE_TABLE(editEvtDialog);

    // Any editor open: the housekeeping leaves views, updates and alerts alone.
    static bool Open();
    bool alertBuilt() const { return alertBuilt_; }
    std::int32_t current() const { return current_; }
    std::int32_t first() const { return first_; }
    std::int32_t count() const { return count_; }
    std::int32_t pageLength() const { return pageLength_; }

protected:
    void SetupWindow() override;
    void CmOk() override;
    void CmCancel() override;

private:
    void FillList();
    void CmScrolled();
    void EvScroll(platform::ui::Notification&);
    void EvListDoubleClick(platform::ui::Notification&);
    void CmAdd();
    void CmDelete();
    void CmEdit();
    void CmCreateAlert();
    void CmHelp();
    // The selected line's record index; -1 when no line is selected.
    std::int32_t SelectedRecord() const;
    bool Reopen();
    void CloseCatalogue();
    void UpdateScrollRange();
    // A rewrite's outcome: where the record now is, or the message of what failed.
    void Rewritten(const std::string& error, std::int32_t index);

    MapPane& pane_;
    std::unique_ptr<CatalogueUpdateHold> hold_;
    std::FILE* file_ = nullptr;
    std::string path_;
    std::int32_t current_ = 0;
    std::int32_t count_ = 0;
    std::int32_t first_ = 0;
    std::int32_t pageLength_ = 1;
    std::int32_t step_ = 1;
    QuakeRecord edit_{};
    bool alertBuilt_ = false;
};
