#include "support/journal_damage.h"

#include "db/entry_format.h"
#include "db/journal.h"
#include "io/buffer.h"
#include "job_writer.h"
#include "records/job_level.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tqxml {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tqxml-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    const std::string text = ReadText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

::testing::AssertionResult SameDocument(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    const size_t start = expected.rfind('\n', at == 0 ? 0 : at - 1);
    const size_t from = start == std::string::npos ? 0 : start + 1;
    auto LineAt = [from](const std::string& text) {
        return from >= text.size() ? std::string("(end)")
                                   : text.substr(from, text.find('\r', from) - from);
    };
    return ::testing::AssertionFailure()
           << "documents of " << actual.size() << " and " << expected.size()
           << " bytes differ on line "
           << std::count(expected.begin(), expected.begin() + from, '\n') + 1
           << "\n  expected: " << LineAt(expected) << "\n  actual:   " << LineAt(actual);
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void FlipByte(const std::string& path, uint32_t offset, uint8_t mask) {
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    bytes.at(offset) ^= mask;
    WriteFileBytes(path, bytes);
}

void CutAt(const std::string& path, uint32_t size) {
    std::filesystem::resize_file(path, size);
}

void PatchBytes(const std::string& path, uint32_t offset, const std::vector<uint8_t>& patch) {
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    if (offset + patch.size() > bytes.size()) bytes.resize(offset + patch.size());
    std::copy(patch.begin(), patch.end(), bytes.begin() + offset);
    WriteFileBytes(path, bytes);
}

std::vector<uint32_t> EntryPositions(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::vector<uint32_t> positions;
    WalkEntries(bytes.data(), bytes.size(), [&](size_t position, const uint8_t*, uint32_t) {
        positions.push_back(static_cast<uint32_t>(position));
    });
    return positions;
}

void ResignEntry(const std::string& path, uint32_t position) {
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    uint8_t* body = bytes.data() + position + JOURNAL_LengthFieldSize;
    SignEntry(body, EntryLoad32(bytes.data() + position));
    WriteFileBytes(path, bytes);
}

std::vector<uint8_t> StoredBytes(const dbRecord_Class& record) {
    buffer_Writer writer;
    record.Write(writer);
    return std::vector<uint8_t>(writer.Data(), writer.Data() + writer.Length());
}

void AppendEntryBytes(JobFileWriter& writer, uint8_t flags, uint16_t action, db_DBIDValue target,
                      const std::vector<uint8_t>& recordBytes) {
    buffer_Writer entry;
    JobFileWriter::EncodeEntryBytes(entry, flags, action, target, recordBytes.data(),
                                    static_cast<int32_t>(recordBytes.size()));
    writer.AppendRaw(entry.Data(), entry.Length());
}

std::string JournalLine(const char* text, uint32_t position) {
    char hex[16];
    std::snprintf(hex, sizeof hex, " 0x%x", position);
    return std::string(text) + hex;
}

void WriteDamageJob(const std::string& path) {
    JobFileWriter writer;
    if (!writer.Create(Str(path.c_str()))) throw std::runtime_error("cannot create " + path);
    const char* texts[] = {"first", "second", "third", "fourth", "fifth"};
    for (int i = 0; i < 5; ++i) {
        if (i == 1) writer.BeginTransaction();
        db_Note note;
        note.TimeStamp = i + 1;
        note.Note = texts[i];
        writer.Add(note);
        if (i == 2) writer.EndTransaction();
    }
    if (!writer.Close()) throw std::runtime_error("cannot write " + path);
}

namespace {
using Entries = const std::vector<uint32_t>&;
using P = const std::string&;
constexpr const char* kLengthShort = "Journal record length short read failure at filepos ";
constexpr const char* kShort = "Journal record short read failure at filepos ";
constexpr const char* kUnbelievable = "Journal record length is unbelieveable at ";
constexpr const char* kCrc = "Journal: CRC error at ";
constexpr const char* kCorrupt = "Journal: Record corruption at filepos ";

template <uint32_t Length> void SetLength(P p, Entries at) {
    PatchBytes(p, at[1], {Length & 0xFF, Length >> 8 & 0xFF, Length >> 16 & 0xFF, Length >> 24});
}
// Entry 3 given another action, and signed again.
template <uint16_t Action> void ResignedAction(P p, Entries at) {
    PatchBytes(p, at[3] + 4 + ENTRY_ActionAt, {Action & 0xFF, Action >> 8});
    ResignEntry(p, at[3]);
}
} // namespace

const std::vector<JournalDamage>& JournalDamages() {
    using D = dbJournal_Damage;
    // A table, one damage to a row.
    // clang-format off
    static const std::vector<JournalDamage> damages = {
        {"EndsInsideALengthField", [](P p, Entries at) { CutAt(p, at[3] + 2); }, {1, 2, 3},
         D::LengthShortRead, kLengthShort, 3},
        {"EndsInsideAnEntry", [](P p, Entries at) { CutAt(p, at[3] + 10); }, {1, 2, 3},
         D::ShortRead, kShort, 3},
        {"EndsInsideATransaction", [](P p, Entries at) { CutAt(p, at[2] + 6); }, {1},
         D::ShortRead, "Journal: Partial last transaction near filepos ", 2, 6},
        {"EndsBetweenEntries", [](P p, Entries at) { CutAt(p, at[3]); }, {1, 2, 3}, D::None,
         nullptr},
        {"ChecksumOfATransactionsFirstEntry",
         [](P p, Entries at) { FlipByte(p, at[2] - 3, 0x01); }, {1}, D::Checksum, kCrc, 1},
        {"ChecksumOfATransactionsLastEntry", [](P p, Entries at) { FlipByte(p, at[3] - 1); }, {1},
         D::Checksum, kCrc, 2},
        {"LengthZero", SetLength<0>, {1}, D::LengthUnbelievable, kUnbelievable, 1},
        {"LengthBelowTheSmallestEntry", SetLength<11>, {1}, D::LengthUnbelievable, kUnbelievable,
         1},
        {"LengthAboveTheLargestEntry", SetLength<JOURNAL_MaxEntryLength + 1>, {1},
         D::LengthUnbelievable, kUnbelievable, 1},
        {"LengthOfAllOnes", SetLength<0xFFFFFFFFu>, {1}, D::LengthUnbelievable, kUnbelievable, 1},
        {"LargestLengthRunsPastTheEnd", SetLength<JOURNAL_MaxEntryLength>, {1}, D::ShortRead,
         kShort, 1},
        {"EntryRemovedByHand",
         [](P p, Entries at) { PatchBytes(p, at[3] + 4, {JOURNAL_ManualRepair}); }, {1, 2, 3, 5},
         D::None, "Journal: Manual repair detected at ", 3},
        {"ResignedTypeBeyondTheRegistry",
         [](P p, Entries at) {
             PatchBytes(p, at[3] + 4 + ENTRY_RecordAt, {DATABASE_AllRecords, 0});
             ResignEntry(p, at[3]);
         },
         {1, 2, 3}, D::Corruption, kCorrupt, 3},
        {"ResignedActionThatDoesNotExist", ResignedAction<10807>, {1, 2, 3}, D::Corruption,
         kCorrupt, 3},
        // A marker carries no record: one that does is taken for corruption.
        {"ResignedMarkerCarryingARecord", ResignedAction<ACTION_Marker>, {1, 2, 3}, D::Corruption,
         kCorrupt, 3},
    };
    // clang-format on
    return damages;
}

} // namespace tqxml
