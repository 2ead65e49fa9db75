// Replaying a clean journal: how each action and record type changes the chain.
#include "generator.h"
#include "job_fixture.h"
#include "records/cogo.h"
#include "records/gnss.h"
#include "records/job_level.h"
#include "records/modifiers.h"
#include "records/observation.h"

namespace tqxml {
namespace {

class ModelTest : public JobTest {
protected:
    JobFileWriter writer;

    void SetUp() override { ASSERT_TRUE(writer.Create(JobPath())); }

    // Closes the writer and opens the job; it must open cleanly.
    void Reopen(dbAccess& job) {
        ASSERT_TRUE(writer.Close());
        ASSERT_TRUE(job.Open(JobPath(), false));
        ASSERT_EQ(job.GetOpenStatus(), DBACCESS_Opened);
    }
};

TEST_F(ModelTest, AddInsertAndDeleteShapeTheWalk) {
    EXPECT_EQ(writer.Add(Section("A")), 1u);
    EXPECT_EQ(writer.Add(Section("B")), 2u);
    EXPECT_EQ(writer.Add(Section("C")), 3u);
    EXPECT_EQ(writer.Insert(1, Section("D")), 4u); // in front of the first record
    EXPECT_EQ(writer.Insert(3, Section("E")), 5u);
    {
        dbAccess job;
        Reopen(job);
        EXPECT_EQ(Walk(job), (std::vector<db_DBIDValue>{4, 1, 2, 5, 3}));
        EXPECT_EQ(SectionAt(job, 4)->TunnelName, "D");
        const dbModel_TypeCount count = job.Model().TypeCount(DATABASE_TunnelCrossSectionRecord);
        EXPECT_EQ(count.Count, 5u);
        EXPECT_EQ(count.First, 4u);
        EXPECT_EQ(count.Last, 3u);
    }

    ASSERT_TRUE(writer.Open(JobPath()));
    EXPECT_EQ(writer.NextDBID(), 6u);
    EXPECT_EQ(writer.Delete(4, Section("D")), 4u); // front
    EXPECT_EQ(writer.Delete(3, Section("C")), 3u); // back
    EXPECT_EQ(writer.Delete(2, Section("B")), 2u); // middle
    EXPECT_EQ(writer.Add(Section("F")), 6u);       // deletions take no identifier
    dbAccess job;
    Reopen(job);
    EXPECT_EQ(Walk(job), (std::vector<db_DBIDValue>{1, 5, 6}));
    EXPECT_EQ(job.GetRecord(2), nullptr);
    EXPECT_EQ(job.NextRecordId(2), NODBID);
    EXPECT_EQ(job.Model().Node(job.Model().Back()).RecordId, 6u);
    EXPECT_EQ(job.Model().Node(job.Model().Front()).Back, kNoNode);
    const dbModel_TypeCount count = job.Model().TypeCount(DATABASE_TunnelCrossSectionRecord);
    EXPECT_EQ(count.Count, 3u);
    EXPECT_EQ(count.First, 1u);
    EXPECT_EQ(count.Last, 6u);
    EXPECT_TRUE(env.assertions.empty());
}

TEST_F(ModelTest, ReplaceTakesThePlaceIdentifierAndTimeStampOfTheOldRecord) {
    for (const auto& section : {Section("A", 10), Section("B", 20), Section("C", 30)})
        writer.Add(section);
    auto replacement = Section("B2", 99);
    replacement.Station = 12.5;
    EXPECT_EQ(writer.Replace(2, replacement), 2u);
    EXPECT_EQ(writer.Add(Section("D")), 4u); // a replacement takes no identifier
    dbAccess job;
    Reopen(job);
    EXPECT_EQ(Walk(job), (std::vector<db_DBIDValue>{1, 2, 3, 4}));
    EXPECT_EQ(SectionAt(job, 2)->TunnelName, "B2");
    EXPECT_EQ(SectionAt(job, 2)->Station, 12.5);
    EXPECT_EQ(SectionAt(job, 2)->TimeStamp, 20);
    EXPECT_EQ(job.Model().TypeCount(DATABASE_TunnelCrossSectionRecord).Count, 4u);
    EXPECT_TRUE(env.assertions.empty());
}

// Observations, lines and arcs are replaced in place: they take the new
// content and keep their identifier and features, an observation its
// measurement too.
TEST_F(ModelTest, ReplacedObservationsLinesAndArcsKeepTheirFeatures) {
    const std::vector<Feature> kept{Feature{"TREE", "Tree", {}}}, dropped{Feature{"X", "", {}}};
    db_Observation point;
    point.TimeStamp = 5;
    point.Features = kept;
    writer.Add(point);             // 1
    writer.Attach(1, db_Circle()); // 2
    db_Line line;
    line.Features = kept;
    writer.Add(line); // 3
    db_Arc arc;
    arc.Features = kept;
    writer.Add(arc); // 4

    db_Observation newer;
    newer.TimeStamp = 7;
    newer.PointName = "P7";
    newer.Descriptions.Description1 = "new";
    newer.Features = dropped;
    writer.Replace(1, newer);
    line.Deleted = arc.Deleted = true;
    line.Features = arc.Features = dropped;
    line.TimeStamp = 3;
    writer.Replace(3, line);
    writer.Replace(4, arc);
    dbAccess job;
    Reopen(job);
    EXPECT_EQ(Walk(job), (std::vector<db_DBIDValue>{1, 3, 4}));
    const auto observation = RecordAs<db_Observation>(job, 1);
    ASSERT_NE(observation, nullptr);
    EXPECT_EQ(observation->PointName, "P7");
    EXPECT_EQ(observation->Descriptions.Description1, "new");
    EXPECT_EQ(observation->TimeStamp, 7); // unlike a plain replace
    ASSERT_NE(observation->GetMeasurement(), nullptr);
    EXPECT_EQ(observation->GetMeasurement()->GetType(), DATABASE_CircleRecord);
    EXPECT_EQ(observation->Features, kept);
    const auto replacedLine = RecordAs<db_Line>(job, 3);
    const auto replacedArc = RecordAs<db_Arc>(job, 4);
    ASSERT_TRUE(replacedLine && replacedArc);
    EXPECT_EQ(replacedLine->TimeStamp, 3);
    EXPECT_TRUE(replacedLine->Deleted && replacedArc->Deleted);
    EXPECT_EQ(replacedLine->Features, kept);
    EXPECT_EQ(replacedArc->Features, kept);
    EXPECT_TRUE(env.assertions.empty());
}

TEST_F(ModelTest, NotesAttachedOrReplacedBecomeTheTargetsNote) {
    auto a = Section("A");
    writer.Add(a);
    db_Note attached, chained, replacing;
    attached.Note = "hello\r\nworld";
    EXPECT_EQ(writer.Attach(1, attached), 2u);
    chained.Note = "on its own";
    EXPECT_EQ(writer.Add(chained), 3u);
    replacing.Note = "changed";
    writer.Replace(1, replacing);
    {
        dbAccess job;
        Reopen(job);
        EXPECT_EQ(Walk(job), (std::vector<db_DBIDValue>{1, 3}));
        EXPECT_EQ(job.GetRecord(1)->Note, "changed");
        EXPECT_EQ(job.GetRecord(3)->Note, "on its own");
        EXPECT_EQ(job.GetRecord(2), nullptr);
        EXPECT_TRUE(env.assertions.empty());
    }
    // A note before any replace: the attached text is what the target shows.
    ASSERT_TRUE(writer.Create(JobPath()));
    writer.Add(a);
    writer.Attach(1, attached);
    dbAccess job;
    Reopen(job);
    EXPECT_EQ(job.GetRecord(1)->Note, "hello\r\nworld");
}

TEST_F(ModelTest, MeasurementsBelongToTheTargetObservation) {
    writer.Add(db_Observation());
    db_Circle first;
    first.TimeStamp = 1;
    EXPECT_EQ(writer.Attach(1, first), 2u);
    db_Polar second;
    second.TimeStamp = 2;
    writer.Append(ACTION_Add, 1, second); // any action carries a measurement to its target
    writer.Add(Section("A"));             // 4
    writer.Attach(4, db_Circle());
    dbAccess job;
    Reopen(job);
    EXPECT_EQ(Walk(job), (std::vector<db_DBIDValue>{1, 4}));
    const auto observation = RecordAs<db_Observation>(job, 1);
    ASSERT_NE(observation, nullptr);
    ASSERT_NE(observation->GetMeasurement(), nullptr);
    EXPECT_EQ(observation->GetMeasurement()->GetType(), DATABASE_PolarRecord);
    EXPECT_EQ(observation->GetMeasurement()->RecordId, 3u);
    EXPECT_EQ(observation->GetMeasurement()->TimeStamp, 2);
    EXPECT_EQ(env.assertions, std::vector<std::string>{"obs"});
}

TEST_F(ModelTest, ModifierRecordsChangeTheirTargetAndAreNotChained) {
    writer.Add(db_Observation());  // 1
    writer.Attach(1, db_Circle()); // 2
    db_Line line;
    line.Features.push_back(Feature{"OLD", "Old", {}});
    writer.Add(line);         // 3
    writer.Add(db_Antenna()); // 4
    writer.Add(Section("S")); // 5
    writer.Add(db_Arc());     // 6

    db_BoolAction remove, restore, other;
    remove.Value = 0, restore.Value = 1, other.Value = 2;
    writer.Attach(1, remove);
    writer.Attach(6, remove);
    writer.Attach(3, remove);
    writer.Attach(3, restore);
    writer.Attach(1, other);
    db_Str name;
    name.Value = "RENAMED";
    writer.Attach(1, name);
    db_DBID reference;
    reference.Value = 0x44;
    writer.Attach(1, reference); // to the observation's measurement
    reference.Value = 0x55;
    writer.Attach(4, reference);
    writer.Attach(5, reference); // nothing to change there
    db_Features features;
    features.Features.push_back(Feature{"NEW", "New", {}});
    writer.Attach(3, features);
    db_Descriptions descriptions;
    descriptions.Descriptions = {"first", "second"};
    writer.Attach(1, descriptions);

    dbAccess job;
    Reopen(job);
    EXPECT_EQ(Walk(job), (std::vector<db_DBIDValue>{1, 3, 4, 5, 6}));
    const auto observation = RecordAs<db_Observation>(job, 1);
    ASSERT_NE(observation, nullptr);
    EXPECT_TRUE(observation->Deleted);
    EXPECT_TRUE(RecordAs<db_Arc>(job, 6)->Deleted);
    EXPECT_EQ(observation->PointName, "RENAMED");
    EXPECT_EQ(observation->Descriptions.Description2, "second");
    auto* measurement = dynamic_cast<const db_Circle*>(observation->GetMeasurement());
    ASSERT_NE(measurement, nullptr);
    EXPECT_EQ(measurement->Target, 0x44u);
    EXPECT_EQ(RecordAs<db_Antenna>(job, 4)->Equipment, 0x55u);
    const auto chainedLine = RecordAs<db_Line>(job, 3);
    EXPECT_FALSE(chainedLine->Deleted);
    ASSERT_EQ(chainedLine->Features.size(), 1u);
    EXPECT_EQ(chainedLine->Features[0].StringCode, "NEW");
    EXPECT_TRUE(env.assertions.empty());
}

TEST_F(ModelTest, ModifierRecordsWithoutAFittingTargetChangeNothing) {
    writer.Add(db_Observation()); // 1, without a measurement
    writer.Add(Section("S"));     // 2
    db_DBID reference;
    reference.Value = 9;
    writer.Attach(1, reference);
    db_Features features;
    features.Features.push_back(Feature{"X", "X", {}});
    writer.Attach(2, features);
    writer.Attach(NODBID, features);
    db_Descriptions descriptions;
    descriptions.Descriptions = {"a", "b"};
    writer.Attach(2, descriptions);
    dbAccess job;
    Reopen(job);
    EXPECT_EQ(Walk(job), (std::vector<db_DBIDValue>{1, 2}));
    EXPECT_TRUE(env.HasAssertion("measurement"));
    EXPECT_TRUE(env.HasAssertion("featureRecord"));
    EXPECT_TRUE(env.HasAssertion("action->Target.value != NODBID"));
    EXPECT_EQ(job.Statistics().EntriesRejected, 3u);
}

TEST_F(ModelTest, TunnelPointDeltasAttachToCrossSectionsAndAreReplacedFromRecordOne) {
    writer.Add(Section("first"));       // 1
    writer.Insert(1, Section("front")); // 2, now in front of record 1
    db_TunnelPointDelta delta;
    delta.Delta = 1;
    EXPECT_EQ(writer.Attach(2, delta), 3u);
    delta.Delta = 2;
    EXPECT_EQ(writer.Attach(1, delta), 4u);
    delta.Delta = 3;
    EXPECT_EQ(writer.Attach(1, delta), 5u);

    db_TunnelPointDelta replacement;
    replacement.Delta = 30;
    writer.Replace(5, replacement);
    replacement.Delta = 10;
    writer.Replace(3, replacement); // held by a section the search never reaches
    replacement.Delta = 99;
    writer.Replace(77, replacement); // held by none
    writer.Add(db_Observation());    // 6
    writer.Attach(6, delta);

    dbAccess job;
    Reopen(job);
    EXPECT_EQ(Walk(job), (std::vector<db_DBIDValue>{2, 1, 6}));
    const auto atFront = SectionAt(job, 2);
    const auto atOne = SectionAt(job, 1);
    ASSERT_EQ(atFront->PointDeltas.size(), 1u);
    ASSERT_EQ(atOne->PointDeltas.size(), 2u);
    EXPECT_EQ(atFront->PointDeltas[0].Delta, 1);
    EXPECT_EQ(atOne->PointDeltas[0].Delta, 2);
    EXPECT_EQ(atOne->PointDeltas[1].Delta, 30);
    EXPECT_EQ(atOne->PointDeltas[1].RecordId, 5u);
    EXPECT_EQ(env.assertions, std::vector<std::string>{"target"});
}

TEST_F(ModelTest, ActionsThatCannotApplyLeaveTheChainConsistent) {
    writer.Add(Section("A"));         // 1
    writer.Attach(1, Section("B"));   // 2: only notes are attached to records
    writer.Insert(99, Section("C"));  // 3
    writer.Replace(98, Section("C")); // identifiers that name nothing
    writer.Delete(97, Section("C"));
    db_Note note;
    writer.Delete(writer.Add(note), note); // 4
    // A record carrying an identifier that is already chained.
    auto twin = Section("twin");
    twin.RecordId = 1;
    writer.AppendEntry(JOURNAL_SingleEntry, ACTION_Add, NODBID, &twin);
    writer.SetNextDBID(6);
    // Foreign data is skipped and takes no identifier.
    writer.Append(ACTION_Foreign, NODBID, Section("foreign"));
    EXPECT_EQ(writer.Add(Section("D")), 6u);

    dbAccess job;
    Reopen(job);
    EXPECT_EQ(Walk(job), (std::vector<db_DBIDValue>{1, 4, 6}));
    EXPECT_EQ(SectionAt(job, 1)->TunnelName, "A");
    EXPECT_EQ(std::count(env.assertions.begin(), env.assertions.end(), "Bad action"), 2);
    EXPECT_EQ(std::count(env.assertions.begin(), env.assertions.end(), "target"), 3);
    EXPECT_TRUE(env.HasAssertion("action->DBRecord->RecordId == recId"));
    EXPECT_EQ(job.Statistics().ForeignEntriesSkipped, 1u);
    EXPECT_EQ(job.Model().TotalCount(), 3u);
}

TEST(ModelIndex, KeepsIdentifiersDenseAndSendsFarOnesToTheMap) {
    dbModel_Index index;
        for (db_DBIDValue id = 1; id <= 200; ++id)
        ASSERT_TRUE(index.Insert(id, id));
    EXPECT_FALSE(index.Insert(7, 0u));
    EXPECT_TRUE(index.Insert(0xFFFFFFF0u, 201u));
    EXPECT_TRUE(index.Insert(5000, 202u)); // beyond what 201 records justify
    EXPECT_LE(index.DenseSize(), 2u * 202 + 1024);
    EXPECT_EQ(index.SparseSize(), 2u);
    EXPECT_EQ(index.Find(0xFFFFFFF0u), 201u);
    EXPECT_EQ(index.Find(5000), 202u);
    EXPECT_EQ(index.Find(7), 7u);
    EXPECT_EQ(index.Find(0xFFFFFFFFu), kNoNode);
    EXPECT_EQ(index.Find(4999), kNoNode);

    // As records accumulate the array grows over 5000, which moves across.
    for (db_DBIDValue id = 1000; id < 4500; ++id)
        index.Insert(id, 203u);
    EXPECT_GT(index.DenseSize(), 5000u);
    EXPECT_EQ(index.SparseSize(), 1u);
    EXPECT_EQ(index.Find(5000), 202u);

    index.Erase(5000);
    index.Erase(0xFFFFFFF0u);
    index.Erase(123456); // not there
    EXPECT_EQ(index.Find(5000), kNoNode);
    EXPECT_EQ(index.Find(0xFFFFFFF0u), kNoNode);
    EXPECT_EQ(index.Count(), 200u + 3500u);
}

// Generated jobs mix every action the journal knows; whatever they do, the
// model's own count is the length of its chain, and every identifier the
// walk lists yields its record.
TEST_F(JobTest, GeneratedJobsKeepTheCountAndTheChainInStep) {
    for (uint64_t seed = 1; seed <= 5; ++seed) {
        ASSERT_TRUE(genjob::WriteGeneratedJob(JobPath(), 3000, seed));
        dbAccess job;
        ASSERT_EQ(OpenJob(job), DBACCESS_Opened) << "seed " << seed;
        const std::vector<db_DBIDValue> ids = Walk(job);
        EXPECT_EQ(ids.size(), job.RecordCount()) << "seed " << seed;
        EXPECT_GE(ids.size(), 3000u);
        for (db_DBIDValue id : ids)
            ASSERT_NE(job.GetRecord(id), nullptr) << "id " << id;
        job.Close();
    }
}

} // namespace
} // namespace tqxml
