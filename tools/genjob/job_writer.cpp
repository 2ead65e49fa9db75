#include "job_writer.h"

#include "base/environment.h"
#include "db/access.h"
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
    out.PutUInt16(0); // the checksum, signed below
    const auto length = static_cast<uint32_t>(out.Length() - start) - JOURNAL_LengthFieldSize;
    out.PatchUInt32(start, length);
    SignEntry(out.Data() + start + JOURNAL_LengthFieldSize, length);
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
    if (file_.IsOpen()) Close();
}

bool JobFileWriter::Create(const Str& path) {
    if (file_.IsOpen()) Close();
    nextDBID_ = 1;
    inTransaction_ = false;
    hasHeld_ = false;
    bytesUnwritten_ = 0;
    pending_.Clear();
    file_.SetName(path);
    if (file_.Exists()) file_.Delete();
    if (!file_.Create()) return false;
    filehdr_Header::JobJournal().Encode(pending_);
    return true;
}

bool JobFileWriter::Open(const Str& path) {
    if (file_.IsOpen()) Close();
    uint32_t position = 0;
    {
        dbAccess job;
        if (!job.Open(path, true) || job.GetOpenStatus() != DBACCESS_Opened) return false;
        nextDBID_ = job.Statistics().NextDBID;
        position = job.Statistics().CommittedPosition;
    }
    inTransaction_ = false;
    hasHeld_ = false;
    bytesUnwritten_ = 0;
    pending_.Clear();
    file_.SetName(path);
    if (!file_.Open(file_Class::ModeReadWrite)) return false;
    // Whatever follows the last complete transaction is cut off.
    if (file_.IsReadOnly() || !file_.Truncate(position)) {
        file_.Close();
        return false;
    }
    return true;
}

db_DBIDValue JobFileWriter::Append(uint16_t action, db_DBIDValue target,
                                  const dbRecord_Class& record) {
    db_DBIDValue id = record.RecordId;
    if (action == ACTION_Replace || action == ACTION_Delete)
        id = target;
    else if (action != ACTION_Foreign)
        id = nextDBID_++;
    ReleaseHeld(0);
    hasHeld_ = true;
    heldFlags_ = !inTransaction_              ? JOURNAL_SingleEntry
                 : entriesInTransaction_ == 0 ? JOURNAL_FirstEntry
                                              : 0;
    heldAction_ = action;
    heldTarget_ = target;
    heldRecord_.Clear();
    record.Write(heldRecord_);
    heldRecord_.PatchUInt32(2, id); // the identifier follows the record's type
    if (inTransaction_)
        ++entriesInTransaction_;
    else
        ReleaseHeld(0);
    return id;
}

void JobFileWriter::ReleaseHeld(uint8_t extraFlags) {
    if (!hasHeld_) return;
    EncodeEntryBytes(pending_, static_cast<uint8_t>(heldFlags_ | extraFlags), heldAction_,
                     heldTarget_, heldRecord_.Data(), heldRecord_.Length());
    FlushIfFull();
    hasHeld_ = false;
}

void JobFileWriter::BeginTransaction() {
    TQ_ASSERT(!inTransaction_);
    if (inTransaction_) return;
    inTransaction_ = true;
    entriesInTransaction_ = 0;
    nextDBIDAtBegin_ = nextDBID_;
}

void JobFileWriter::EndTransaction(bool discard) {
    TQ_ASSERT(inTransaction_);
    if (!inTransaction_) return;
    ReleaseHeld(static_cast<uint8_t>(JOURNAL_LastEntry | (discard ? JOURNAL_Discard : 0)));
    if (discard) nextDBID_ = nextDBIDAtBegin_;
    inTransaction_ = false;
}

void JobFileWriter::AppendEntry(uint8_t flags, uint16_t action, db_DBIDValue target,
                                const dbRecord_Class* record) {
    TQ_ASSERT(!inTransaction_);
    EncodeEntry(pending_, flags, action, target, record);
    FlushIfFull();
}

void JobFileWriter::AppendRaw(const void* bytes, int32_t count) {
    TQ_ASSERT(!inTransaction_);
    if (count <= 0) return;
    pending_.PutBytes(bytes, count);
    FlushIfFull();
}

void JobFileWriter::FlushIfFull() {
    if (pending_.Length() > kFlushThreshold) Flush();
}

// Once a write has failed, nothing more is written: a gap in the journal
// would turn everything after it into damage.
bool JobFileWriter::Flush() {
    const int32_t length = pending_.Length();
    if (length == 0) return bytesUnwritten_ == 0;
    uint32_t written = 0;
    const bool ok = bytesUnwritten_ == 0 && file_.IsOpen() &&
                    file_.Write(pending_.Data(), static_cast<uint32_t>(length), &written);
    if (!ok || written < static_cast<uint32_t>(length))
        bytesUnwritten_ += static_cast<uint32_t>(length) - written;
    pending_.Clear();
    return bytesUnwritten_ == 0;
}

bool JobFileWriter::Close() {
    ReleaseHeld(0);
    inTransaction_ = false;
    const bool ok = Flush();
    file_.Close();
    pending_.Clear();
    bytesUnwritten_ = 0;
    return ok;
}

} // namespace tqxml
