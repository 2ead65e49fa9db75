// Opening a job: the header checks, the open status and the walk.
#include "job_fixture.h"
#include "records/job_level.h"
#include "records/observation.h"
#include "records/road.h"

#include <algorithm>
#include <cstring>

namespace tqxml {
namespace {

class AccessTest : public JobTest {
protected:
    // A job of three records: a job header, an observation and a note.
    void WriteSmallJob() {
        WriteJob([](JobFileWriter& writer) {
            db_Observation point;
            point.Descriptions.Description1 = "P1";
            db_Note note;
            note.Note = "first line";
            writer.Add(db_JobHeader());
            writer.Add(point);
            writer.Add(note);
        });
    }
};

TEST_F(AccessTest, FailsWithStatusOneWithoutAFileOrAWholeHeader) {
    dbAccess job;
    EXPECT_FALSE(job.Open(JobPath(), false)); // no file
    EXPECT_EQ(job.GetOpenStatus(), DBACCESS_CannotOpen);

    WriteFileBytes(path, {});
    EXPECT_EQ(OpenJob(job), DBACCESS_CannotOpen);

    WriteSmallJob();
    CutAt(path, 47);
    EXPECT_EQ(OpenJob(job), DBACCESS_CannotOpen);
    EXPECT_FALSE(job.IsOpen());
    EXPECT_EQ(job.FirstRecordId(), NODBID);
}

TEST_F(AccessTest, ComparesTypeAndVersionButNotTextOrReservedByte) {
    dbAccess job;
    WriteSmallJob();
    PatchBytes(path, 47, {35});
    EXPECT_EQ(OpenJob(job), DBACCESS_VersionDiffers);
    EXPECT_FALSE(job.IsOpen());

    WriteSmallJob();
    PatchBytes(path, 43, {FILEHDR_Style});
    EXPECT_EQ(OpenJob(job), DBACCESS_NoJob);

    // Another text and a reserved byte are not looked at.
    WriteSmallJob();
    std::vector<uint8_t> text(43, 0);
    std::memcpy(text.data(), "Halvorn X", 9);
    PatchBytes(path, 0, text);
    PatchBytes(path, 44, {0x77});
    EXPECT_EQ(OpenJob(job), DBACCESS_Opened);
    EXPECT_EQ(job.Statistics().Header.Identification, "Halvorn X");
}

TEST_F(AccessTest, AJobWithoutAChainedRecordDoesNotOpen) {
    dbAccess job;
    WriteJob([](JobFileWriter&) {});
    EXPECT_EQ(ReadFileBytes(path).size(), 48u);
    EXPECT_FALSE(job.Open(JobPath(), false));
    EXPECT_EQ(job.GetOpenStatus(), DBACCESS_NoJob);
}

TEST_F(AccessTest, WalksTheChainAndKeepsStatistics) {
    WriteSmallJob();
    dbAccess job;
    ASSERT_TRUE(job.Open(JobPath(), false));
    EXPECT_EQ(job.GetOpenStatus(), DBACCESS_Opened);
    EXPECT_EQ(Walk(job), (std::vector<db_DBIDValue>{1, 2, 3}));
    ASSERT_NE(job.GetRecord(2), nullptr);
    EXPECT_EQ(job.GetRecord(2)->GetType(), DATABASE_ObservationRecord);
    EXPECT_EQ(static_cast<db_Observation&>(*job.GetRecord(2)).Descriptions.Description1, "P1");
    EXPECT_EQ(job.GetRecord(3)->Note, "first line");
    EXPECT_EQ(job.GetRecord(NODBID), nullptr);
    EXPECT_EQ(job.GetRecord(4), nullptr);
    EXPECT_EQ(job.NextRecordId(NODBID), NODBID);
    EXPECT_EQ(job.NextRecordId(77), NODBID);
    EXPECT_EQ(job.NextRecordId(3), NODBID);

    const dbAccess_Statistics& stats = job.Statistics();
    const uint32_t size = static_cast<uint32_t>(ReadFileBytes(path).size());
    EXPECT_EQ(stats.FileSize, size);
    EXPECT_EQ(stats.EntriesRead, 3u);
    EXPECT_EQ(stats.TransactionsApplied, 3u);
    EXPECT_EQ(stats.TransactionsDroppedTotal(), 0u);
    EXPECT_EQ(stats.StopStatus, ENTRY_End);
    EXPECT_EQ(stats.StopPosition, size);
    EXPECT_EQ(stats.CommittedPosition, size);
    EXPECT_EQ(stats.RecordsChained, 3u);
    EXPECT_EQ(stats.NextDBID, 4u);
    EXPECT_TRUE(env.assertions.empty());

    job.Close();
    EXPECT_EQ(job.FirstRecordId(), NODBID);
    EXPECT_EQ(job.GetRecord(1), nullptr);
    // The statistics outlive the close, and the object can open again.
    EXPECT_EQ(job.Statistics().EntriesRead, 3u);
    EXPECT_TRUE(job.Open(JobPath(), false));
    EXPECT_EQ(Walk(job).size(), 3u);
}

TEST_F(AccessTest, ReplaysLargeJobsAcrossTheWriterFlushes) {
    constexpr db_DBIDValue kCount = 3000;
    WriteJob([](JobFileWriter& writer) {
        auto section = Section("T");
        for (db_DBIDValue i = 1; i <= kCount; ++i) {
            section.Station = i;
            EXPECT_EQ(writer.Add(section), i);
        }
    });
    static std::vector<std::pair<uint64_t, uint64_t>> reading;
    reading.clear();
    dbAccess job;
    job.SetReadingProgress([](uint64_t read, uint64_t size) { reading.emplace_back(read, size); });
    ASSERT_EQ(OpenJob(job), DBACCESS_Opened);
    // The reading phase: a hundredth of the journal at a time, up to its end.
    const uint64_t size = ReadFileBytes(path).size();
    ASSERT_GE(reading.size(), 50u);
    EXPECT_LE(reading.size(), 102u);
    EXPECT_TRUE(std::is_sorted(reading.begin(), reading.end()));
    EXPECT_EQ(reading.back(), std::make_pair(size, size));
    const std::vector<db_DBIDValue> ids = Walk(job);
    ASSERT_EQ(ids.size(), kCount);
    // Read from the job's bytes in any order, from the end back.
    for (db_DBIDValue i = kCount; i >= 1; --i) {
        ASSERT_EQ(ids[i - 1], i);
        EXPECT_EQ(SectionAt(job, i)->Station, i);
    }
    EXPECT_EQ(job.Model().TypeCount(DATABASE_TunnelCrossSectionRecord).Count, kCount);
}

// The job is read once, when it is opened: a file another program cuts or
// grows afterwards changes nothing of what the open job holds.
TEST_F(AccessTest, AJobChangedAfterOpeningIsConvertedAsItWas) {
    WriteSmallJob();
    dbAccess job;
    ASSERT_EQ(OpenJob(job), DBACCESS_Opened);
    const size_t size = ReadFileBytes(path).size();
    CutAt(path, size - 3); // into the note's entry
    EXPECT_EQ(job.GetRecord(3)->Note, "first line");
    EXPECT_EQ(static_cast<db_Observation&>(*job.GetRecord(2)).Descriptions.Description1, "P1");
    EXPECT_TRUE(env.logs.empty());
}

} // namespace
} // namespace tqxml
