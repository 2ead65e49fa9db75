#include "db/job_writer.h"

#include "base/environment.h"
#include "db/access.h"

namespace tqxml {

JobFileWriter::~JobFileWriter() {
    if (_Journal.IsOpen()) Close();
}

bool JobFileWriter::Create(const Str& path) {
    if (_Journal.IsOpen()) Close();
    _NextDBID = 1;
    _InTransaction = false;
    _HasHeld = false;
    return _Journal.Create(path);
}

bool JobFileWriter::Open(const Str& path) {
    if (_Journal.IsOpen()) Close();
    uint32_t position = 0;
    {
        dbAccess job;
        if (!job.Open(path, true) || job.GetOpenStatus() != DBACCESS_Opened) return false;
        _NextDBID = job.Statistics().NextDBID;
        position = job.Statistics().CommittedPosition;
    }
    _InTransaction = false;
    _HasHeld = false;
    return _Journal.OpenForAppend(path, position);
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
        _Journal.AppendEntry(JOURNAL_SingleEntry, action, target, &record);
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
    _Journal.AppendEntryBytes(static_cast<uint8_t>(_HeldFlags | extraFlags), _HeldAction,
                              _HeldTarget, _HeldRecord.Data(), _HeldRecord.Length());
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
    _Journal.AppendEntry(flags, action, target, record);
}

void JobFileWriter::AppendRaw(const void* bytes, int32_t count) {
    TQ_ASSERT(!_InTransaction);
    _Journal.AppendRaw(bytes, count);
}

bool JobFileWriter::Close() {
    ReleaseHeld(0);
    _InTransaction = false;
    return _Journal.Close();
}

} // namespace tqxml
