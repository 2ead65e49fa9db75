// Damaged journals converted end to end: the document keeps every record
// applied before the damage, and no damage, wherever it falls, crashes the
// conversion or makes it allocate without bound.
#include "e2e_support.h"

#include "allocation_probe.h"
#include "db/journal.h"
#include "records/job_level.h"
#include "records/modifiers.h"
#include "records/observation.h"
#include "support/hostile_counts.h"
#include "support/journal_damage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace tqxml {
namespace {

struct Outcome {
    unsigned status = 99;
    bool written = false; // an output file exists
    std::string document;
};

class DamagedJob : public ::testing::Test {
protected:
    TempDir dir;
    std::string job = dir.File("survey.job");
    std::string xml = dir.File("survey.xml");

    Outcome Convert() {
        std::remove(xml.c_str());
        Outcome outcome;
        outcome.status = CreateTQXMLFile(job.c_str(), xml.c_str(), nullptr);
        outcome.written = PathExists(xml);
        if (outcome.written) outcome.document = ReadText(xml);
        return outcome;
    }

    // The document of a job holding the given record elements, in order.
    std::string DocumentOf(const std::vector<std::string>& blocks) const {
        std::string document = DocumentStart(job);
        for (const std::string& block : blocks)
            document += block;
        return document + kDocumentEnd;
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

    static db_Note Note(const char* text, double timeStamp) {
        db_Note note;
        note.Note = text;
        note.TimeStamp = timeStamp;
        return note;
    }

    // Blocks of the complete document of the job as it stands.
    std::vector<std::string> CompleteBlocks() {
        const Outcome complete = Convert();
        EXPECT_EQ(complete.status, 0u);
        return RecordBlocks(complete.document);
    }
};

// Every damage of the shared table, as the export sees it: the document of
// the records the journal keeps, as the whole job writes them.
class DamageTable : public DamagedJob, public ::testing::WithParamInterface<JournalDamage> {};

TEST_P(DamageTable, DocumentHoldsTheRecordsKept) {
    WriteDamageJob(job);
    const std::vector<std::string> blocks = CompleteBlocks();
    ASSERT_EQ(blocks.size(), 5u);
    GetParam().apply(job, EntryPositions(job));

    std::vector<std::string> kept;
    for (db_DBIDValue id : GetParam().kept)
        kept.push_back(blocks.at(id - 1));
    const Outcome outcome = Convert();
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_EQ(outcome.document, DocumentOf(kept));
}

INSTANTIATE_TEST_SUITE_P(Table, DamageTable, ::testing::ValuesIn(JournalDamages()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DamagedJob, EveryCutGivesFourOrAPrefixOfWholeTransactions) {
    // Transactions of one, two, one and one entries: a cut anywhere keeps
    // whole transactions only, so records 2 and 3 come and go together.
    WriteDamageJob(job);
    const std::vector<std::string> blocks = CompleteBlocks();
    ASSERT_EQ(blocks.size(), 5u);
    const std::vector<uint8_t> whole = ReadFileBytes(job);

    std::set<int> seen;
    int previous = 0;
    for (size_t size = 0; size < whole.size(); ++size) {
        WriteFileBytes(job, std::vector<uint8_t>(whole.begin(), whole.begin() + size));
        const Outcome outcome = Convert();
        if (outcome.status == 4u) {
            EXPECT_FALSE(outcome.written) << "cut at " << size;
            EXPECT_EQ(previous, 0) << "cut at " << size;
            continue;
        }
        ASSERT_EQ(outcome.status, 0u) << "cut at " << size;
        const int records = PrefixLength(outcome.document, blocks);
        EXPECT_GE(records, previous) << "cut at " << size;
        previous = records;
        seen.insert(records);
    }
    EXPECT_EQ(seen, std::set<int>({1, 3, 4}));
}

TEST_F(DamagedJob, FlippedByteNeverGetsPastTheChecksum) {
    WriteDamageJob(job);
    const std::vector<std::string> blocks = CompleteBlocks();
    const std::vector<uint8_t> whole = ReadFileBytes(job);

    for (const uint8_t mask : {uint8_t{0x01}, uint8_t{0xFF}}) {
        for (uint32_t offset = 0; offset < whole.size(); ++offset) {
            WriteFileBytes(job, whole);
            FlipByte(job, offset, mask);
            const Outcome outcome = Convert();
            if (outcome.status == 4u) {
                EXPECT_FALSE(outcome.written);
                continue;
            }
            ASSERT_EQ(outcome.status, 0u) << "byte " << offset << " mask " << int{mask};
            EXPECT_GE(PrefixLength(outcome.document, blocks), 0)
                << "byte " << offset << " mask " << int{mask};
        }
    }
}

// A job whose records carry features, descriptions, a measurement, foreign
// bytes and notes, changed by every kind of action.
void WriteVariedJob(const std::string& path) {
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(path.c_str())));
    db_Observation point;
    point.TimeStamp = 10;
    point.PointName = "P1";
    point.Descriptions.Description1 = "kerb";
    const Feature feature{"TREE",
                          "tree",
                          {{FEATURE_Numerical, "Height", 12.5, "", 0},
                           {FEATURE_Menu, "Species", 0, "oak", 2},
                           {FEATURE_Text, "Remark", 0, "old", 0}}};
    point.Features = {feature};
    const db_DBIDValue pointId = writer.Add(point);

    db_Circle circle;
    writer.Attach(pointId, circle);
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
    foreign.Name = "vendor";
    foreign.Data = {0, 1, 2, 3, 4, 5, 6, 7};
    writer.Add(foreign);
    db_Note note;
    note.Note = "line one\r\nline two";
    writer.BeginTransaction();
    writer.Add(note);
    db_EndEntity marker;
    const db_DBIDValue markerId = writer.Add(marker);
    writer.EndTransaction();
    db_Note attached;
    attached.Note = "attached";
    writer.Attach(markerId, attached);
    db_StartRounds rounds;
    writer.Insert(markerId, rounds);
    db_EndEntity replacement;
    writer.Replace(markerId, replacement);
    db_BoolAction deleted;
    deleted.Value = 0;
    writer.Attach(pointId, deleted);
    db_Foreign gone;
    const db_DBIDValue goneId = writer.Add(gone);
    writer.Delete(goneId, gone);
    ASSERT_TRUE(writer.Close());
}

TEST_F(DamagedJob, FlippedAndResignedByteReachesTheRecordsWithoutHarm) {
    WriteVariedJob(job);
    ASSERT_EQ(Convert().status, 0u);
    const std::vector<uint8_t> whole = ReadFileBytes(job);
    const std::vector<uint32_t> entries = EntryPositions(job);
    ASSERT_GE(entries.size(), 12u);

    for (const uint8_t mask : {uint8_t{0x01}, uint8_t{0x80}, uint8_t{0xFF}}) {
        size_t entry = 0;
        for (uint32_t offset = entries[0]; offset < whole.size(); ++offset) {
            while (entry + 1 < entries.size() && offset >= entries[entry + 1])
                ++entry;
            WriteFileBytes(job, whole);
            FlipByte(job, offset, mask);
            // A length field keeps its damage: re-signing would follow it.
            if (offset >= entries[entry] + 4) ResignEntry(job, entries[entry]);
            const Outcome outcome = Convert();
            if (outcome.status == 4u) {
                EXPECT_FALSE(outcome.written);
                continue;
            }
            ASSERT_EQ(outcome.status, 0u) << "byte " << offset << " mask " << int{mask};
            EXPECT_TRUE(IsWellFormed(outcome.document))
                << "byte " << offset << " mask " << int{mask};
            EXPECT_FALSE(RecordBlocks(outcome.document).empty())
                << "byte " << offset << " mask " << int{mask};
        }
    }
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
    auto after = Note("after the hostile records", 80);
    writer.Add(after);
    ASSERT_TRUE(writer.Close());

    Outcome outcome;
    size_t largest = 0;
    {
        const AllocationProbe probe;
        outcome = Convert();
        largest = probe.Largest();
    }
    EXPECT_EQ(outcome.status, 0u);
    EXPECT_TRUE(IsWellFormed(outcome.document));
    const std::vector<std::string> blocks = RecordBlocks(outcome.document);
    ASSERT_EQ(blocks.size(), chained + 1);
    EXPECT_NE(blocks.back().find("<Note>after the hostile records</Note>"), std::string::npos);
    // Nothing near the claimed counts was set aside: an entry is at most
    // 512 KiB, and the document's buffer is not counted here.
    EXPECT_GT(largest, 0u); // the probe saw the conversion's allocations
    EXPECT_LT(largest, size_t{4} << 20);
}

} // namespace
} // namespace tqxml
