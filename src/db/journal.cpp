#include "db/journal.h"

#include "base/environment.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace tqxml {

namespace {

// The file is read in pieces of this size: large enough for few system
// calls, small enough that no single call asks for gigabytes.
constexpr uint32_t kReadPiece = 8u << 20;

} // namespace

void LogHexLine(const char* text, uint32_t value) {
    char line[160];
    std::snprintf(line, sizeof line, "%s 0x%x", text, value);
    Environment::Get()->LogMessage(line);
}

dbJournal::dbJournal(dbAccess_Statistics& statistics) : statistics_(statistics) {}

dbJournal::~dbJournal() {
    Close();
}

bool dbJournal::Open(const Str& path, bool writable) {
    TQ_ASSERT_TEXT(!file_.IsOpen(), "!_File.IsOpen()");
    if (file_.IsOpen()) return false;
    writable_ = writable;
    repairMode_ = false;
    file_.SetName(path);
    if (!file_.Open(writable ? file_Class::ModeReadWrite : file_Class::ModeRead)) {
        writable_ = false;
        return false;
    }
    reportedFileSize_ = file_.RecordedSize();
    // A header cut short by the end of the file is treated as unreadable.
    if (!ReadWholeFile() || size_ < static_cast<uint32_t>(FILEHDR_SizeOnDisk)) {
        Close();
        return false;
    }
    header_.Decode(buffer_Class::View(bytes_, FILEHDR_SizeOnDisk, true));
    if (writable_ && file_.IsReadOnly()) {
        Str line("Journal Open : Job file is read-only: ");
        line.Append(file_.FullName());
        Environment::Get()->LogMessage(line.CStr());
        writable_ = false;
    }
    readPosition_ = JOURNAL_JournalStart;
    statistics_.LastGoodAppendPosition = readPosition_;
    statistics_.CommittedPosition = readPosition_;
    return true;
}

// Up to the size recorded when the file was opened; a file that another
// program cuts meanwhile gives what was still there, one that grows gives
// no more.
bool dbJournal::ReadWholeFile() {
    size_ = 0;
    // Where the address space cannot hold the job (a large job on a 32-bit
    // host), it cannot be opened.
    block_.reset(new (std::nothrow) uint8_t[reportedFileSize_ > 0 ? reportedFileSize_ : 1]);
    bytes_ = block_.get();
    if (!bytes_) return false;
    while (size_ < reportedFileSize_) {
        const uint32_t piece = std::min(reportedFileSize_ - size_, kReadPiece);
        uint32_t got = 0;
        if (!file_.ReadAt(size_, block_.get() + size_, piece, &got) || got == 0) break;
        size_ += got;
    }
    return true;
}

void dbJournal::Close() {
    file_.Close();
    block_.reset();
    bytes_ = nullptr;
    size_ = 0;
    writable_ = false;
    repairMode_ = false;
}

bool dbJournal::Rewind() {
    if (!file_.IsOpen()) return false;
    readPosition_ = JOURNAL_JournalStart;
    return true;
}

void dbJournal::LogDamage(dbJournal_Damage damage, const char* text, uint32_t position) {
    LogHexLine(text, position);
    LogHexLine("-- Reported file size ", reportedFileSize_);
    if (damage != dbJournal_Damage::None) {
        statistics_.Damage = damage;
        statistics_.StopPosition = position;
    }
}

dbJournal_EntryStatus dbJournal::Damaged(dbJournal_Damage damage, const char* text,
                                         uint32_t position) {
    LogDamage(damage, text, position);
    return ENTRY_Damaged;
}

buffer_Class dbJournal::RecordAt(uint32_t position) const {
    const uint8_t* body = bytes_ + position + JOURNAL_LengthFieldSize;
    const uint32_t length = EntryLoad32(bytes_ + position);
    return buffer_Class::View(body + ENTRY_RecordAt,
                              static_cast<int32_t>(length - ENTRY_RecordAt - JOURNAL_ChecksumSize),
                              false);
}

uint16_t dbJournal::RecordTypeAt(uint32_t position) const {
    return EntryLoad16(bytes_ + position + JOURNAL_LengthFieldSize + ENTRY_RecordAt);
}

bool dbJournal::DecodeEntry(dbAction& action, const uint8_t* body, uint32_t length) {
    action.Flags = body[ENTRY_FlagsAt];
    action.Operation = EntryLoad16(body + ENTRY_ActionAt);
    action.Target = NODBID;
    if (!IsKnownAction(action.Operation) || action.Operation == ACTION_Marker) return false;
    action.Target = EntryLoad32(body + ENTRY_TargetAt);
    // A believable length leaves at least three bytes for the record.
    const uint8_t* record = body + ENTRY_RecordAt;
    const auto recordLength = static_cast<int32_t>(length - ENTRY_RecordAt - JOURNAL_ChecksumSize);
    action.RecordType = EntryLoad16(record);
    if (!IsValidRecordType(action.RecordType)) return false;
    action.RecordId = recordLength >= 6 ? EntryLoad32(record + 2) : NODBID;
    const buffer_Class stored = buffer_Class::View(record, recordLength, true);
    int32_t end = 0;
    CheckStoredRecord(action.RecordType, stored, end);
    if (end < recordLength) {
        LogHexLine("Journal: Bytes left after the record at filepos ", action.FilePosition);
        ++statistics_.EntriesWithBytesLeft;
    }
    return true;
}

dbJournal_EntryStatus dbJournal::ReadEntry(dbAction& action) {
    action = dbAction();
    if (!file_.IsOpen()) return ENTRY_End;
    for (;;) {
        const uint32_t position = readPosition_;
        action.FilePosition = position;
        if (position >= size_) return ENTRY_End;
        if (size_ - position < JOURNAL_LengthFieldSize) {
            readPosition_ = size_;
            return Damaged(dbJournal_Damage::LengthShortRead,
                           "Journal record length short read failure at filepos ", position);
        }
        const uint32_t length = EntryLoad32(bytes_ + position);
        readPosition_ += JOURNAL_LengthFieldSize;
        action.Length = length;
        if (!IsBelievableEntryLength(length))
            return Damaged(dbJournal_Damage::LengthUnbelievable,
                           "Journal record length is unbelieveable at ", position);
        if (size_ - readPosition_ < length) {
            readPosition_ = size_;
            return Damaged(dbJournal_Damage::ShortRead,
                           "Journal record short read failure at filepos ", position);
        }
        const uint8_t* body = bytes_ + readPosition_;
        readPosition_ += length;
        if (body[ENTRY_FlagsAt] == JOURNAL_ManualRepair) {
            repairMode_ = true;
            ++statistics_.ManualRepairs;
            LogHexLine("Journal: Manual repair detected at ", position);
            LogHexLine("-- Hammered record size ", length);
            continue;
        }
        if (!EntryChecksumMatches(body, length))
            return Damaged(dbJournal_Damage::Checksum, "Journal: CRC error at ", position);
        if (!DecodeEntry(action, body, length))
            return Damaged(dbJournal_Damage::Corruption, "Journal: Record corruption at filepos ",
                           position);
        statistics_.LastGoodAppendPosition = readPosition_;
        ++statistics_.EntriesRead;
        return ENTRY_Read;
    }
}

dbJournal_TransactionStatus dbJournal::ReadTransaction(dbTransaction& transaction) {
    transaction.Clear();
    dbAction entry;
    dbJournal_EntryStatus entryStatus = ReadEntry(entry);
    if (entryStatus != ENTRY_Read) {
        if (entryStatus == ENTRY_Damaged) writable_ = false;
        return static_cast<dbJournal_TransactionStatus>(entryStatus);
    }

    dbJournal_TransactionStatus status = TRANSACTION_Complete;
    if (!(entry.Flags & JOURNAL_FirstEntry)) {
        LogDamage(dbJournal_Damage::None, "Journal: Transaction start flag missing near filepos ",
                  readPosition_);
        status = TRANSACTION_Broken;
    }
    transaction.Actions.push_back(entry);

    bool discard = false;
    for (;;) {
        const uint8_t flags = transaction.Actions.back().Flags;
        if (flags & JOURNAL_Discard) discard = true;
        if (flags & JOURNAL_LastEntry) break;

        entryStatus = ReadEntry(entry);
        if (entryStatus != ENTRY_Read) {
            LogDamage(dbJournal_Damage::None, "Journal: Partial last transaction near filepos ",
                      readPosition_);
            transaction.Clear();
            if (entryStatus == ENTRY_Damaged) writable_ = false;
            return static_cast<dbJournal_TransactionStatus>(entryStatus);
        }
        if (entry.Flags & JOURNAL_FirstEntry) {
            LogDamage(dbJournal_Damage::None, "Journal: Partial transaction near filepos ",
                      readPosition_);
            ++statistics_.TransactionsDropped[DROP_Interrupted];
            transaction.Clear();
            status = TRANSACTION_Broken;
        }
        transaction.Actions.push_back(entry);
    }
    if (discard && status == TRANSACTION_Complete) status = TRANSACTION_Discarded;
    return status;
}

} // namespace tqxml
