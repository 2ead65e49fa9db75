// What a job file holds, told without writing a document: its header, how
// the journal read, what the replay kept, and the records by type. The
// command's --info prints it; bindings hand it on as data. Also the reason,
// in plain words, why a job cannot be opened.
#pragma once

#include "db/access.h"

#include <string>
#include <vector>

namespace tqxml {

struct JobReport {
    struct RecordCount {
        uint32_t type;
        const char* name; // the record element's name; empty for an unnamed type
        uint32_t count;
    };

    dbAccess_OpenStatus status = DBACCESS_CannotOpen;
    dbAccess_Statistics statistics;
    bool HeaderRead() const { return status != DBACCESS_CannotOpen; }
    // Entries, transactions and the replay's end are known.
    bool JournalRead() const {
        return status == DBACCESS_Opened || status == DBACCESS_Damaged || status == DBACCESS_NoJob;
    }
    bool Opened() const { return status == DBACCESS_Opened || status == DBACCESS_Damaged; }
    // In type order; only types with records.
    std::vector<RecordCount> records;
};

// Opens the job at `path` (UTF-8), reads its report and closes it again.
// `checkAhead`: a second thread checks the journal ahead of its replay;
// `salvage`: the replay goes on past damaged entries (dbAccess::SetSalvage).
// Reports of the journal go to the calling thread's environment.
JobReport ReadJobReport(const Str& path, bool checkAhead = false, bool salvage = false);

// Plain words for the values of a report.
const char* FileTypeText(uint8_t type);        // "job journal", ...
std::string VersionText(const filehdr_Header& header); // "12.20.36"
const char* DamageText(dbJournal_Damage damage);
const char* DropReasonText(int reason);
const char* OpenStatusText(dbAccess_OpenStatus status);
// A gap that salvage skipped, in one line: "the journal is damaged at 0x..
// (why); N bytes skipped, M entries read after them".
std::string GapText(const dbJournal_Gap& gap, uint32_t fileSize);

// Why the job file at `path` cannot be opened as a job, in plain words: a
// directory, a device, a file that cannot be read, too short, another
// format version, another file type, no record.
std::string DescribeOpenFailure(const std::string& path);

} // namespace tqxml
