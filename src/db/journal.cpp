#include "db/journal.h"

#include <algorithm>
#include <cstring>

#include "base/environment.h"
#include "db/crc16.h"

#include <cstdio>

namespace tqxml {

namespace {

uint32_t LittleEndian32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

bool IsKnownAction(uint16_t action) {
    return action >= ACTION_Add && action <= ACTION_Delete;
}

} // namespace

void LogHexLine(const char* text, uint32_t value) {
    char line[160];
    std::snprintf(line, sizeof line, "%s 0x%x", text, value);
    Environment::Get()->LogMessage(line);
}

dbJournal::dbJournal() : _Expected(filehdr_Header::JobJournal()) {}

dbJournal::~dbJournal() {
    Close();
}

// ---- Reading ------------------------------------------------------------------

bool dbJournal::Open(const Str& path, bool writable) {
    TQ_ASSERT_TEXT(!_File.IsOpen(), "!_File.IsOpen()");
    if (_File.IsOpen()) return false;
    _Writable = writable;
    _RepairMode = false;
    _Counters = dbJournal_Counters();
    _File.SetName(path);
    if (!_File.Open(writable ? file_Class::ModeReadWrite : file_Class::ModeRead)) {
        _Writable = false;
        return false;
    }
    _ReportedFileSize = _File.RecordedSize();
    if (!ReadHeader()) {
        _File.Close();
        _Writable = false;
        return false;
    }
    if (_Writable && _File.IsReadOnly()) {
        Str line("Journal Open : Job file is read-only: ");
        line.Append(_File.FullName());
        Environment::Get()->LogMessage(line.CStr());
        _Writable = false;
    }
    _ReadPosition = static_cast<uint32_t>(FILEHDR_SizeOnDisk);
    _LastGoodAppendPosition = _ReadPosition;
    _CommittedPosition = _ReadPosition;
    return true;
}

// A header cut short by the end of the file is treated as unreadable.
bool dbJournal::ReadHeader() {
    DropReadAhead();
    if (!_File.Seek(0)) return false;
    buffer_Class buffer(ENDIAN_Little);
    buffer.Allocate(FILEHDR_SizeOnDisk);
    uint32_t got = 0;
    if (!_File.Read(buffer.Data(), FILEHDR_SizeOnDisk, &got) ||
        got < static_cast<uint32_t>(FILEHDR_SizeOnDisk))
        return false;
    _Header.Decode(buffer);
    return true;
}

bool dbJournal::Rewind() {
    DropReadAhead();
    if (!_File.IsOpen() || !_File.Seek(FILEHDR_SizeOnDisk)) return false;
    _ReadPosition = static_cast<uint32_t>(FILEHDR_SizeOnDisk);
    return true;
}

void dbJournal::LogDamage(dbJournal_Damage damage, const char* text, uint32_t position) {
    LogHexLine(text, position);
    LogHexLine("-- Reported file size ", _ReportedFileSize);
    if (damage != dbJournal_Damage::None) {
        _Counters.Damage = damage;
        _Counters.DamagePosition = position;
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
        if (_AheadBegin == _AheadEnd) {
            if (!_Ahead) _Ahead = std::make_unique_for_overwrite<uint8_t[]>(kReadAheadSize);
            uint32_t read = 0;
            _AheadBegin = _AheadEnd = 0;
            if (!_File.Read(_Ahead.get(), kReadAheadSize, &read) || read == 0) return;
            _AheadEnd = read;
        }
        const uint32_t take = std::min(count - got, _AheadEnd - _AheadBegin);
        std::memcpy(destination + got, _Ahead.get() + _AheadBegin, take);
        _AheadBegin += take;
        got += take;
    }
}

dbJournal_EntryStatus dbJournal::ReadEntry(dbAction& action) {
    action.DBRecord.reset();
    if (!_File.IsOpen()) return ENTRY_End;
    for (;;) {
        const uint32_t position = _ReadPosition;
        action.FilePosition = position;

        uint8_t lengthBytes[4];
        uint32_t got = 0;
        ReadJournalBytes(lengthBytes, 4, got);
        _ReadPosition += got;
        if (got < 4) {
            if (got == 0) return ENTRY_End;
            return Damaged(dbJournal_Damage::LengthShortRead,
                           "Journal record length short read failure at filepos ", position);
        }
        const uint32_t length = LittleEndian32(lengthBytes);
        if (length < JOURNAL_MinEntryLength || length > JOURNAL_MaxEntryLength)
            return Damaged(dbJournal_Damage::LengthUnbelievable,
                           "Journal record length is unbelieveable at ", position);

        _Entry.Resize(static_cast<int32_t>(length));
        got = 0;
        ReadJournalBytes(_Entry.Data(), length, got);
        _ReadPosition += got;
        if (got < length)
            return Damaged(dbJournal_Damage::ShortRead,
                           "Journal record short read failure at filepos ", position);

        const uint8_t* bytes = _Entry.Data();
        if (bytes[0] == JOURNAL_ManualRepair) {
            _RepairMode = true;
            ++_Counters.ManualRepairs;
            LogHexLine("Journal: Manual repair detected at ", position);
            LogHexLine("-- Hammered record size ", length);
            continue;
        }

        const uint16_t stored =
            static_cast<uint16_t>(bytes[length - 2] | uint32_t{bytes[length - 1]} << 8);
        if (Crc16Arc(bytes, length - 2) != stored)
            return Damaged(dbJournal_Damage::Checksum, "Journal: CRC error at ", position);

        int32_t offset = 0;
        action.Flags = static_cast<uint8_t>(_Entry.GetInt8(offset));
        action.Operation = _Entry.GetUInt16(offset);
        action.Target = NODBID;
        if (IsKnownAction(action.Operation) && action.Operation != ACTION_Marker) {
            action.Target = _Entry.GetUInt32(offset);
            int32_t peek = offset;
            action.DBRecord = CreateRecord(_Entry.GetUInt16(peek));
            if (action.DBRecord) action.DBRecord->Read(_Entry, offset);
        }
        if (!IsKnownAction(action.Operation) || !action.DBRecord ||
            !IsValidRecordType(action.DBRecord->GetType())) {
            action.DBRecord.reset();
            return Damaged(dbJournal_Damage::Corruption, "Journal: Record corruption at filepos ",
                           position);
        }
        _LastGoodAppendPosition = _ReadPosition;
        ++_Counters.EntriesRead;
        return ENTRY_Read;
    }
}

dbJournal_TransactionStatus dbJournal::ReadTransaction(dbTransaction& transaction) {
    transaction.Clear();
    dbAction entry;
    dbJournal_EntryStatus entryStatus = ReadEntry(entry);
    if (entryStatus != ENTRY_Read) {
        if (entryStatus == ENTRY_Damaged) _Writable = false;
        return static_cast<dbJournal_TransactionStatus>(entryStatus);
    }

    dbJournal_TransactionStatus status = TRANSACTION_Complete;
    if (!(entry.Flags & JOURNAL_FirstEntry)) {
        LogDamage(dbJournal_Damage::None, "Journal: Transaction start flag missing near filepos ",
                  _ReadPosition);
        ++_Counters.StartFlagMissing;
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
                      _ReadPosition);
            transaction.Clear();
            if (entryStatus == ENTRY_Damaged) _Writable = false;
            return static_cast<dbJournal_TransactionStatus>(entryStatus);
        }
        if (entry.Flags & JOURNAL_FirstEntry) {
            LogDamage(dbJournal_Damage::None, "Journal: Partial transaction near filepos ",
                      _ReadPosition);
            ++_Counters.Interrupted;
            transaction.Clear();
            status = TRANSACTION_Broken;
        }
        transaction.Actions.push_back(std::move(entry));
    }
    if (discard && status == TRANSACTION_Complete) status = TRANSACTION_Discarded;
    return status;
}

// ---- Appending ----------------------------------------------------------------

bool dbJournal::Create(const Str& path) {
    TQ_ASSERT_TEXT(!_File.IsOpen(), "!_File.IsOpen()");
    if (_File.IsOpen()) return false;
    _File.SetName(path);
    if (_File.Exists()) _File.Delete();
    if (!_File.Create()) return false;
    _Writable = true;
    _RepairMode = false;
    _BytesUnwritten = 0;
    _Header = _Expected;
    _Pending.Clear();
    _Header.Encode(_Pending);
    _ReadPosition = static_cast<uint32_t>(FILEHDR_SizeOnDisk);
    _LastGoodAppendPosition = _ReadPosition;
    _CommittedPosition = _ReadPosition;
    _ReportedFileSize = 0;
    return true;
}

bool dbJournal::OpenForAppend(const Str& path, uint32_t position) {
    if (!Open(path, true)) return false;
    if (!_Writable || position < static_cast<uint32_t>(FILEHDR_SizeOnDisk) ||
        !_File.Truncate(position)) {
        _Writable = false;
        _File.Close();
        return false;
    }
    DropReadAhead();
    _BytesUnwritten = 0;
    _Pending.Clear();
    _ReadPosition = position;
    _LastGoodAppendPosition = position;
    _CommittedPosition = position;
    return true;
}

namespace {

// Length placeholder, flags, action, target, the record written by
// `putRecord`, then the CRC; the length is patched in last.
template <class PutRecord>
void FrameEntry(buffer_Writer& out, uint8_t flags, uint16_t action, db_DBIDValue target,
                PutRecord putRecord) {
    const int32_t start = out.Length();
    out.PutUInt32(0);
    out.PutInt8(static_cast<int8_t>(flags));
    out.PutUInt16(action);
    if (action != ACTION_Marker) {
        out.PutUInt32(target);
        putRecord();
    }
    const int32_t body = out.Length() - start - 4;
    out.PutUInt16(Crc16Arc(out.Data() + start + 4, static_cast<size_t>(body)));
    out.PatchUInt32(start, static_cast<uint32_t>(body + 2));
}

} // namespace

void dbJournal::EncodeEntryBytes(buffer_Writer& out, uint8_t flags, uint16_t action,
                                 db_DBIDValue target, const uint8_t* recordBytes, int32_t count) {
    FrameEntry(out, flags, action, target, [&] {
        if (count > 0) out.PutBytes(recordBytes, count);
    });
}

void dbJournal::EncodeEntry(buffer_Writer& out, uint8_t flags, uint16_t action, db_DBIDValue target,
                            const dbRecord_Class* record) {
    FrameEntry(out, flags, action, target, [&] {
        if (record) record->Write(out);
    });
}

void dbJournal::AppendEntry(uint8_t flags, uint16_t action, db_DBIDValue target,
                            const dbRecord_Class* record) {
    TQ_ASSERT(_Writable);
    if (!_Writable) return;
    EncodeEntry(_Pending, flags, action, target, record);
    FlushIfFull();
}

void dbJournal::AppendEntryBytes(uint8_t flags, uint16_t action, db_DBIDValue target,
                                 const uint8_t* recordBytes, int32_t count) {
    TQ_ASSERT(_Writable);
    if (!_Writable) return;
    EncodeEntryBytes(_Pending, flags, action, target, recordBytes, count);
    FlushIfFull();
}

void dbJournal::AppendRaw(const void* bytes, int32_t count) {
    TQ_ASSERT(_Writable);
    if (!_Writable || count <= 0) return;
    _Pending.PutBytes(bytes, count);
    FlushIfFull();
}

void dbJournal::FlushIfFull() {
    if (_Pending.Length() > JOURNAL_FlushThreshold) Flush();
}

// Once a write has failed, nothing more is written: a gap in the journal
// would turn everything after it into damage.
bool dbJournal::Flush() {
    const int32_t length = _Pending.Length();
    if (length == 0) return _BytesUnwritten == 0;
    uint32_t written = 0;
    const bool ok = _BytesUnwritten == 0 && _File.IsOpen() &&
                    _File.Write(_Pending.Data(), static_cast<uint32_t>(length), &written);
    if (!ok || written < static_cast<uint32_t>(length))
        _BytesUnwritten += static_cast<uint32_t>(length) - written;
    _Pending.Clear();
    return _BytesUnwritten == 0;
}

bool dbJournal::Close() {
    DropReadAhead();
    bool ok = true;
    if (_Pending.Length() > 0 || _BytesUnwritten > 0) {
        if (!Flush()) {
            LogHexLine("Journal close: Flush() failed.  Bytes unwritten:", _BytesUnwritten);
            ok = false;
        }
    }
    _File.Close();
    _Pending.Clear();
    _BytesUnwritten = 0;
    _Writable = false;
    _RepairMode = false;
    return ok;
}

} // namespace tqxml
