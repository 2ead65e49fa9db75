// JobFileWriter: writes a job file the way the field software does, one
// journal entry per change. Each call is a transaction of its own unless
// BeginTransaction/EndTransaction group several.
//
// Every call stamps the record's RecordId with the identifier the replay
// will give it, and returns it: add, insert and attach take the next
// identifier (1 for the first record of a new job); replace and delete carry
// their target's. Identifiers taken inside a discarded transaction are given
// out again, as the replay never sees them.
//
//   JobFileWriter job;
//   job.Create("job.job");
//   db_Observation point;
//   const db_DBIDValue id = job.Add(point);        // 1
//   db_Circle circle;
//   job.Attach(id, circle);                        // 2: the point's measurement
//   job.Close();
#pragma once

#include "db/journal.h"
#include "io/buffer.h"
#include "platform/file.h"
#include "records/record.h"
#include "text/str.h"

#include <cstdint>

namespace tqxml {

class JobFileWriter {
public:
    JobFileWriter() = default;
    ~JobFileWriter();
    JobFileWriter(const JobFileWriter&) = delete;
    JobFileWriter& operator=(const JobFileWriter&) = delete;

    // A new job file (an existing file at `path` is replaced).
    bool Create(const Str& path);
    // An existing job, for appending: replays it to learn the next
    // identifier, then appends after its last complete transaction. Fails
    // for a job that does not open cleanly.
    bool Open(const Str& path);

    // The record is written with the identifier the replay expects in place
    // of its own; the caller's object is left as it is.
    db_DBIDValue Add(const dbRecord_Class& record) { return Append(ACTION_Add, NODBID, record); }
    db_DBIDValue Insert(db_DBIDValue before, const dbRecord_Class& record) {
        return Append(ACTION_Insert, before, record);
    }
    db_DBIDValue Replace(db_DBIDValue target, const dbRecord_Class& record) {
        return Append(ACTION_Replace, target, record);
    }
    db_DBIDValue Delete(db_DBIDValue target, const dbRecord_Class& record) {
        return Append(ACTION_Delete, target, record);
    }
    // ACTION_AttachNote: a note's text for the target, a measurement for an
    // observation, a point delta for a tunnel cross-section, or a modifier
    // record (deleted flag, reference, name, features, descriptions).
    db_DBIDValue Attach(db_DBIDValue target, const dbRecord_Class& record) {
        return Append(ACTION_AttachNote, target, record);
    }
    // Any action: a replace or delete carries its target's identifier, foreign
    // data its own, everything else the next one.
    db_DBIDValue Append(uint16_t action, db_DBIDValue target, const dbRecord_Class& record);

    void BeginTransaction();
    // Ends the open transaction; `discard` marks it to be dropped on replay.
    void EndTransaction(bool discard = false);
    bool InTransaction() const { return inTransaction_; }

    // Lower level, outside transactions: one entry with the flags given and
    // the record exactly as it is (no identifier stamped), or bytes as they are.
    void AppendEntry(uint8_t flags, uint16_t action, db_DBIDValue target,
                     const dbRecord_Class* record);
    void AppendRaw(const void* bytes, int32_t count);

    db_DBIDValue NextDBID() const { return nextDBID_; }
    void SetNextDBID(db_DBIDValue id) { nextDBID_ = id; }
    bool IsOpen() const { return file_.IsOpen(); }

    // The framing of one entry, appended to `out`: length, flags, action,
    // target, the record's stored form (or `count` bytes of it), CRC.
    static void EncodeEntry(buffer_Writer& out, uint8_t flags, uint16_t action, db_DBIDValue target,
                            const dbRecord_Class* record);
    static void EncodeEntryBytes(buffer_Writer& out, uint8_t flags, uint16_t action,
                                 db_DBIDValue target, const uint8_t* recordBytes, int32_t count);

    // Writes what is pending and closes the file. An open transaction is
    // written as it stands, without its last entry marked: the replay drops
    // it as unfinished. False when bytes could not be written.
    bool Close();

private:
    static constexpr int32_t kFlushThreshold = 40960;

    void ReleaseHeld(uint8_t extraFlags);
    void FlushIfFull();
    bool Flush();

    file_Class file_;
    buffer_Writer pending_{ENDIAN_Little}; // to the file above kFlushThreshold and on Close
    uint32_t bytesUnwritten_ = 0;
    db_DBIDValue nextDBID_ = 1;
    bool inTransaction_ = false;
    db_DBIDValue nextDBIDAtBegin_ = 1;
    int32_t entriesInTransaction_ = 0;

    // The entry being made; the last entry of an open transaction is held
    // back until it is known whether it ends the transaction.
    bool hasHeld_ = false;
    uint8_t heldFlags_ = 0;
    uint16_t heldAction_ = 0;
    db_DBIDValue heldTarget_ = NODBID;
    buffer_Writer heldRecord_{ENDIAN_Little};
};

} // namespace tqxml
