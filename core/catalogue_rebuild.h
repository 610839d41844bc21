#pragma once
// Rebuilding an earthquake catalogue for an update: the records before a
// cut-off are kept, new ones follow, and the result replaces the catalogue by
// one rename, so that a whole catalogue is in place at every moment. The
// previous catalogue stays under ".hyt". Both catalogue updates use it.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/quake_record.h"
#include "core/timevalue.h"

inline constexpr const char* kTempCatalogue = "temptemp.hy4";

// The ".hyt" name: the last extension of the file part replaced.
std::string BackupCatalogueName(const std::string& name);

inline constexpr const char* kCatalogueBeingUpdatedText =
    "The earthquake catalogue is being updated. Try again when the update is done.";

// Held while an update rebuilds the catalogues: a second update is refused
// and the clock leaves the catalogues closed.
class CatalogueUpdateHold {
public:
    CatalogueUpdateHold();
    ~CatalogueUpdateHold();
    CatalogueUpdateHold(const CatalogueUpdateHold&) = delete;
    CatalogueUpdateHold& operator=(const CatalogueUpdateHold&) = delete;
    // False when another update held them already; this one must not go on.
    bool held() const { return held_; }
    static bool Taken();

private:
    bool held_;
};

class CatalogueRebuild {
public:
    CatalogueRebuild() = default;
    ~CatalogueRebuild();
    CatalogueRebuild(const CatalogueRebuild&) = delete;
    CatalogueRebuild& operator=(const CatalogueRebuild&) = delete;

    // Finds the catalogue as data files are found; false when there is none.
    [[nodiscard]] bool Open(const std::string& name);
    const std::string& path() const { return path_; }
    std::int32_t count() const { return count_; }
    // Time of the last record; 0 for an empty catalogue.
    TimeValue LastTime() const { return last_; }

    // Creates the temporary file beside the catalogue and copies the records
    // before cut into it; false when that fails (see error()).
    [[nodiscard]] bool KeepBefore(TimeValue cut);
    // Where new records start: the last kept record's time, or the cut when
    // nothing was kept.
    TimeValue resumeAt() const { return resumeAt_; }
    // How many stored records from the cut on lie in [from, to): what an
    // answer for that span replaces.
    std::int32_t StoredBetween(TimeValue from, TimeValue to) const;
    std::int32_t replaced() const { return static_cast<std::int32_t>(replacedTimes_.size()); }

    // A new record; one earlier than what is already written, or one already
    // written at the same time, is dropped, so the file stays in time order.
    void Append(const QuakeRecord& q);
    std::int32_t appended() const { return appended_; }

    // A hand edit: the temporary file is made beside the catalogue and filled
    // by CopyStored and Put in the order given; Finish then takes the result
    // as it stands, an empty catalogue included.
    [[nodiscard]] bool BeginRewrite();
    // Stored record i; time 0 and a zero record outside the catalogue.
    TimeValue StoredAt(std::int32_t i, QuakeRecord* q = nullptr) const;
    // Stored records [from, to) as they are; false when one cannot be read.
    [[nodiscard]] bool CopyStored(std::int32_t from, std::int32_t to);
    void Put(const QuakeRecord& q);

    // Completes the file and swaps it in. Empty when done; otherwise what
    // failed, and the catalogue is as it was.
    [[nodiscard]] std::string Finish();
    // Drops the temporary file; the catalogue is left as it was.
    void Abandon();
    // What went wrong with the last failed step, as a message line.
    const std::string& error() const { return error_; }

private:
    bool Write(const QuakeRecord& q);
    // The temporary file beside the catalogue, open for writing.
    bool CreateTemp();

    std::string path_;
    std::string temp_;
    std::FILE* in_ = nullptr;
    std::FILE* out_ = nullptr;
    std::int32_t count_ = 0;
    TimeValue last_;
    TimeValue resumeAt_;
    bool resumeStored_ = false;  // resumeAt_ is a kept record's time
    TimeValue lastWritten_;
    std::vector<QuakeRecord> atLastTime_;  // the records written at lastWritten_
    std::vector<TimeValue> replacedTimes_;
    std::int32_t appended_ = 0;
    bool writeFailed_ = false;
    bool readFailed_ = false;
    int writeErrno_ = 0;
    std::string error_;
};

// At start: a catalogue that is missing while its ".hyt" and the temporary
// file lie in one of folders comes back: from the temporary file when it
// holds a whole catalogue in time order, else from the ".hyt". Then every
// temporary catalogue left in those folders is removed. The lines say what
// was done, for the log.
std::vector<std::string> RecoverCatalogues(const std::vector<std::string>& names,
                                           const std::vector<std::string>& folders);

// Test seam: called before every file operation of a rebuild with its name.
void SetCatalogueStepHookForTesting(void (*hook)(const char* step));
