// dbJournal: the job file as a journal of entries (db/entry_format.h).
// Opening reads the whole file once; the journal then hands out entries and
// whole transactions from those bytes, reports damage to the Environment's
// log and counts what it read in the job's statistics. Each entry's record
// is checked when the entry is read (what is wrong with it is reported
// then, and bytes left over after its last field too) and stays where it is
// in the job's bytes, for the model to refer to and the walk to read.
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

class dbJournal {
public:
    // What the journal reads is counted in `statistics`, which outlives it.
    explicit dbJournal(dbAccess_Statistics& statistics);
    ~dbJournal();
    dbJournal(const dbJournal&) = delete;
    dbJournal& operator=(const dbJournal&) = delete;

    // Opens an existing job file (read and write when `writable`), reads it
    // whole and decodes its header. False when the file cannot be opened,
    // holds fewer than 48 bytes or does not fit into memory; the file is
    // closed again then.
    bool Open(const Str& path, bool writable);
    bool IsOpen() const { return file_.IsOpen(); }
    bool IsWritable() const { return writable_; }
    const filehdr_Header& Header() const { return header_; }
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

    // Set once an entry removed by hand has been met: from then on the model
    // tolerates missing targets and gaps in the identifiers.
    bool InRepairMode() const { return repairMode_; }
    void EndRepairMode() { repairMode_ = false; }

    uint32_t ReadPosition() const { return readPosition_; }

    // The record of the entry whose length field begins at `position` (an
    // entry read before): a view of its bytes, checksum excluded, that
    // reports nothing when read again.
    buffer_Class RecordAt(uint32_t position) const;
    // The type of that record, and its identifier as stored.
    uint16_t RecordTypeAt(uint32_t position) const;

private:
    bool ReadWholeFile();
    // Flags, action, target and the record's type and identifier of the
    // entry whose body is at `body`; checks the record. False when the entry
    // names no known action or no record type, or is a marker.
    bool DecodeEntry(dbAction& action, const uint8_t* body, uint32_t length);
    void LogDamage(dbJournal_Damage damage, const char* text, uint32_t position);
    dbJournal_EntryStatus Damaged(dbJournal_Damage damage, const char* text, uint32_t position);

    dbAccess_Statistics& statistics_;
    file_Class file_;
    filehdr_Header header_;
    bool writable_ = false;
    bool repairMode_ = false;
    uint32_t reportedFileSize_ = 0;
    uint32_t readPosition_ = 0;
    std::unique_ptr<uint8_t[]> block_; // the whole file, as read when it was opened
    const uint8_t* bytes_ = nullptr;
    uint32_t size_ = 0;
};

// Writes one log line: `text`, " 0x", and `value` in lower-case hexadecimal.
void LogHexLine(const char* text, uint32_t value);

} // namespace tqxml
