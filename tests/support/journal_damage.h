// Helpers for tests that build job files and damage them: a temporary
// directory, whole-file reads and writes, the comparison of two documents,
// and the damage itself (flip a byte, cut the file, re-sign an entry's CRC so
// that damage inside a record gets past the checksum and reaches the record
// decoders).
#pragma once

#include "db/statistics.h"
#include "records/record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tqxml {

class JobFileWriter;

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Documents run to megabytes: on a difference, say on which line it starts
// and show that line of each rather than print both.
::testing::AssertionResult SameDocument(const std::string& actual, const std::string& expected);

// XORs the byte at `offset` with `mask`.
void FlipByte(const std::string& path, uint32_t offset, uint8_t mask = 0xFF);
// Keeps the first `size` bytes.
void CutAt(const std::string& path, uint32_t size);
// Overwrites bytes from `offset`.
void PatchBytes(const std::string& path, uint32_t offset, const std::vector<uint8_t>& bytes);

// Where each entry's length field begins, following the lengths from the end
// of the 48-byte header; stops at a length that does not fit in the file.
std::vector<uint32_t> EntryPositions(const std::string& path);
// Recomputes the CRC of the entry whose length field begins at `position`.
void ResignEntry(const std::string& path, uint32_t position);

// A record's stored form.
std::vector<uint8_t> StoredBytes(const dbRecord_Class& record);
// Appends one well-signed entry whose record is `recordBytes`, as they are.
void AppendEntryBytes(JobFileWriter& writer, uint8_t flags, uint16_t action, db_DBIDValue target,
                      const std::vector<uint8_t>& recordBytes);

// A line as the journal logs it: the text, " 0x", the position in hex.
std::string JournalLine(const char* text, uint32_t position);

// ---- One table of damages, read by the journal and by the export ----------

// The job every damage is done to: notes 1 to 5, note 1 alone, 2 and 3 in
// one transaction, 4 and 5 alone (entries 0 to 4).
void WriteDamageJob(const std::string& path);

// One damage to that job and what the journal makes of it: the records that
// remain, in order, the kind of damage (None for a job that opens as whole)
// and one line the journal logs, naming the position of entry `entry` plus
// `offset`; the replay stops at entry `entry`.
struct JournalDamage {
    const char* name;
    void (*apply)(const std::string& path, const std::vector<uint32_t>& entries);
    std::vector<db_DBIDValue> kept;
    dbJournal_Damage damage;
    const char* log; // nullptr: the journal logs nothing
    int entry = 0;
    uint32_t offset = 0;
};
const std::vector<JournalDamage>& JournalDamages();

} // namespace tqxml
