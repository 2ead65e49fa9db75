#include "records/record.h"

#include "records/cogo.h"
#include "records/job_level.h"
#include "records/modifiers.h"
#include "records/observation.h"
#include "records/road.h"
#include "support/hostile_counts.h"
#include "support/journal_damage.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>
#include <tuple>

namespace tqxml {
namespace {

// A record's stored form is pinned by the golden jobs, which are read, and
// the sample job, which is written; what is left is how a read goes wrong.
TEST(RecordHeader, TypeMismatchIsReportedAndReadingGoesOn) {
    RecordingEnvironment env;
    buffer_Writer writer;
    writer.PutUInt16(DATABASE_NoteRecord);
    writer.PutUInt32(77);
    writer.PutDouble(0.0);
    writer.PutString("");
    writer.PutString("after");
    const buffer_Class buffer(writer.Length(), ENDIAN_Little, writer.Data());
    db_EndEntity marker;
    int32_t offset = 0;
    marker.Read(buffer, offset);
    EXPECT_TRUE(
        env.HasAssertion("this->GetType() == (database_RecordType) buffer.GetUInt16 (byteOffset)"));
    EXPECT_EQ(marker.RecordId, 77u);
    EXPECT_EQ(offset, 15);
}

TEST(RecordRegistry, MakesAFreshRecordOfEveryTypeAndNothingOutside) {
    RecordingEnvironment env;
    for (uint32_t type = 0; type < DATABASE_AllRecords; ++type) {
        std::unique_ptr<dbRecord_Class> record = CreateRecord(type);
        ASSERT_NE(record, nullptr) << type;
        EXPECT_EQ(record->GetType(), type);
        EXPECT_EQ(record->GetRecordId(), NODBID);
        EXPECT_TRUE(record->Note.IsEmpty());
        EXPECT_EQ(record->IsMeasurement(), IsRecordCategory(type, record_table::Measurement));
    }
    EXPECT_EQ(CreateRecord(DATABASE_AllRecords), nullptr);
    EXPECT_EQ(CreateRecord(65535), nullptr);
    EXPECT_STREQ(RecordClassName(DATABASE_AllRecords), "");
    EXPECT_STREQ(RecordTypeName(65535), "");
    EXPECT_TRUE(env.assertions.empty());
}

TEST(RecordRegistry, NewRecordsCarryTheLocalTimeSince1980) {
    const double stamp = CurrentTimeStamp();
    std::tm start{};
    start.tm_year = 80;
    start.tm_mon = 0;
    start.tm_mday = 1;
    start.tm_isdst = -1;
    const double elapsed = std::difftime(std::time(nullptr), std::mktime(&start));
    // Local wall-clock seconds: they may differ from the elapsed seconds by a
    // daylight-saving hour.
    EXPECT_LE(std::fabs(stamp - elapsed), 3600.0 + 2.0);
    EXPECT_EQ(stamp, std::floor(stamp));
    db_Note note;
    EXPECT_GE(note.TimeStamp, stamp);
    EXPECT_LE(note.TimeStamp, stamp + 2.0);
}

// ---- Features ------------------------------------------------------------------

// Two attributes are the same when their kind, name and the value that kind
// carries are: a text's real and index, a separator's text, are not looked at.
TEST(RecordFeatures, AttributesCompareByTheValueTheirKindCarries) {
    using A = FeatureAttribute;
    const std::tuple<A, A, bool> cases[] = {
        {{FEATURE_Text, "x", 1, "t", 0}, {FEATURE_Text, "x", 99, "t", 5}, true},
        {{FEATURE_Text, "x", 0, "t", 0}, {FEATURE_Text, "x", 0, "u", 0}, false},
        {{FEATURE_Menu, "x", 0, "t", 1}, {FEATURE_Menu, "x", 0, "t", 2}, false},
        {{}, {FEATURE_Separator, "", 0, "ignored", 0}, true},
        {{}, {FEATURE_Separator, "other", 0, "", 0}, false},
    };
    for (const auto& [a, b, same] : cases)
        EXPECT_EQ(a == b, same) << a.Type << " " << b.Name.CStr() << " " << b.Text.CStr();
}

// ---- Copies -------------------------------------------------------------------

// A copy owns its measurement, and only measurements are held.
TEST(RecordCopies, AnObservationOwnsItsMeasurementAndHoldsNothingElse) {
    RecordingEnvironment env;
    db_Observation held;
    held.PointName = "P7";
    db_Grid grid;
    grid.RecordId = 11;
    held.SetMeasurement(grid);
    const std::unique_ptr<dbRecord_Class> clone = held.Clone();
    const auto& copy = static_cast<const db_Observation&>(*clone);
    ASSERT_NE(copy.GetMeasurement(), nullptr);
    EXPECT_NE(copy.GetMeasurement(), held.GetMeasurement());
    EXPECT_EQ(copy.GetMeasurement()->RecordId, 11u);
    EXPECT_TRUE(env.assertions.empty());

    held.SetMeasurement(db_Note()); // only measurements are held
    EXPECT_EQ(held.GetMeasurement()->GetType(), DATABASE_GridRecord);
    EXPECT_TRUE(env.HasAssertion("measurement->IsMeasurement ()"));
}

// ---- Tunnel cross-sections -------------------------------------------------------

TEST(TunnelCrossSection, HoldsCopiesOfItsPointDeltasOutsideItsStoredForm) {
    db_TunnelCrossSection section;
    section.TunnelName = "North bore";
    const std::vector<uint8_t> bare = StoredBytes(section);
    db_TunnelPointDelta delta;
    delta.Delta = 0.1;
    section.PointDeltas.push_back(delta);
    EXPECT_EQ(StoredBytes(section), bare);
    const std::unique_ptr<dbRecord_Class> clone = section.Clone();
    EXPECT_EQ(static_cast<const db_TunnelCrossSection&>(*clone).PointDeltas.size(), 1u);
}

// ---- Hostile counts -------------------------------------------------------------

class HostileCounts : public ::testing::TestWithParam<HostileRecord> {};

TEST_P(HostileCounts, ReadEndsWithTheBytesAndKeepsWhatTheyHold) {
    RecordingEnvironment env;
    const HostileRecord& hostile = GetParam();
    const buffer_Class stored(static_cast<int32_t>(hostile.stored.size()), ENDIAN_Little,
                              hostile.stored.data());
    const std::unique_ptr<dbRecord_Class> record =
        CreateRecord(hostile.stored[0] | hostile.stored[1] << 8);
    ASSERT_NE(record, nullptr);
    int32_t offset = 0;
    record->Read(stored, offset);
    EXPECT_EQ(offset, stored.Length());
    EXPECT_TRUE(hostile.keeps(*record));
    EXPECT_EQ(env.assertions.empty(), !hostile.reported);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileCounts, ::testing::ValuesIn(HostileRecords()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tqxml
