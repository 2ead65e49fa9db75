// dbJournal: the job file as a journal of entries (db/entry_format.h).
// The journal hands out entries and whole transactions, reports damage to
// the Environment's log and counts what it read in the job's statistics.
// Each record decodes from exactly its own bytes: the checksum is not part of
// them, and bytes left over after the record's last field are reported.
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

// One entry: an action on one record.
struct dbAction {
    uint8_t Flags = 0;
    uint16_t Operation = 0; // the action code
    db_DBIDValue Target = NODBID;
    std::unique_ptr<dbRecord_Class> DBRecord;
    uint32_t FilePosition = 0; // where the entry's length field begins
    uint32_t Length = 0;       // what the length field says
};

struct dbTransaction {
    std::vector<dbAction> Actions; // file order

    bool Empty() const { return Actions.empty(); }
    // Destroys the entries; keeps the room for the next transaction.
    void Clear() { Actions.clear(); }
};

class dbJournal {
public:
    // What the journal reads is counted in `statistics`, which outlives it.
    explicit dbJournal(dbAccess_Statistics& statistics);
    ~dbJournal();
    dbJournal(const dbJournal&) = delete;
    dbJournal& operator=(const dbJournal&) = delete;

    // Opens an existing job file (read and write when `writable`) and reads
    // its header. False when the file cannot be opened or holds fewer than 48
    // bytes; the file is closed again then.
    bool Open(const Str& path, bool writable);
    bool IsOpen() const { return file_.IsOpen(); }
    bool IsWritable() const { return writable_; }
    const filehdr_Header& Header() const { return header_; }
    uint32_t ReportedFileSize() const { return reportedFileSize_; }
    void Close();

    // Positions the reader just after the header.
    bool Rewind();
    // Reads one entry into `action` (its old record is released first).
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

    // The record of the entry read earlier at `position` with length field
    // `length`, decoded again from the file; null when the bytes there no
    // longer pass the checksum. `readAhead`: records are wanted in file
    // order, so a large block is read at once. Reading again leaves the
    // replay's own position alone.
    std::unique_ptr<dbRecord_Class> ReadRecordAgain(uint32_t position, uint32_t length,
                                                    bool readAhead);

private:
    bool ReadHeader();
    // Reads the next `count` journal bytes through the read-ahead block;
    // `got` tells how many there were before the end of the file.
    void ReadJournalBytes(uint8_t* destination, uint32_t count, uint32_t& got);
    void DropReadAhead() {
        aheadBegin_ = aheadEnd_ = 0;
        aheadFileEnd_ = 0;
        for (AgainBlock& block : again_)
            block = AgainBlock();
    }
    // Copies `count` bytes at file position `position` from blocks already
    // read, or reads them (whole blocks, kept for the next, when `readAhead`).
    bool FetchAgain(uint32_t position, uint32_t count, uint8_t* destination, bool readAhead);
    // Reads the entry's length and bytes into entry_; checks the checksum.
    dbJournal_EntryStatus ReadFramedEntry(uint32_t position);
    // Decodes the action, target and record of the entry in entry_.
    bool DecodeEntry(dbAction& action, uint32_t position);
    void LogDamage(dbJournal_Damage damage, const char* text, uint32_t position);
    dbJournal_EntryStatus Damaged(dbJournal_Damage damage, const char* text, uint32_t position);

    dbAccess_Statistics& statistics_;
    file_Class file_;
    filehdr_Header header_;
    bool writable_ = false;
    bool repairMode_ = false;
    uint32_t reportedFileSize_ = 0;
    uint32_t readPosition_ = 0;
    uint32_t entryLength_ = 0; // the last length field read
    buffer_Class entry_{ENDIAN_Little}; // one entry's bytes; its block is reused
    // The journal is read in large blocks: one system call per block rather
    // than two per entry. aheadBegin_..aheadEnd_ are the bytes not yet used.
    static constexpr uint32_t kReadAheadSize = 256 * 1024;
    std::unique_ptr<uint8_t[]> ahead_;
    uint32_t aheadBegin_ = 0;
    uint32_t aheadEnd_ = 0;
    uint32_t aheadFileEnd_ = 0; // the file position just after the read-ahead block
    // Entries read again: a few blocks of their own, aligned to their size,
    // the least recently used giving way; the replay's block stays as it is.
    static constexpr uint32_t kAgainBlockSize = 16 * 1024;
    static constexpr int kAgainBlocks = 32;
    struct AgainBlock {
        uint32_t Position = 0; // file position of the block's first byte
        uint32_t Length = 0;   // 0: empty
        uint64_t LastUse = 0;
    };
    std::unique_ptr<uint8_t[]> againBytes_;
    AgainBlock again_[kAgainBlocks];
    uint64_t againClock_ = 0;
    AgainBlock* FindAgainBlock(uint32_t blockPosition);
    AgainBlock* ReadAgainBlock(uint32_t blockPosition);
    uint8_t* AgainBlockBytes(const AgainBlock* block) const {
        return againBytes_.get() + size_t(block - again_) * kAgainBlockSize;
    }
    buffer_Class againEntry_{ENDIAN_Little};
};

// Writes one log line: `text`, " 0x", and `value` in lower-case hexadecimal.
void LogHexLine(const char* text, uint32_t value);

} // namespace tqxml
