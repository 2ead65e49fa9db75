// Damaged journals converted end to end: the document keeps every record
// applied before the damage, and no damage, wherever it falls, crashes the
// conversion or makes it allocate without bound.
#include "e2e_support.h"

#include "allocation_probe.h"
#include "db/filehdr.h"
#include "db/journal.h"
#include "records/job_level.h"
#include "records/modifiers.h"
#include "records/observation.h"
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

    // Five notes, each added in a transaction of its own.
    void WriteFiveNotes() {
        auto a = Note("first", 1), b = Note("second", 2), c = Note("third", 3),
             d = Note("fourth", 4), e = Note("fifth", 5);
        WriteJobOf(job, {&a, &b, &c, &d, &e});
    }

    // Blocks of the complete document of the job as it stands.
    std::vector<std::string> CompleteBlocks() {
        const Outcome complete = Convert();
        EXPECT_EQ(complete.status, 0u);
        return RecordBlocks(complete.document);
    }
};

TEST_F(DamagedJob, CutInsideAnEntryKeepsTheRecordsBeforeIt) {
    WriteFiveNotes();
    const std::vector<std::string> blocks = CompleteBlocks();
    ASSERT_EQ(blocks.size(), 5u);
    const std::vector<uint32_t> entries = EntryPositions(job);
    ASSERT_EQ(entries.size(), 5u);
    const std::vector<uint8_t> whole = ReadFileBytes(job);

    CutAt(job, entries[3] + 12); // inside the fourth entry's record
    Outcome cut = Convert();
    EXPECT_EQ(cut.status, 0u);
    EXPECT_EQ(cut.document, DocumentOf({blocks[0], blocks[1], blocks[2]}));

    WriteFileBytes(job, whole);
    CutAt(job, entries[1] + 2); // inside the second entry's length
    cut = Convert();
    EXPECT_EQ(cut.status, 0u);
    EXPECT_EQ(cut.document, DocumentOf({blocks[0]}));
}

TEST_F(DamagedJob, ChecksumErrorInTheSecondTransactionKeepsOnlyTheFirst) {
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(job.c_str())));
    auto a = Note("a", 1), b = Note("b", 2), c = Note("c", 3), d = Note("d", 4), e = Note("e", 5);
    writer.BeginTransaction();
    writer.Add(a);
    writer.Add(b);
    writer.EndTransaction();
    writer.BeginTransaction();
    writer.Add(c);
    writer.Add(d);
    writer.EndTransaction();
    writer.Add(e);
    ASSERT_TRUE(writer.Close());

    const std::vector<std::string> blocks = CompleteBlocks();
    ASSERT_EQ(blocks.size(), 5u);
    const std::vector<uint32_t> entries = EntryPositions(job);
    ASSERT_EQ(entries.size(), 5u);
    const std::vector<uint8_t> whole = ReadFileBytes(job);

    // The checksum of the transaction's last entry: its first entry was read
    // cleanly, but the transaction is not applied.
    FlipByte(job, entries[4] - 1);
    EXPECT_EQ(Convert().document, DocumentOf({blocks[0], blocks[1]}));

    WriteFileBytes(job, whole);
    FlipByte(job, entries[2] + 20, 0x01); // inside the record of its first entry
    const Outcome damaged = Convert();
    EXPECT_EQ(damaged.status, 0u);
    EXPECT_EQ(damaged.document, DocumentOf({blocks[0], blocks[1]}));
}

TEST_F(DamagedJob, ImplausibleEntryLengthEndsTheJob) {
    WriteFiveNotes();
    const std::vector<std::string> blocks = CompleteBlocks();
    const std::vector<uint32_t> entries = EntryPositions(job);
    const std::vector<uint8_t> whole = ReadFileBytes(job);

    for (const uint32_t length : {0u, 11u, JOURNAL_MaxEntryLength + 1, 0xFFFFFFFFu}) {
        WriteFileBytes(job, whole);
        PatchUInt32(job, entries[2], length);
        const Outcome outcome = Convert();
        EXPECT_EQ(outcome.status, 0u) << length;
        EXPECT_EQ(outcome.document, DocumentOf({blocks[0], blocks[1]})) << length;
    }
}

TEST_F(DamagedJob, EntryRemovedByHandIsSkippedAndTheRestConverted) {
    WriteFiveNotes();
    const std::vector<std::string> blocks = CompleteBlocks();
    const std::vector<uint32_t> entries = EntryPositions(job);

    // The flags byte of the second entry; the entry's checksum is not looked
    // at any more. The records after it keep their own identifiers.
    PatchBytes(job, entries[1] + 4, {JOURNAL_ManualRepair});
    const Outcome repaired = Convert();
    EXPECT_EQ(repaired.status, 0u);
    EXPECT_EQ(repaired.document, DocumentOf({blocks[0], blocks[2], blocks[3], blocks[4]}));
    EXPECT_NE(blocks[2].find(R"(ID="0x00000003")"), std::string::npos);
}

TEST_F(DamagedJob, HeaderOfAnotherFileTypeGivesFour) {
    WriteFiveNotes();
    PatchBytes(job, 43, {FILEHDR_Style});
    const Outcome outcome = Convert();
    EXPECT_EQ(outcome.status, 4u);
    EXPECT_FALSE(outcome.written);
}

TEST_F(DamagedJob, EveryCutGivesFourOrAPrefixOfWholeTransactions) {
    // Transactions of one, two and one entries: a cut anywhere keeps whole
    // transactions only, so records 2 and 3 come and go together.
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(job.c_str())));
    auto first = Note("first", 1), second = Note("second", 2);
    db_EndEntity marker;
    marker.TimeStamp = 3;
    db_Foreign foreign;
    foreign.TimeStamp = 4;
    foreign.Name = "block";
    foreign.Data = {9, 8, 7, 6};
    auto last = Note("last\r\nline", 5);
    writer.Add(first);
    writer.BeginTransaction();
    writer.Add(second);
    writer.Add(marker);
    writer.EndTransaction();
    writer.Add(foreign);
    writer.Add(last);
    ASSERT_TRUE(writer.Close());

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
    WriteFiveNotes();
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
    Feature feature;
    feature.StringCode = "TREE";
    feature.Name = "tree";
    FeatureAttribute height;
    height.Type = FEATURE_Numerical;
    height.Name = "Height";
    height.Real = 12.5;
    FeatureAttribute species;
    species.Type = FEATURE_Menu;
    species.Name = "Species";
    species.ItemIndex = 2;
    species.Text = "oak";
    FeatureAttribute remark;
    remark.Type = FEATURE_Text;
    remark.Name = "Remark";
    remark.Text = "old";
    feature.Attributes = {height, species, remark};
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

TEST_F(DamagedJob, HostileCountsAreNotTrusted) {
    JobFileWriter writer;
    ASSERT_TRUE(writer.Create(Str(job.c_str())));
    db_Observation point;
    point.PointName = "P1";
    writer.Add(point); // 1

    constexpr uint8_t kSingle = JOURNAL_SingleEntry;
    // An observation that claims 99 features and ends there.
    buffer_Writer features;
    PutRecordHeader(features, DATABASE_ObservationRecord, 2, 20);
    features.PutUInt32(99);

    // A feature update for the first point with 99 features and no bytes,
    // and one whose single feature claims 0xFFFFFFFF attributes.
    buffer_Writer update;
    PutRecordHeader(update, DATABASE_FeaturesRecord, 3, 30);
    update.PutUInt32(99);
    buffer_Writer attributes;
    PutRecordHeader(attributes, DATABASE_FeaturesRecord, 4, 40);
    attributes.PutUInt32(1);
    attributes.PutString("CODE");
    attributes.PutString("name");
    attributes.PutUInt32(0xFFFFFFFF);

    // Foreign data that claims 0xFFFFFFFF bytes and holds four.
    buffer_Writer foreign;
    PutRecordHeader(foreign, DATABASE_ForeignRecord, 5, 50);
    foreign.PutString("blob");
    foreign.PutUInt32(0xFFFFFFFF);
    foreign.PutUInt32(0x01020304);

    // Background file lists: one that claims 0x7FFFFFFF names and holds one,
    // one whose slots lie outside 0 to 255.
    buffer_Writer manyFiles;
    PutRecordHeader(manyFiles, DATABASE_BackgroundFileListRecord, 6, 60);
    manyFiles.PutInt32(0x7FFFFFFF);
    manyFiles.PutInt32(3);
    manyFiles.PutString("site.dxf");
    buffer_Writer wildSlots;
    PutRecordHeader(wildSlots, DATABASE_BackgroundFileListRecord, 7, 70);
    wildSlots.PutInt32(2);
    wildSlots.PutInt32(300);
    wildSlots.PutString("far.dxf");
    wildSlots.PutInt32(-1);
    wildSlots.PutString("before.dxf");

    for (const std::vector<uint8_t>& entry : {
             RawEntry(kSingle, ACTION_Add, NODBID, Bytes(features)),
             RawEntry(kSingle, ACTION_AttachNote, 1, Bytes(update)),
             RawEntry(kSingle, ACTION_AttachNote, 1, Bytes(attributes)),
             RawEntry(kSingle, ACTION_Add, NODBID, Bytes(foreign)),
             RawEntry(kSingle, ACTION_Add, NODBID, Bytes(manyFiles)),
             RawEntry(kSingle, ACTION_Add, NODBID, Bytes(wildSlots)),
         })
        writer.AppendRaw(entry.data(), static_cast<int32_t>(entry.size()));
    writer.SetNextDBID(8);
    auto after = Note("after the hostile records", 80);
    writer.Add(after); // 8
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
    // Every chained record is written, up to the note added after them; the
    // feature updates are not records of their own.
    const std::vector<std::string> blocks = RecordBlocks(outcome.document);
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_NE(blocks[2].find(R"(<unknown ID="0x00000005" type="133")"), std::string::npos);
    EXPECT_NE(blocks[5].find("<Note>after the hostile records</Note>"), std::string::npos);
    // Nothing near the claimed counts was set aside: an entry is at most
    // 512 KiB, and the document's buffer is not counted here.
    EXPECT_GT(largest, 0u); // the probe saw the conversion's allocations
    EXPECT_LT(largest, size_t{4} << 20);
}

} // namespace
} // namespace tqxml
