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

TEST(RecordFeatures, AttributesCompareByTheValueTheirKindCarries) {
    FeatureAttribute a;
    a.Type = FEATURE_Text;
    a.Name = "x";
    a.Text = "t";
    FeatureAttribute b = a;
    b.Real = 99; // not part of a text attribute
    EXPECT_EQ(a, b);
    b.Text = "u";
    EXPECT_FALSE(a == b);

    FeatureAttribute menu;
    menu.Type = FEATURE_Menu;
    menu.ItemIndex = 1;
    FeatureAttribute other = menu;
    other.ItemIndex = 2;
    EXPECT_FALSE(menu == other);

    FeatureAttribute separator;
    separator.Text = "ignored";
    EXPECT_EQ(separator, FeatureAttribute());
    FeatureAttribute renamed;
    renamed.Name = "other";
    EXPECT_FALSE(renamed == FeatureAttribute());
}

// ---- Copies and equality -------------------------------------------------------

TEST(RecordCopies, EqualityComparesValuesNotHeaders) {
    RecordingEnvironment env;
    db_Str a, b;
    a.Value = "P1";
    b.Value = "P1";
    a.RecordId = 1;
    b.RecordId = 2;
    b.Note = "different note";
    EXPECT_TRUE(a.IsEqual(b));
    b.Value = "P2";
    EXPECT_FALSE(a.IsEqual(b));

    db_Features fa, fb;
    fa.Features = {Feature{"F", "f", {{FEATURE_Numerical, "h", 1.25, "", 0}}}};
    fb.Features = fa.Features;
    EXPECT_TRUE(fa.IsEqual(fb));
    fb.Features[0].Attributes[0].Real = 2;
    EXPECT_FALSE(fa.IsEqual(fb));
    EXPECT_TRUE(env.assertions.empty());

    EXPECT_FALSE(a.IsEqual(fa));
    EXPECT_TRUE(env.HasAssertion("this->GetType() == record.GetType ()"));
    a.CopyFrom(fa);
    EXPECT_TRUE(env.HasAssertion("this->GetType() == other.GetType()"));
    EXPECT_EQ(a.Value, "P1");
}

// What the journal's replace keeps is pinned by the model's tests; here is
// what they cannot reach: a copy owns its measurement, and the wrong kinds of
// record are refused.
TEST(RecordCopies, AnObservationOwnsItsMeasurementAndRefusesOtherKinds) {
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
    EXPECT_FALSE(held.IsEqual(copy)); // observations are never compared
    EXPECT_TRUE(env.HasAssertion("!\"Meaningless\""));
    held.CopyFrom(db_Line());
    EXPECT_TRUE(env.HasAssertion("obs"));
    EXPECT_EQ(held.PointName, "P7");
    db_Line line;
    line.CopyFrom(db_Arc());
    EXPECT_TRUE(env.HasAssertion("line"));
    db_Arc arc;
    arc.CopyFrom(db_Line());
    EXPECT_TRUE(env.HasAssertion("arc"));
}

// ---- Tunnel cross-sections -------------------------------------------------------

TEST(TunnelCrossSection, HoldsCopiesOfItsPointDeltasOutsideItsStoredForm) {
    RecordingEnvironment env;
    db_TunnelCrossSection section;
    section.TunnelName = "North bore";
    const std::vector<uint8_t> bare = StoredBytes(section);
    db_TunnelPointDelta delta;
    delta.RecordId = 30;
    delta.Delta = 0.1;
    section.AttachPointDelta(delta);
    delta.Delta = 9; // the section holds its own copy
    EXPECT_EQ(section.PointDelta(0)->Delta, 0.1);
    EXPECT_EQ(StoredBytes(section), bare);
    EXPECT_FALSE(section.ReplacePointDelta(99, delta));

    const std::unique_ptr<dbRecord_Class> clone = section.Clone();
    EXPECT_EQ(static_cast<const db_TunnelCrossSection&>(*clone).PointDeltaCount(), 1);
    EXPECT_TRUE(env.assertions.empty());
    EXPECT_EQ(section.PointDelta(1), nullptr);
    EXPECT_TRUE(env.HasAssertion("index < this->Count"));
    EXPECT_EQ(section.PointDelta(-1), nullptr);
    EXPECT_TRUE(env.HasAssertion("index >= 0"));
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
