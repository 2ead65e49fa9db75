// Damaged journals converted end to end: the document keeps every record
// applied before the damage, and no damage, wherever it falls, crashes the
// conversion or makes it allocate without bound. The fuzzer's corpus is
// replayed here too.
#include "e2e_support.h"

#include "db/journal.h"
#include "records/job_level.h"
#include "records/modifiers.h"
#include "records/observation.h"
#include "support/hostile_counts.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The largest single request made through operator new while gWatching is
// set. The test program replaces the global allocation functions; the array
// and nothrow forms reach these by default. The deletes stay out of line, or
// the compiler, seeing free() meet operator new, warns of a mismatch.
namespace {
std::atomic<bool> gWatching{false};
std::atomic<size_t> gLargest{0};
} // namespace

void* operator new(size_t size) {
    if (gWatching.load(std::memory_order_relaxed)) {
        size_t seen = gLargest.load(std::memory_order_relaxed);
        while (size > seen && !gLargest.compare_exchange_weak(seen, size)) {
        }
    }
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* block) noexcept {
    std::free(block);
}
[[gnu::noinline]] void operator delete(void* block, size_t) noexcept {
    std::free(block);
}

namespace tqxml {
namespace {

namespace fs = std::filesystem;

class DamagedJob : public JobFileTest {
protected:
    // The job's document; nothing when the export refuses the job (4)
    // without an output. Any other outcome fails the test.
    std::optional<std::string> Converted() {
        std::remove(xml.c_str());
        const unsigned status = CreateTQXMLFile(job.c_str(), xml.c_str(), nullptr);
        if (status == 4u && !fs::exists(xml)) return std::nullopt;
        EXPECT_EQ(status, 0u);
        return ReadText(xml);
    }

    // Writes the table's damage job: the blocks of its complete document.
    std::vector<std::string> WriteDamageJobBlocks() {
        WriteDamageJob(job);
        const std::vector<std::string> blocks = RecordBlocks(Converted().value_or(""));
        EXPECT_EQ(blocks.size(), 5u);
        return blocks;
    }

    // How many of `blocks` the document holds when it is the document of
    // their first n; -1 when it is anything else.
    int PrefixLength(const std::string& document, const std::vector<std::string>& blocks) const {
        std::string expected = DocumentStart(job);
        for (size_t n = 0;; ++n) {
            if (document == expected + kDocumentEnd) return static_cast<int>(n);
            if (n == blocks.size() || document.compare(0, expected.size(), expected) != 0)
                return -1;
            expected += blocks[n];
        }
    }

    // Converts the job as it stands with each byte flipped by each mask;
    // with `resign`, bytes after the header only, each followed by a new
    // checksum for its entry. `check` is given every document written.
    void EveryFlip(std::initializer_list<uint8_t> masks, bool resign,
                   const std::function<void(const std::string&)>& check) {
        const std::vector<uint8_t> whole = ReadFileBytes(job);
        const std::vector<uint32_t> entries = EntryPositions(job);
        ASSERT_FALSE(entries.empty());
        for (const uint8_t mask : masks) {
            size_t entry = 0;
            for (uint32_t offset = resign ? entries[0] : 0; offset < whole.size(); ++offset) {
                SCOPED_TRACE("byte " + std::to_string(offset) + " mask " + std::to_string(mask));
                while (entry + 1 < entries.size() && offset >= entries[entry + 1])
                    ++entry;
                WriteFileBytes(job, whole);
                FlipByte(job, offset, mask);
                // A length field keeps its damage: re-signing would follow it.
                if (resign && offset >= entries[entry] + 4) ResignEntry(job, entries[entry]);
                if (const std::optional<std::string> document = Converted()) check(*document);
            }
        }
    }
};

TEST_F(DamagedJob, EveryCutGivesFourOrAPrefixOfWholeTransactions) {
    // Transactions of one, two, one and one entries: a cut anywhere keeps
    // whole transactions only, so records 2 and 3 come and go together.
    const std::vector<std::string> blocks = WriteDamageJobBlocks();
    const std::vector<uint8_t> whole = ReadFileBytes(job);
    std::set<int> seen;
    int previous = 0;
    for (size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE("cut at " + std::to_string(size));
        WriteFileBytes(job, std::vector<uint8_t>(whole.begin(), whole.begin() + size));
        const std::optional<std::string> document = Converted();
        if (!document) {
            EXPECT_EQ(previous, 0);
            continue;
        }
        const int records = PrefixLength(*document, blocks);
        EXPECT_GE(records, previous);
        previous = records;
        seen.insert(records);
    }
    EXPECT_EQ(seen, std::set<int>({1, 3, 4}));
}

// A job whose records carry features, descriptions, a measurement, foreign
// bytes and notes, changed by every kind of action.
void WriteVariedJob(const std::string& path) {
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(path.c_str())));
    const Feature feature{"TREE",
                          "tree",
                          {{FEATURE_Numerical, "Height", 12.5, "", 0},
                           {FEATURE_Menu, "Species", 0, "oak", 2},
                           {FEATURE_Text, "Remark", 0, "old", 0}}};
    db_Observation point;
    point.TimeStamp = 10, point.PointName = "P1", point.Descriptions.Description1 = "kerb";
    point.Features = {feature};
    const db_DBIDValue pointId = writer.Add(point);
    writer.Attach(pointId, db_Circle());
    db_Str rename;
    rename.Value = "P1a";
    writer.Attach(pointId, rename);
    db_Descriptions descriptions;
    descriptions.Descriptions.Description2 = "edge";
    writer.Attach(pointId, descriptions);
    db_Features features;
    features.Features = {feature, feature};
    writer.Attach(pointId, features);

    db_Foreign foreign;
    foreign.Name = "vendor", foreign.Data = {0, 1, 2, 3, 4, 5, 6, 7};
    writer.Add(foreign);
    db_Note note, attached;
    note.Note = "line one\r\nline two", attached.Note = "attached";
    writer.BeginTransaction();
    writer.Add(note);
    const db_DBIDValue markerId = writer.Add(db_EndEntity());
    writer.EndTransaction();
    writer.Attach(markerId, attached);
    writer.Insert(markerId, db_StartRounds());
    writer.Replace(markerId, db_EndEntity());
    db_BoolAction deleted;
    deleted.Value = 0;
    writer.Attach(pointId, deleted);
    const db_Foreign gone;
    writer.Delete(writer.Add(gone), gone);
    ASSERT_TRUE(writer.Close());
}

// A flipped byte never gets past the checksum: the document is that of the
// whole transactions before it. Re-signed, a flipped byte reaches the
// record decoders of a varied job, and the document is still well-formed
// and holds records.
TEST_F(DamagedJob, FlippedByteNeverGetsPastTheChecksumAndResignedDoesNoHarm) {
    const std::vector<std::string> blocks = WriteDamageJobBlocks();
    EveryFlip({0x01, 0xFF}, false, [&](const std::string& document) {
        EXPECT_GE(PrefixLength(document, blocks), 0);
    });

    WriteVariedJob(job);
    ASSERT_GE(EntryPositions(job).size(), 12u);
    EveryFlip({0x01, 0x80, 0xFF}, true, [](const std::string& document) {
        EXPECT_TRUE(IsWellFormed(document));
        EXPECT_FALSE(RecordBlocks(document).empty());
    });
}

// The records of the hostile-count table in one job, after an observation
// and before a note: the claimed counts are not trusted for memory either.
TEST_F(DamagedJob, HostileCountsAreNotTrusted) {
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(job.c_str())));
    db_Observation point;
    point.PointName = "P1";
    writer.Add(point); // 1
    size_t chained = 1;
    for (const HostileRecord& hostile : HostileRecords()) {
        AppendEntryBytes(writer, JOURNAL_SingleEntry,
                         hostile.attached ? ACTION_AttachNote : ACTION_Add,
                         hostile.attached ? 1 : NODBID, hostile.stored);
        chained += hostile.attached ? 0 : 1;
    }
    writer.SetNextDBID(static_cast<db_DBIDValue>(HostileRecords().size() + 2));
    db_Note after;
    after.Note = "after the hostile records";
    writer.Add(after);
    ASSERT_TRUE(writer.Close());

    gLargest = 0;
    gWatching = true;
    const std::string document = Converted().value_or("");
    gWatching = false;
    EXPECT_TRUE(IsWellFormed(document));
    const std::vector<std::string> blocks = RecordBlocks(document);
    ASSERT_EQ(blocks.size(), chained + 1);
    EXPECT_NE(blocks.back().find("<Note>after the hostile records</Note>"), std::string::npos);
    // Nothing near the claimed counts was set aside: an entry is at most
    // 512 KiB, and the document's buffer is not counted here.
    EXPECT_GT(gLargest, 0u); // the conversion's allocations were seen
    EXPECT_LT(gLargest, size_t{4} << 20);
}

// Every file of the fuzzer's corpus (fuzz/corpus: the seeds and whatever the
// fuzzer kept) converts to a well-formed document with records, or is
// refused without an output.
TEST_F(DamagedJob, EveryFileOfTheFuzzCorpusConvertsOrIsRefused) {
    const fs::path corpus = fs::path(TQXML_SOURCE_DIR) / "fuzz" / "corpus";
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    EXPECT_GE(files.size(), 20u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename());
        WriteFileBytes(job, ReadFileBytes(file.string()));
        if (const std::optional<std::string> document = Converted()) {
            EXPECT_TRUE(IsWellFormed(*document));
            EXPECT_FALSE(RecordBlocks(*document).empty());
        }
    }
}

} // namespace
} // namespace tqxml
