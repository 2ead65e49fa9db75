// dbJournal: the job file as a journal of entries (db/entry_format.h).
// Opening reads the whole file once; the journal then hands out entries and
// whole transactions from those bytes, reports damage to the Environment's
// log and counts what it read in the job's statistics. Each entry's record
// is checked when the entry is read (what is wrong with it is reported
// then, and bytes left over after its last field too) and stays where it is
// in the job's bytes, for the model to refer to and the walk to read.
//
// A journal opened to check ahead reads the file and examines its entries
// (framing, checksum, record) on a thread of its own, while the replay
// applies those already examined; every report reaches the Environment of
// the replaying thread, in file order, as if read on one thread.
#pragma once

#include "db/entry_format.h"
#include "db/filehdr.h"
#include "db/statistics.h"
#include "io/buffer.h"
#include "platform/file.h"
#include "records/record.h"
#include "text/str.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tqxml {

// One entry: an action on one record, whose stored form stays in the job's
// bytes after the entry's action and target.
struct dbAction {
    uint8_t Flags = 0;
    uint16_t Operation = 0; // the action code
    db_DBIDValue Target = NODBID;
    uint32_t FilePosition = 0; // where the entry's length field begins
    uint32_t Length = 0;       // what the length field says
    uint16_t RecordType = 0;
    db_DBIDValue RecordId = NODBID; // the record's own identifier, as stored
};

struct dbTransaction {
    std::vector<dbAction> Actions; // file order

    bool Empty() const { return Actions.empty(); }
    void Clear() { Actions.clear(); }
};

// What the bytes of one entry say, before the journal acts on it.
struct dbEntryFacts {
    enum Kind : uint8_t {
        End,                // nothing more to read
        LengthShortRead,    // the file ends inside the length field
        LengthUnbelievable, // L outside 12 to 524288
        ShortRead,          // the file ends inside the entry
        ManualRepair,       // removed by hand
        Checksum,           // the CRC does not match
        Corruption,         // unknown action, marker, or no record of that type
        Read,
    };
    Kind kind = End;
    bool bytesLeft = false; // Read: the record ended before its entry did
    uint32_t next = 0;      // where reading goes on
    dbAction action;        // FilePosition and Length for every kind but End
};

class dbJournal {
public:
    // What the journal reads is counted in `statistics`, which outlives it.
    explicit dbJournal(dbAccess_Statistics& statistics);
    ~dbJournal();
    dbJournal(const dbJournal&) = delete;
    dbJournal& operator=(const dbJournal&) = delete;

    // Opens an existing job file (read and write when `writable`) and
    // decodes its header. False when the file cannot be opened, holds fewer
    // than 48 bytes or does not fit into memory; the file is closed again
    // then. `checkAhead`: the file is read and its entries examined on a
    // second thread while they are replayed (from Rewind to EndReplay).
    bool Open(const Str& path, bool writable, bool checkAhead = false);
    bool IsOpen() const { return file_.IsOpen(); }
    bool IsWritable() const { return writable_; }
    const filehdr_Header& Header() const { return header_; }
    // Whether `path` names the job file, by whatever spelling or link.
    bool IsJobFile(const Str& path) const { return file_.IsSameFile(path); }
    uint32_t ReportedFileSize() const { return reportedFileSize_; }
    void Close();

    // Positions the reader just after the header.
    bool Rewind();
    // Reads one entry into `action`.
    dbJournal_EntryStatus ReadEntry(dbAction& action);
    // Reads one transaction into `transaction` (cleared first).
    dbJournal_TransactionStatus ReadTransaction(dbTransaction& transaction);
    // The transactions read so far are in the model: the journal is
    // committed up to the last entry read without error.
    void Commit() { statistics_.CommittedPosition = statistics_.LastGoodAppendPosition; }
    // The replay is over: no more entries are read.
    void EndReplay();

    // Salvage, after a damaged entry ended a read: looks forward from that
    // entry for the next place where the journal's entries can be trusted
    // again (see SalvagePointAt) and goes on reading there, in repair mode,
    // noting the gap in the statistics. False, with the gap noted as the
    // end, when there is none. Needs the whole file read (no check ahead).
    bool Resynchronise();

    // Set once an entry removed by hand has been met: from then on the model
    // tolerates missing targets and gaps in the identifiers.
    bool InRepairMode() const { return repairMode_; }
    void EndRepairMode() { repairMode_ = false; }

    uint32_t ReadPosition() const { return readPosition_; }

    // The record of the entry whose length field begins at `position` (an
    // entry read before): a view of its bytes, checksum excluded, that
    // reports nothing when read again.
    buffer_Class RecordAt(uint32_t position) const;
    // The type of that record.
    uint16_t RecordTypeAt(uint32_t position) const;

private:
    class Checker;

    // Reads the file from `size_` on, up to `wanted` bytes or its end.
    void ReadMore(uint32_t wanted) {
        if (size_ < wanted && !ended_) ReadPieces(wanted);
    }
    void ReadPieces(uint32_t wanted);
    // What the entry at `position` is, from the first `end` bytes of the
    // file (all of it, or all of the entry); checks its record, reporting
    // what is wrong with it.
    dbEntryFacts Examine(uint32_t position, uint32_t end) const;
    // Whether an entry that can be trusted begins at `position`: whole and
    // signed, with flags, action, record type and record header all of a
    // kind the journal writes, the record's stored form filling the entry
    // exactly; and the entry after it as well, or the end of the file.
    bool SalvagePointAt(uint32_t position) const;
    // `removedByHand`: whether an entry removed by hand begins there instead.
    bool IsTrustworthyEntry(uint32_t position, uint32_t& next, bool removedByHand = false) const;
    void LogDamage(dbJournal_Damage damage, const char* text, uint32_t position);
    dbJournal_EntryStatus Damaged(dbJournal_Damage damage, const char* text, uint32_t position);

    dbAccess_Statistics& statistics_;
    file_Class file_;
    filehdr_Header header_;
    bool writable_ = false;
    bool repairMode_ = false;
    bool checkAhead_ = false;
    uint32_t reportedFileSize_ = 0;
    uint32_t readPosition_ = 0;
    std::unique_ptr<uint8_t[]> block_; // the file, as read since it was opened
    uint32_t size_ = 0;                // bytes read into it
    bool ended_ = false;               // nothing more can be read
    std::unique_ptr<Checker> checker_;
};

// Writes one log line: `text`, " 0x", and `value` in lower-case hexadecimal.
void LogHexLine(const char* text, uint32_t value);

} // namespace tqxml
