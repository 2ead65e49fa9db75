// What replaying a job's journal found: the one set of counts that the
// journal and the model keep while they read and apply it, and that the
// diagnostics report reads after the job is open (or closed).
#pragma once

#include "db/filehdr.h"
#include "records/record.h"

#include <cstdint>
#include <vector>

namespace tqxml {

// The result of reading one entry.
enum dbJournal_EntryStatus : int32_t {
    ENTRY_Read = 0,
    ENTRY_End = 1,     // nothing more to read
    ENTRY_Damaged = 4, // the entry cannot be trusted; reading stops here
};

// The result of reading one transaction.
enum dbJournal_TransactionStatus : int32_t {
    TRANSACTION_Complete = 0,
    TRANSACTION_End = 1,       // end of the journal (an unfinished transaction is dropped)
    TRANSACTION_Discarded = 2, // the discard flag was set
    TRANSACTION_Broken = 3,    // start flag missing, or another transaction started inside it
    TRANSACTION_Damaged = 4,   // a damaged entry
};

// What made a damaged entry unreadable.
enum class dbJournal_Damage : int32_t {
    None,
    LengthShortRead,    // the file ends inside the length field
    LengthUnbelievable, // L outside 12 to 524288
    ShortRead,          // the file ends inside the entry
    Checksum,           // the CRC does not match
    Corruption,         // unknown action, marker, or no record of that type
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

// A damaged place that salvage skipped: the damaged entry, and where the
// replay went on after it (0: nowhere, the rest of the journal was lost).
struct dbJournal_Gap {
    uint32_t Position = 0; // where the damaged entry's length field begins
    dbJournal_Damage Damage = dbJournal_Damage::None;
    uint32_t ResumedAt = 0;
    uint32_t EntriesRecovered = 0; // entries read after it, up to the next gap or the end

    uint32_t BytesSkipped(uint32_t fileSize) const {
        return (ResumedAt ? ResumedAt : fileSize) - Position;
    }
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

    uint32_t EntriesWithBytesLeft = 0; // records that ended before their entry did

    uint32_t RecordsChained = 0;
    uint32_t ForeignEntriesSkipped = 0;
    uint32_t MissingTargets = 0;
    uint32_t DbidDiscontinuities = 0;
    uint32_t EntriesRejected = 0; // bad actions and entries that could not be applied
    db_DBIDValue NextDBID = 1;
    std::vector<dbJournal_Gap> Gaps; // with salvage only, in file order

    uint32_t TransactionsDroppedTotal() const {
        uint32_t total = 0;
        for (uint32_t count : TransactionsDropped)
            total += count;
        return total;
    }
};

} // namespace tqxml
