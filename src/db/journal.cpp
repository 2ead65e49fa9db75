#include "db/journal.h"

#include <algorithm>
#include <cstring>

#include "base/environment.h"

#include <cstdio>

namespace tqxml {

namespace {

// The record whose stored form starts at `offset` (its type is read there
// without being taken); null for a type no record has.
std::unique_ptr<dbRecord_Class> ReadStoredRecord(const buffer_Class& entry, int32_t& offset) {
    int32_t peek = offset;
    std::unique_ptr<dbRecord_Class> record = CreateRecord(entry.GetUInt16(peek));
    if (record) record->Read(entry, offset);
    return record;
}

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
    if (!ReadHeader()) {
        file_.Close();
        writable_ = false;
        return false;
    }
    if (writable_ && file_.IsReadOnly()) {
        Str line("Journal Open : Job file is read-only: ");
        line.Append(file_.FullName());
        Environment::Get()->LogMessage(line.CStr());
        writable_ = false;
    }
    readPosition_ = static_cast<uint32_t>(FILEHDR_SizeOnDisk);
    statistics_.LastGoodAppendPosition = readPosition_;
    statistics_.CommittedPosition = readPosition_;
    return true;
}

void dbJournal::Close() {
    DropReadAhead();
    againBytes_.reset();
    file_.Close();
    writable_ = false;
    repairMode_ = false;
}

// A header cut short by the end of the file is treated as unreadable.
bool dbJournal::ReadHeader() {
    DropReadAhead();
    if (!file_.Seek(0)) return false;
    buffer_Class buffer(ENDIAN_Little);
    buffer.Allocate(FILEHDR_SizeOnDisk);
    uint32_t got = 0;
    if (!file_.Read(buffer.Data(), FILEHDR_SizeOnDisk, &got) ||
        got < static_cast<uint32_t>(FILEHDR_SizeOnDisk))
        return false;
    header_.Decode(buffer);
    return true;
}

bool dbJournal::Rewind() {
    DropReadAhead();
    if (!file_.IsOpen() || !file_.Seek(FILEHDR_SizeOnDisk)) return false;
    readPosition_ = static_cast<uint32_t>(FILEHDR_SizeOnDisk);
    aheadFileEnd_ = readPosition_;
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

void dbJournal::ReadJournalBytes(uint8_t* destination, uint32_t count, uint32_t& got) {
    got = 0;
    while (got < count) {
        if (aheadBegin_ == aheadEnd_) {
            if (!ahead_) ahead_ = std::make_unique_for_overwrite<uint8_t[]>(kReadAheadSize);
            uint32_t read = 0;
            aheadBegin_ = aheadEnd_ = 0;
            if (!file_.ReadAt(aheadFileEnd_, ahead_.get(), kReadAheadSize, &read) || read == 0)
                return;
            aheadEnd_ = read;
            aheadFileEnd_ += read;
        }
        const uint32_t take = std::min(count - got, aheadEnd_ - aheadBegin_);
        std::memcpy(destination + got, ahead_.get() + aheadBegin_, take);
        aheadBegin_ += take;
        got += take;
    }
}

// The length field and the bytes it counts, checksum checked; ENTRY_Read
// leaves entry_ holding the entry without its checksum.
dbJournal_EntryStatus dbJournal::ReadFramedEntry(uint32_t position) {
    uint8_t lengthBytes[4];
    uint32_t got = 0;
    ReadJournalBytes(lengthBytes, 4, got);
    readPosition_ += got;
    if (got < 4) {
        if (got == 0) return ENTRY_End;
        return Damaged(dbJournal_Damage::LengthShortRead,
                       "Journal record length short read failure at filepos ", position);
    }
    const uint32_t length = EntryLoad32(lengthBytes);
    entryLength_ = length;
    if (!IsBelievableEntryLength(length))
        return Damaged(dbJournal_Damage::LengthUnbelievable,
                       "Journal record length is unbelieveable at ", position);

    entry_.Resize(static_cast<int32_t>(length));
    got = 0;
    ReadJournalBytes(entry_.Data(), length, got);
    readPosition_ += got;
    if (got < length)
        return Damaged(dbJournal_Damage::ShortRead,
                       "Journal record short read failure at filepos ", position);
    if (entry_.Data()[0] == JOURNAL_ManualRepair) return ENTRY_Read;

    if (!EntryChecksumMatches(entry_.Data(), length))
        return Damaged(dbJournal_Damage::Checksum, "Journal: CRC error at ", position);
    entry_.Resize(static_cast<int32_t>(length - 2)); // the checksum is not the record's
    return ENTRY_Read;
}

// Flags, action, target and the record; false when the entry names no known
// action or no record type, or is a marker.
bool dbJournal::DecodeEntry(dbAction& action, uint32_t position) {
    int32_t offset = 0;
    action.Flags = static_cast<uint8_t>(entry_.GetInt8(offset));
    action.Operation = entry_.GetUInt16(offset);
    action.Target = NODBID;
    if (!IsKnownAction(action.Operation) || action.Operation == ACTION_Marker) return false;
    action.Target = entry_.GetUInt32(offset);
    action.DBRecord = ReadStoredRecord(entry_, offset);
    if (!action.DBRecord) return false;
    if (offset < entry_.Length()) {
        LogHexLine("Journal: Bytes left after the record at filepos ", position);
        ++statistics_.EntriesWithBytesLeft;
    }
    return true;
}

dbJournal_EntryStatus dbJournal::ReadEntry(dbAction& action) {
    action.DBRecord.reset();
    if (!file_.IsOpen()) return ENTRY_End;
    for (;;) {
        const uint32_t position = readPosition_;
        action.FilePosition = position;
        const dbJournal_EntryStatus status = ReadFramedEntry(position);
        action.Length = entryLength_;
        if (status != ENTRY_Read) return status;
        if (entry_.Data()[0] == JOURNAL_ManualRepair) {
            repairMode_ = true;
            ++statistics_.ManualRepairs;
            LogHexLine("Journal: Manual repair detected at ", position);
            LogHexLine("-- Hammered record size ", static_cast<uint32_t>(entry_.Length()));
            continue;
        }
        if (!DecodeEntry(action, position)) {
            action.DBRecord.reset();
            return Damaged(dbJournal_Damage::Corruption, "Journal: Record corruption at filepos ",
                           position);
        }
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
    transaction.Actions.push_back(std::move(entry));

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
        transaction.Actions.push_back(std::move(entry));
    }
    if (discard && status == TRANSACTION_Complete) status = TRANSACTION_Discarded;
    return status;
}

dbJournal::AgainBlock* dbJournal::FindAgainBlock(uint32_t blockPosition) {
    for (AgainBlock& block : again_)
        if (block.Length != 0 && block.Position == blockPosition) return &block;
    return nullptr;
}

dbJournal::AgainBlock* dbJournal::ReadAgainBlock(uint32_t blockPosition) {
    if (!againBytes_)
        againBytes_ = std::make_unique_for_overwrite<uint8_t[]>(size_t{kAgainBlockSize} * kAgainBlocks);
    AgainBlock* oldest = &again_[0];
    for (AgainBlock& block : again_)
        if (block.LastUse < oldest->LastUse) oldest = &block;
    *oldest = AgainBlock();
    uint32_t got = 0;
    if (!file_.ReadAt(blockPosition, AgainBlockBytes(oldest), kAgainBlockSize, &got))
        return nullptr;
    oldest->Position = blockPosition;
    oldest->Length = got;
    return oldest;
}

bool dbJournal::FetchAgain(uint32_t position, uint32_t count, uint8_t* destination,
                           bool readAhead) {
    const uint64_t end = uint64_t{position} + count;
    const uint32_t aheadStart = aheadFileEnd_ - aheadEnd_;
    if (ahead_ && position >= aheadStart && end <= aheadFileEnd_) {
        std::memcpy(destination, ahead_.get() + (position - aheadStart), count);
        return true;
    }
    // Block by block, as far as the blocks at hand (or read now) go.
    uint64_t at = position;
    while (at < end) {
        const uint32_t blockPosition = static_cast<uint32_t>(at - at % kAgainBlockSize);
        AgainBlock* block = FindAgainBlock(blockPosition);
        if (!block && readAhead) block = ReadAgainBlock(blockPosition);
        if (!block) break;
        block->LastUse = ++againClock_;
        const uint64_t blockEnd = uint64_t{block->Position} + block->Length;
        if (at >= blockEnd) return false; // the file ends before the entry does
        const uint64_t take = std::min(end, blockEnd) - at;
        std::memcpy(destination + (at - position), AgainBlockBytes(block) + (at - blockPosition),
                    static_cast<size_t>(take));
        at += take;
    }
    if (at == end) return true;
    uint32_t got = 0;
    const uint32_t rest = static_cast<uint32_t>(end - at);
    return file_.ReadAt(static_cast<uint32_t>(at), destination + (at - position), rest, &got) &&
           got == rest;
}

std::unique_ptr<dbRecord_Class> dbJournal::ReadRecordAgain(uint32_t position, uint32_t length,
                                                           bool readAhead) {
    if (!file_.IsOpen() || !IsBelievableEntryLength(length))
        return nullptr;
    againEntry_.Resize(static_cast<int32_t>(length));
    if (!FetchAgain(position + 4, length, againEntry_.Data(), readAhead)) return nullptr;
    if (!EntryChecksumMatches(againEntry_.Data(), length)) return nullptr;
    againEntry_.Resize(static_cast<int32_t>(length - 2));
    int32_t offset = 1 + 2 + 4; // flags, action, target
    return ReadStoredRecord(againEntry_, offset);
}

} // namespace tqxml
