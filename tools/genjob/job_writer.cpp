#include "job_writer.h"

#include "base/environment.h"
#include "db/access.h"
#include "db/crc16.h"
#include "db/filehdr.h"

namespace tqxml {

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

void JobFileWriter::EncodeEntryBytes(buffer_Writer& out, uint8_t flags, uint16_t action,
                                     db_DBIDValue target, const uint8_t* recordBytes,
                                     int32_t count) {
    FrameEntry(out, flags, action, target, [&] {
        if (count > 0) out.PutBytes(recordBytes, count);
    });
}

void JobFileWriter::EncodeEntry(buffer_Writer& out, uint8_t flags, uint16_t action,
                                db_DBIDValue target, const dbRecord_Class* record) {
    FrameEntry(out, flags, action, target, [&] {
        if (record) record->Write(out);
    });
}

JobFileWriter::~JobFileWriter() {
    if (_File.IsOpen()) Close();
}

bool JobFileWriter::Create(const Str& path) {
    if (_File.IsOpen()) Close();
    _NextDBID = 1;
    _InTransaction = false;
    _HasHeld = false;
    _BytesUnwritten = 0;
    _Pending.Clear();
    _File.SetName(path);
    if (_File.Exists()) _File.Delete();
    if (!_File.Create()) return false;
    filehdr_Header::JobJournal().Encode(_Pending);
    return true;
}

bool JobFileWriter::Open(const Str& path) {
    if (_File.IsOpen()) Close();
    uint32_t position = 0;
    {
        dbAccess job;
        if (!job.Open(path, true) || job.GetOpenStatus() != DBACCESS_Opened) return false;
        _NextDBID = job.Statistics().NextDBID;
        position = job.Statistics().CommittedPosition;
    }
    _InTransaction = false;
    _HasHeld = false;
    _BytesUnwritten = 0;
    _Pending.Clear();
    _File.SetName(path);
    if (!_File.Open(file_Class::ModeReadWrite)) return false;
    // Whatever follows the last complete transaction is cut off.
    if (_File.IsReadOnly() || !_File.Truncate(position)) {
        _File.Close();
        return false;
    }
    return true;
}

db_DBIDValue JobFileWriter::Append(uint16_t action, db_DBIDValue target, dbRecord_Class& record) {
    if (action == ACTION_Replace || action == ACTION_Delete)
        record.RecordId = target;
    else if (action != ACTION_Foreign)
        record.RecordId = _NextDBID++;
    Put(action, target, record);
    return record.RecordId;
}

db_DBIDValue JobFileWriter::Add(dbRecord_Class& record) {
    return Append(ACTION_Add, NODBID, record);
}
db_DBIDValue JobFileWriter::Insert(db_DBIDValue before, dbRecord_Class& record) {
    return Append(ACTION_Insert, before, record);
}
db_DBIDValue JobFileWriter::Replace(db_DBIDValue target, dbRecord_Class& record) {
    return Append(ACTION_Replace, target, record);
}
db_DBIDValue JobFileWriter::Delete(db_DBIDValue target, dbRecord_Class& record) {
    return Append(ACTION_Delete, target, record);
}
db_DBIDValue JobFileWriter::Attach(db_DBIDValue target, dbRecord_Class& record) {
    return Append(ACTION_AttachNote, target, record);
}

void JobFileWriter::Put(uint16_t action, db_DBIDValue target, const dbRecord_Class& record) {
    if (!_InTransaction) {
        AppendEntry(JOURNAL_SingleEntry, action, target, &record);
        return;
    }
    ReleaseHeld(0);
    _HasHeld = true;
    _HeldFlags = _EntriesInTransaction == 0 ? JOURNAL_FirstEntry : 0;
    _HeldAction = action;
    _HeldTarget = target;
    _HeldRecord.Clear();
    record.Write(_HeldRecord);
    ++_EntriesInTransaction;
}

void JobFileWriter::ReleaseHeld(uint8_t extraFlags) {
    if (!_HasHeld) return;
    EncodeEntryBytes(_Pending, static_cast<uint8_t>(_HeldFlags | extraFlags), _HeldAction,
                     _HeldTarget, _HeldRecord.Data(), _HeldRecord.Length());
    FlushIfFull();
    _HasHeld = false;
}

void JobFileWriter::BeginTransaction() {
    TQ_ASSERT(!_InTransaction);
    if (_InTransaction) return;
    _InTransaction = true;
    _EntriesInTransaction = 0;
    _NextDBIDAtBegin = _NextDBID;
}

void JobFileWriter::EndTransaction(bool discard) {
    TQ_ASSERT(_InTransaction);
    if (!_InTransaction) return;
    ReleaseHeld(static_cast<uint8_t>(JOURNAL_LastEntry | (discard ? JOURNAL_Discard : 0)));
    if (discard) _NextDBID = _NextDBIDAtBegin;
    _InTransaction = false;
}

void JobFileWriter::AppendEntry(uint8_t flags, uint16_t action, db_DBIDValue target,
                                const dbRecord_Class* record) {
    TQ_ASSERT(!_InTransaction);
    EncodeEntry(_Pending, flags, action, target, record);
    FlushIfFull();
}

void JobFileWriter::AppendRaw(const void* bytes, int32_t count) {
    TQ_ASSERT(!_InTransaction);
    if (count <= 0) return;
    _Pending.PutBytes(bytes, count);
    FlushIfFull();
}

void JobFileWriter::FlushIfFull() {
    if (_Pending.Length() > kFlushThreshold) Flush();
}

// Once a write has failed, nothing more is written: a gap in the journal
// would turn everything after it into damage.
bool JobFileWriter::Flush() {
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

bool JobFileWriter::Close() {
    ReleaseHeld(0);
    _InTransaction = false;
    const bool ok = Flush();
    _File.Close();
    _Pending.Clear();
    _BytesUnwritten = 0;
    return ok;
}

} // namespace tqxml
