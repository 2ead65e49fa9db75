// dbJournal: the job file as a journal. After the 48-byte header come
// length-prefixed, checksummed entries, each an action on one record, grouped
// into transactions by their flags:
//
//   u32 L        bytes that follow (12 to 524288)
//   u8  flags    1 first entry, 2 last entry, 4 discard; 0xBF: removed by hand
//   u16 action   10800 to 10806
//   u32 Target   the record the action refers to (absent for the marker)
//   ...          the record's stored form (absent for the marker)
//   u16 CRC      CRC-16/ARC over the L - 2 bytes after the length
//
// The read side hands out entries and whole transactions and reports damage
// to the Environment's log; the append side frames records into entries and
// keeps a pending-output block that goes to the file above 40960 bytes and on
// Close.
#pragma once

#include "db/filehdr.h"
#include "io/buffer.h"
#include "platform/file.h"
#include "records/record.h"
#include "text/str.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tqxml {

enum db_ActionCode : uint16_t {
    ACTION_Add = 10800,
    ACTION_Replace = 10801,
    ACTION_Insert = 10802,
    ACTION_AttachNote = 10803,
    ACTION_Foreign = 10804,
    ACTION_Marker = 10805,
    ACTION_Delete = 10806,
};

enum : uint8_t {
    JOURNAL_FirstEntry = 1,
    JOURNAL_LastEntry = 2,
    JOURNAL_Discard = 4,
    JOURNAL_SingleEntry = JOURNAL_FirstEntry | JOURNAL_LastEntry,
    JOURNAL_ManualRepair = 0xBF, // in place of the flags: an entry removed by hand
};

inline constexpr uint32_t JOURNAL_MinEntryLength = 12;
inline constexpr uint32_t JOURNAL_MaxEntryLength = 0x80000;
inline constexpr int32_t JOURNAL_FlushThreshold = 40960;

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

// One entry: an action on one record.
struct dbAction {
    uint8_t Flags = 0;
    uint16_t Operation = 0; // the action code
    db_DBIDValue Target = NODBID;
    std::unique_ptr<dbRecord_Class> DBRecord;
    uint32_t FilePosition = 0; // where the entry's length field begins
};

struct dbTransaction {
    std::vector<dbAction> Actions; // file order

    bool Empty() const { return Actions.empty(); }
    // Destroys the entries; keeps the room for the next transaction.
    void Clear() { Actions.clear(); }
};

// Counts kept while reading; a diagnostics report reads them.
struct dbJournal_Counters {
    uint32_t EntriesRead = 0;      // entries accepted
    uint32_t ManualRepairs = 0;    // entries removed by hand and skipped
    uint32_t StartFlagMissing = 0; // transactions that began without the first-entry flag
    uint32_t Interrupted = 0;      // partial transactions cut off by a new first entry
    dbJournal_Damage Damage = dbJournal_Damage::None;
    uint32_t DamagePosition = 0; // where the damaged entry's length field begins
};

class dbJournal {
public:
    dbJournal();
    ~dbJournal();
    dbJournal(const dbJournal&) = delete;
    dbJournal& operator=(const dbJournal&) = delete;

    // ---- Reading ----------------------------------------------------------

    // Opens an existing job file (read and write when `writable`) and reads
    // its header. False when the file cannot be opened or holds fewer than 48
    // bytes; the file is closed again then.
    bool Open(const Str& path, bool writable);
    bool IsOpen() const { return _File.IsOpen(); }
    bool IsWritable() const { return _Writable; }
    const filehdr_Header& Header() const { return _Header; }
    const filehdr_Header& ExpectedHeader() const { return _Expected; }
    uint32_t ReportedFileSize() const { return _ReportedFileSize; }

    // Positions the reader just after the header.
    bool Rewind();
    // Reads one entry into `action` (its old record is released first).
    dbJournal_EntryStatus ReadEntry(dbAction& action);
    // Reads one transaction into `transaction` (cleared first).
    dbJournal_TransactionStatus ReadTransaction(dbTransaction& transaction);

    // Set once an entry removed by hand has been met: from then on the model
    // tolerates missing targets and gaps in the identifiers.
    bool InRepairMode() const { return _RepairMode; }
    void EndRepairMode() { _RepairMode = false; }

    uint32_t ReadPosition() const { return _ReadPosition; }
    // Just after the last entry read without error.
    uint32_t _LastGoodAppendPosition = 0;
    // Just after the last transaction handed to the model.
    uint32_t _CommittedPosition = 0;

    const dbJournal_Counters& Counters() const { return _Counters; }

    // ---- Appending --------------------------------------------------------

    // Makes a new job file at `path` (an existing file is replaced) and
    // queues the job-journal header.
    bool Create(const Str& path);
    // Opens an existing job for appending at `position` (the end of its last
    // complete transaction); whatever follows that position is cut off.
    bool OpenForAppend(const Str& path, uint32_t position);

    // Queues one entry. A null record writes the target alone; the marker
    // action writes neither target nor record.
    void AppendEntry(uint8_t flags, uint16_t action, db_DBIDValue target,
                     const dbRecord_Class* record);
    // Queues one entry whose record is already in its stored form.
    void AppendEntryBytes(uint8_t flags, uint16_t action, db_DBIDValue target,
                          const uint8_t* recordBytes, int32_t count);
    // Queues bytes as they are: damaged or hand-made entries.
    void AppendRaw(const void* bytes, int32_t count);
    int32_t PendingBytes() const { return _Pending.Length(); }
    // Writes the pending output to the file.
    bool Flush();
    uint32_t BytesUnwritten() const { return _BytesUnwritten; }

    // Flushes pending output (a failure is logged with the bytes lost) and
    // closes the file. False when bytes were lost on the way.
    bool Close();

    // The framing of one entry, appended to `out`: length, flags, action,
    // target, record, CRC.
    static void EncodeEntry(buffer_Writer& out, uint8_t flags, uint16_t action, db_DBIDValue target,
                            const dbRecord_Class* record);
    static void EncodeEntryBytes(buffer_Writer& out, uint8_t flags, uint16_t action,
                                 db_DBIDValue target, const uint8_t* recordBytes, int32_t count);

private:
    bool ReadHeader();
    // Reads the next `count` journal bytes through the read-ahead block;
    // `got` tells how many there were before the end of the file.
    void ReadJournalBytes(uint8_t* destination, uint32_t count, uint32_t& got);
    void DropReadAhead() { _AheadBegin = _AheadEnd = 0; }
    void LogDamage(dbJournal_Damage damage, const char* text, uint32_t position);
    dbJournal_EntryStatus Damaged(dbJournal_Damage damage, const char* text, uint32_t position);
    void FlushIfFull();

    file_Class _File;
    filehdr_Header _Header;
    filehdr_Header _Expected;
    bool _Writable = false;
    bool _RepairMode = false;
    uint32_t _ReportedFileSize = 0;
    uint32_t _ReadPosition = 0;
    buffer_Class _Entry{ENDIAN_Little}; // one entry's bytes; its block is reused
    // The journal is read in large blocks: one system call per block rather
    // than two per entry. _AheadBegin.._AheadEnd are the bytes not yet used.
    static constexpr uint32_t kReadAheadSize = 256 * 1024;
    std::unique_ptr<uint8_t[]> _Ahead;
    uint32_t _AheadBegin = 0;
    uint32_t _AheadEnd = 0;
    buffer_Writer _Pending{ENDIAN_Little};
    uint32_t _BytesUnwritten = 0;
    dbJournal_Counters _Counters;
};

// Writes one log line: `text`, " 0x", and `value` in lower-case hexadecimal.
void LogHexLine(const char* text, uint32_t value);

} // namespace tqxml
