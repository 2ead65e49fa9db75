// dbAccess: an opened job. Opening checks the header and replays every
// complete transaction of the journal into the model; the records are then
// walked in chain order with FirstRecordId, NextRecordId and GetRecord, and
// stay owned by the model until Close.
#pragma once

#include "db/filehdr.h"
#include "db/journal.h"
#include "db/statistics.h"
#include "db/model.h"
#include "records/record.h"
#include "text/str.h"

#include <cstdint>

namespace tqxml {

// The state of the last Open.
enum dbAccess_OpenStatus : int32_t {
    DBACCESS_Opened = 0,         // every transaction was read cleanly
    DBACCESS_CannotOpen = 1,     // no file, or no 48-byte header
    DBACCESS_VersionDiffers = 2, // a job journal of another format version
    DBACCESS_NoJob = 3,          // another kind of file, or a job without records
    DBACCESS_ModelFailed = 5,
    DBACCESS_Damaged = 6, // the replay stopped at a damaged entry; what came before is there
};

class dbAccess {
public:
    dbAccess() : journal_(statistics_), model_(statistics_, journal_) {}
    ~dbAccess();
    dbAccess(const dbAccess&) = delete;
    dbAccess& operator=(const dbAccess&) = delete;

    // Called now and then while Open replays the journal: the bytes read so
    // far and the file's size.
    using ReadingProgress = void (*)(uint64_t bytesRead, uint64_t journalBytes);
    void SetReadingProgress(ReadingProgress progress) { readingProgress_ = progress; }

    // True with status 0 or 6; false (and closed again) with 1, 2, 3 or 5.
    bool Open(const Str& path, bool writable);
    dbAccess_OpenStatus GetOpenStatus() const { return openStatus_; }
    bool IsOpen() const { return journal_.IsOpen(); }

    db_DBIDValue FirstRecordId() const { return model_.FirstRecordId(); }
    db_DBIDValue NextRecordId(db_DBIDValue id) const { return model_.NextRecordId(id); }
    // The record, decoded once and kept until Close.
    dbRecord_Class* GetRecord(db_DBIDValue id) { return model_.GetRecord(id); }
    // The record for one look (see dbModel::LoadRecord): what a walk uses.
    const dbRecord_Class* LoadRecord(db_DBIDValue id, std::unique_ptr<dbRecord_Class>& transient) {
        return model_.LoadRecord(id, transient);
    }
    uint32_t RecordType(db_DBIDValue id) const { return model_.RecordType(id); }
    // The number of records in the chain: what a walk from FirstRecordId
    // to the end counts.
    uint32_t RecordCount() const { return model_.TotalCount(); }

    // Closes the journal and destroys every record.
    void Close();

    const dbAccess_Statistics& Statistics() const { return statistics_; }
    const dbModel& Model() const { return model_; }
    const dbJournal& Journal() const { return journal_; }

private:
    bool Replay();
    bool Fail(dbAccess_OpenStatus status);

    dbAccess_Statistics statistics_; // before the journal and the model that count in it
    dbJournal journal_;
    dbModel model_;
    dbAccess_OpenStatus openStatus_ = DBACCESS_CannotOpen;
    ReadingProgress readingProgress_ = nullptr;
};

} // namespace tqxml
