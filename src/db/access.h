// dbAccess: an opened job. Opening checks the header and replays every
// complete transaction of the journal into the model; the records are then
// walked in chain order with FirstRecordId, NextRecordId and GetRecord, and
// stay owned by the model until Close.
#pragma once

#include "db/filehdr.h"
#include "db/journal.h"
#include "db/model.h"
#include "records/record.h"
#include "text/str.h"
#include "text/str_arena.h"

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

// Why a transaction read from the journal was not applied.
enum dbAccess_DropReason : int32_t {
    DROP_Discarded = 0,       // its last entry carried the discard flag
    DROP_Broken = 1,          // its start flag was missing, or another one started inside it
    DROP_Interrupted = 2,     // entries abandoned when a new first entry cut in
    DROP_UnfinishedAtEnd = 3, // the journal ended before its last entry
    DROP_CutByDamage = 4,     // a damaged entry ended the replay inside it
    DROP_ReasonCount = 5,
};

// What the last Open found; kept after Close for a diagnostics report.
struct dbAccess_Statistics {
    filehdr_Header Header;
    uint32_t FileSize = 0;

    uint32_t EntriesRead = 0;
    uint32_t ManualRepairs = 0;
    uint32_t TransactionsApplied = 0;
    uint32_t TransactionsDropped[DROP_ReasonCount] = {};

    // Where reading stopped: the end of the journal (ENTRY_End), or the
    // damaged entry (ENTRY_Damaged) whose length field begins at StopPosition.
    dbJournal_EntryStatus StopStatus = ENTRY_End;
    dbJournal_Damage Damage = dbJournal_Damage::None;
    uint32_t StopPosition = 0;
    uint32_t LastGoodAppendPosition = 0;
    uint32_t CommittedPosition = 0;

    uint32_t RecordsChained = 0;
    uint32_t ForeignEntriesSkipped = 0;
    uint32_t MissingTargets = 0;
    uint32_t DbidDiscontinuities = 0;
    uint32_t EntriesRejected = 0;
    db_DBIDValue NextDBID = 1;

    uint32_t TransactionsDroppedTotal() const {
        uint32_t total = 0;
        for (uint32_t count : TransactionsDropped)
            total += count;
        return total;
    }
};

class dbAccess {
public:
    dbAccess() = default;
    ~dbAccess();
    dbAccess(const dbAccess&) = delete;
    dbAccess& operator=(const dbAccess&) = delete;

    // True with status 0 or 6; false (and closed again) with 1, 2, 3 or 5.
    bool Open(const Str& path, bool writable);
    dbAccess_OpenStatus GetOpenStatus() const { return _OpenStatus; }
    bool IsOpen() const { return _Journal.IsOpen(); }

    db_DBIDValue FirstRecordId() const { return _Model.FirstRecordId(); }
    db_DBIDValue NextRecordId(db_DBIDValue id) const { return _Model.NextRecordId(id); }
    dbRecord_Class* GetRecord(db_DBIDValue id) const { return _Model.GetRecord(id); }
    // The number of records in the chain: what a walk from FirstRecordId
    // to the end counts.
    uint32_t RecordCount() const { return _Model.TotalCount(); }

    // Closes the journal and destroys every record.
    void Close();

    const dbAccess_Statistics& Statistics() const { return _Statistics; }
    const dbModel& Model() const { return _Model; }
    const dbJournal& Journal() const { return _Journal; }

private:
    bool Replay();
    bool Fail(dbAccess_OpenStatus status);

    StrArena _Texts; // first: destroyed after the records that use it
    dbJournal _Journal;
    dbModel _Model;
    dbAccess_OpenStatus _OpenStatus = DBACCESS_CannotOpen;
    dbAccess_Statistics _Statistics;
};

} // namespace tqxml
