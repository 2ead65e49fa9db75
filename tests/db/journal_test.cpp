// The journal: damaged and hand-repaired job files, transaction flags, and
// appending after the last complete transaction.
#include "generator.h"
#include "job_fixture.h"
#include "records/modifiers.h"

namespace tqxml {
namespace {

class JournalTest : public JobTest {
protected:
    uint32_t FileSize() const { return static_cast<uint32_t>(ReadFileBytes(path).size()); }

    // Opens the job, expects `status`, and gives back the walk.
    std::vector<db_DBIDValue> OpenExpecting(dbAccess& job, dbAccess_OpenStatus status) {
        job.Open(JobPath(), false);
        EXPECT_EQ(job.GetOpenStatus(), status);
        return Walk(job);
    }
};

// Every damage of the shared table, as the journal sees it: what remains,
// each record from its own entry (note n was stamped n), and what is logged.
class JournalDamageTest : public JournalTest,
                          public ::testing::WithParamInterface<JournalDamage> {};

TEST_P(JournalDamageTest, KeepsTheTransactionsBeforeTheDamage) {
    const JournalDamage& damage = GetParam();
    WriteDamageJob(path);
    const std::vector<uint32_t> at = EntryPositions(path);
    ASSERT_EQ(at.size(), 5u);
    damage.apply(path, at);

    dbAccess job;
    const bool damaged = damage.damage != dbJournal_Damage::None;
    job.Open(JobPath(), true);
    EXPECT_EQ(job.GetOpenStatus(), damaged ? DBACCESS_Damaged : DBACCESS_Opened);
    EXPECT_EQ(Walk(job), damage.kept);
    for (db_DBIDValue id : damage.kept)
        EXPECT_EQ(job.GetRecord(id) ? job.GetRecord(id)->TimeStamp : 0.0, id);
    EXPECT_EQ(job.Statistics().Damage, damage.damage);
    if (damage.log) {
        EXPECT_TRUE(Logged(JournalLine(damage.log, at[damage.entry] + damage.offset)));
    } else {
        EXPECT_TRUE(env.logs.empty());
    }
    if (damaged) {
        EXPECT_EQ(job.Statistics().StopPosition, at[damage.entry]);
        EXPECT_TRUE(Logged(JournalLine("-- Reported file size ", FileSize())));
        EXPECT_FALSE(job.Journal().IsWritable()); // nothing may be appended after damage
    }
}

INSTANTIATE_TEST_SUITE_P(Table, JournalDamageTest, ::testing::ValuesIn(JournalDamages()),
                         [](const auto& info) { return std::string(info.param.name); });

// What a replay found and reported, to compare one way of reading with another.
struct ReplaySeen {
    dbAccess_OpenStatus status;
    std::vector<db_DBIDValue> walk;
    std::vector<std::string> logs, assertions;
    uint32_t entries, stopPosition, committed, bytesLeft;

    bool operator==(const ReplaySeen&) const = default;
};

ReplaySeen Replayed(const Str& path, bool checkAhead) {
    RecordingEnvironment env;
    dbAccess job;
    job.Open(path, false, checkAhead);
    const dbAccess_Statistics& stats = job.Statistics();
    std::vector<db_DBIDValue> walk;
    for (db_DBIDValue id = job.FirstRecordId(); id != NODBID; id = job.NextRecordId(id))
        walk.push_back(id);
    return {job.GetOpenStatus(), walk,                 env.logs,        env.assertions,
            stats.EntriesRead,   stats.StopPosition,   stats.CommittedPosition,
            stats.EntriesWithBytesLeft};
}

// Checked ahead on a second thread, a journal replays as it does on one: the
// same records, statistics, and reports in the same order, damage and
// damaged records included (records signed again after a byte was
// changed, so that their checks report).
TEST_F(JournalTest, CheckingAheadReplaysAsOneThreadDoes) {
    for (const JournalDamage& damage : JournalDamages()) {
        SCOPED_TRACE(damage.name);
        WriteDamageJob(path);
        damage.apply(path, EntryPositions(path));
        EXPECT_EQ(Replayed(JobPath(), true), Replayed(JobPath(), false));
    }
    ASSERT_TRUE(genjob::WriteGeneratedJob(JobPath(), 20000, 5));
    const std::vector<uint32_t> at = EntryPositions(path);
    for (size_t i = 7; i < at.size(); i += at.size() / 40) {
        FlipByte(path, at[i] + 4 + 7 + 16, 0x55);
        ResignEntry(path, at[i]);
    }
    FlipByte(path, at[at.size() - 40] + 9); // and a checksum that fails near the end
    const ReplaySeen ahead = Replayed(JobPath(), true);
    EXPECT_FALSE(ahead.assertions.empty());
    EXPECT_EQ(ahead.status, DBACCESS_Damaged);
    EXPECT_EQ(ahead, Replayed(JobPath(), false));
}

// A record cut short inside a well-signed entry is decoded within the
// entry's bytes; bytes after a record's last field are reported. Both
// entries are accepted. (A marker carrying a record: the damage table.)
TEST_F(JournalTest, WellSignedEntriesCarryingDamagedRecords) {
    WriteJob([](JobFileWriter& writer) {
        auto a = Section("A long tunnel name"), b = Section("B");
        a.RecordId = 1, b.RecordId = 2;
        std::vector<uint8_t> cut = StoredBytes(a), longer = StoredBytes(b);
        cut.resize(cut.size() - 20);
        longer.insert(longer.end(), {0xAB, 0xCD});
        AppendEntryBytes(writer, JOURNAL_SingleEntry, ACTION_Add, 0, cut);
        AppendEntryBytes(writer, JOURNAL_SingleEntry, ACTION_Add, 0, longer);
    });
    dbAccess job;
    EXPECT_EQ(OpenExpecting(job, DBACCESS_Opened), (std::vector<db_DBIDValue>{1, 2}));
    EXPECT_FALSE(env.assertions.empty());
    EXPECT_EQ(job.Statistics().EntriesWithBytesLeft, 1u);
    EXPECT_TRUE(Logged(
        JournalLine("Journal: Bytes left after the record at filepos ", EntryPositions(path)[1])));
    EXPECT_EQ(SectionAt(job, 2)->TunnelName, "B");
}

TEST_F(JournalTest, AManualRepairIsSkippedAndMakesTheReplayTolerant) {
    WriteJob([](JobFileWriter& writer) {
        writer.Add(Section("A"));                         // 1
        writer.Add(Section("B"));                         // 2: removed by hand below
        writer.Add(Section("C"));                         // 3
        writer.Insert(2, Section("D"));                   // 4: its target is gone
        writer.Add(Section("E"));                         // 5
        writer.Append(ACTION_Add, 0xFFFFFFFEu, db_Str()); // 6: an add is not looked at early
    });
    const std::vector<uint32_t> at = EntryPositions(path);
    const uint32_t hammered = ReadFileBytes(path)[at[1]]; // L of B's entry (below 256)
    PatchBytes(path, at[1] + 4, {JOURNAL_ManualRepair});

    dbAccess job;
    EXPECT_EQ(OpenExpecting(job, DBACCESS_Opened), (std::vector<db_DBIDValue>{1, 3, 5}));
    EXPECT_TRUE(env.assertions.empty());
    const std::vector<std::string> expected = {
        JournalLine("Journal: Manual repair detected at ", at[1]),
        JournalLine("-- Hammered record size ", hammered),
        JournalLine("DBID discontinuity.  Expected ", 2),
        JournalLine("-- Actual DBID read ", 3),
        JournalLine("Target record missing from Model.  Target ", 2),
        JournalLine("-- Offending record ID ", 4),
        JournalLine("DBID discontinuity.  Expected ", 4),
        JournalLine("-- Actual DBID read ", 5),
        JournalLine("Target record missing from Model.  Target ", 0xFFFFFFFEu),
        JournalLine("-- Offending record ID ", 6),
    };
    EXPECT_EQ(env.logs, expected);
    EXPECT_EQ(job.Statistics().ManualRepairs, 1u);
    EXPECT_EQ(job.Statistics().MissingTargets, 2u);
    EXPECT_EQ(job.Statistics().DbidDiscontinuities, 2u);
    EXPECT_FALSE(job.Journal().InRepairMode()); // cleared when the replay ends
}

TEST_F(JournalTest, HostileIdentifiersInARepairedJournalStayHarmless) {
    WriteJob([](JobFileWriter& writer) {
        writer.Add(Section("gone"));
        for (db_DBIDValue id : {0xFFFFFFF0u, 7u, 0xFFFFFFFFu, 0u, 1u, 2u, 7u}) {
            auto section = Section("S");
            section.RecordId = id;
            writer.AppendEntry(JOURNAL_SingleEntry, ACTION_Add, NODBID, &section);
        }
        auto last = Section("last");
        last.RecordId = 0xFFFFFFF0u;
        writer.AppendEntry(JOURNAL_SingleEntry, ACTION_Delete, 0xFFFFFFF0u, &last);
    });
    PatchBytes(path, EntryPositions(path)[0] + 4, {JOURNAL_ManualRepair});

    dbAccess job;
    EXPECT_EQ(OpenExpecting(job, DBACCESS_Opened),
              (std::vector<db_DBIDValue>{7, 0xFFFFFFFFu, 1, 2}));
    EXPECT_NE(job.GetRecord(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(job.GetRecord(0xFFFFFFF0u), nullptr);
    EXPECT_EQ(job.NextRecordId(0xFFFFFFFFu), 1u);
    EXPECT_LT(job.Model().Index().DenseSize(), 4096u);
    // Neither NODBID nor an identifier already chained joins the chain.
    EXPECT_TRUE(env.HasAssertion("record->GetRecordId() != NODBID"));
    EXPECT_TRUE(env.HasAssertion("!_Index.Find (record->GetRecordId())"));
    EXPECT_EQ(job.Model().TotalCount(), 4u);
}

TEST_F(JournalTest, TransactionsWithBrokenFlagsAreDroppedAndReadingGoesOn) {
    WriteJob([](JobFileWriter& writer) {
        writer.Add(Section("A")); // 1
        auto b = Section("B");
        b.RecordId = 2;
        writer.AppendEntry(JOURNAL_LastEntry, ACTION_Add, NODBID, &b); // no start flag
        writer.AppendEntry(JOURNAL_FirstEntry, ACTION_Add, NODBID, &b);
        writer.AppendEntry(JOURNAL_SingleEntry, ACTION_Add, NODBID, &b); // starts inside
        writer.BeginTransaction();
        writer.Add(Section("C"));
        writer.Add(Section("C"));
        writer.EndTransaction(true); // discarded: its identifiers are given out again
        EXPECT_EQ(writer.Add(Section("D")), 2u);
    });
    const std::vector<uint32_t> at = EntryPositions(path);
    ASSERT_EQ(at.size(), 7u);
    dbAccess job;
    EXPECT_EQ(OpenExpecting(job, DBACCESS_Opened), (std::vector<db_DBIDValue>{1, 2}));
    EXPECT_EQ(SectionAt(job, 2)->TunnelName, "D");
    EXPECT_TRUE(
        Logged(JournalLine("Journal: Transaction start flag missing near filepos ", at[2])));
    EXPECT_TRUE(Logged(JournalLine("Journal: Partial transaction near filepos ", at[4])));
    const dbAccess_Statistics& stats = job.Statistics();
    EXPECT_EQ(stats.TransactionsDropped[DROP_Broken], 2u);
    EXPECT_EQ(stats.TransactionsDropped[DROP_Interrupted], 1u);
    EXPECT_EQ(stats.TransactionsDropped[DROP_Discarded], 1u);
    EXPECT_EQ(stats.TransactionsApplied, 2u);
    EXPECT_TRUE(env.assertions.empty());
}

TEST_F(JournalTest, AnUnfinishedTransactionAtACleanEndIsDropped) {
    WriteJob([](JobFileWriter& writer) { // closed without the transaction's last entry
        writer.Add(Section("A"));
        writer.BeginTransaction();
        writer.Add(Section("B"));
        writer.Add(Section("B"));
    });
    const uint32_t size = FileSize();
    dbAccess job;
    EXPECT_EQ(OpenExpecting(job, DBACCESS_Opened), (std::vector<db_DBIDValue>{1}));
    EXPECT_TRUE(Logged(JournalLine("Journal: Partial last transaction near filepos ", size)));
    EXPECT_EQ(job.Statistics().TransactionsDropped[DROP_UnfinishedAtEnd], 1u);
    EXPECT_EQ(job.Statistics().CommittedPosition, EntryPositions(path)[1]);
    EXPECT_EQ(job.Statistics().LastGoodAppendPosition, size);
    job.Close();

    // Appending to the job starts after its last complete transaction.
    JobFileWriter writer;
    ASSERT_TRUE(writer.Open(JobPath()));
    EXPECT_EQ(writer.Add(Section("C")), 2u);
    ASSERT_TRUE(writer.Close());
    env.logs.clear();
    EXPECT_EQ(OpenExpecting(job, DBACCESS_Opened), (std::vector<db_DBIDValue>{1, 2}));
    EXPECT_TRUE(env.logs.empty());
    job.Close();

    // A damaged job is not appended to.
    FlipByte(path, EntryPositions(path)[1] + 8);
    EXPECT_FALSE(writer.Open(JobPath()));
}

} // namespace
} // namespace tqxml
