// dbAccess: an opened job. Opening reads the file, checks the header and
// replays every complete transaction of the journal into the model; the
// records are then walked in chain order (FirstRecordId, NextRecordId, or
// the model's nodes) and read from the job's bytes, which stay until Close.
#pragma once

#include "db/filehdr.h"
#include "db/journal.h"
#include "db/model.h"
#include "db/statistics.h"
#include "records/record.h"
#include "text/str.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace tqxml {

// The state of the last Open.
enum dbAccess_OpenStatus : int32_t {
    DBACCESS_Opened = 0,         // every transaction was read cleanly
    DBACCESS_CannotOpen = 1,     // no file, no 48-byte header, or too large to read
    DBACCESS_VersionDiffers = 2, // a job journal of another format version
    DBACCESS_NoJob = 3,          // another kind of file, or a job without records
    DBACCESS_Damaged = 6, // the replay stopped at a damaged entry; what came before is there
};

class dbAccess {
public:
    dbAccess() : journal_(statistics_) {}
    ~dbAccess();
    dbAccess(const dbAccess&) = delete;
    dbAccess& operator=(const dbAccess&) = delete;

    // Called now and then while Open replays the journal: the bytes read so
    // far and the file's size.
    using ReadingProgress = void (*)(uint64_t bytesRead, uint64_t journalBytes);
    void SetReadingProgress(ReadingProgress progress) { readingProgress_ = progress; }

    // Salvage: a damaged entry does not end the replay; it goes on at the
    // next place where the journal can be trusted again, and the gaps are
    // listed in the statistics. Not the journal's rules: the caller's choice.
    void SetSalvage(bool salvage) { salvage_ = salvage; }

    // True with status 0 or 6; false (and closed again) with 1, 2 or 3.
    // `checkAhead`: the journal is read and checked on a second thread while
    // it is replayed (for a caller with a core to spare).
    bool Open(const Str& path, bool writable, bool checkAhead = false);
    dbAccess_OpenStatus GetOpenStatus() const { return openStatus_; }
    bool IsOpen() const { return journal_.IsOpen(); }
    // Whether `path` names the open job's file, by whatever spelling or link.
    bool IsJobFile(const Str& path) const { return journal_.IsJobFile(path); }

    db_DBIDValue FirstRecordId() const { return model_.FirstRecordId(); }
    db_DBIDValue NextRecordId(db_DBIDValue id) const { return model_.NextRecordId(id); }
    uint32_t RecordType(db_DBIDValue id) const { return model_.RecordType(id); }
    // The number of records in the chain: what a walk from FirstRecordId
    // to the end counts.
    uint32_t RecordCount() const { return model_.TotalCount(); }

    // The record as the journal left it, read into a new object owned by
    // the caller; null for an identifier the chain does not hold.
    std::unique_ptr<dbRecord_Class> GetRecord(db_DBIDValue id) const;
    std::unique_ptr<dbRecord_Class> ReadRecord(const dbModel_Node& node) const;

    // The stored record of the entry at `entry`, a view of the job's bytes
    // that reports nothing when read (it was checked when its entry was).
    buffer_Class RecordBytes(uint32_t entry) const { return journal_.RecordAt(entry); }
    // The time stamp and the note a chained record carries.
    double TimeStampOf(const dbModel_Node& node) const;
    std::string_view NoteOf(const dbModel_Node& node) const;
    // Where the feature array and the two descriptions of a chained record
    // with features are: in its own entry, or in the one that changed them.
    struct StoredPart {
        buffer_Class bytes;
        int32_t at = 0;
        int32_t count = 0; // of features: what a read of the array gives
    };
    StoredPart FeaturesOf(const dbModel_Node& node, const StoredRecordParts& own) const;
    StoredPart DescriptionsOf(const dbModel_Node& node, const StoredRecordParts& own) const;

    // Closes the journal and forgets every record.
    void Close();

    const dbAccess_Statistics& Statistics() const { return statistics_; }
    const dbModel& Model() const { return model_; }
    const dbJournal& Journal() const { return journal_; }

private:
    bool Replay();
    bool Fail(dbAccess_OpenStatus status);
    // Reads the record of `entry` (a modifier, a measurement, a held record).
    std::unique_ptr<dbRecord_Class> ReadEntryRecord(uint32_t entry) const;

    dbAccess_Statistics statistics_; // before the journal that counts in it
    dbJournal journal_;
    dbModel model_;
    dbAccess_OpenStatus openStatus_ = DBACCESS_CannotOpen;
    ReadingProgress readingProgress_ = nullptr;
    bool salvage_ = false;
};

} // namespace tqxml
