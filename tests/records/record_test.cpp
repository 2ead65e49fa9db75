#include "records/record.h"

#include "records/cogo.h"
#include "records/gnss.h"
#include "records/job_level.h"
#include "records/modifiers.h"
#include "records/observation.h"
#include "records/road.h"
#include "support/hostile_counts.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <initializer_list>
#include <string>

namespace tqxml {
namespace {

buffer_Class ToBuffer(const buffer_Writer& writer) {
    return buffer_Class(writer.Length(), ENDIAN_Little, writer.Data());
}

template <class R> buffer_Class Stored(const R& record) {
    buffer_Writer writer;
    record.Write(writer);
    return ToBuffer(writer);
}

// Reads `buffer` into a new record of class R; `offset` tells where reading stopped.
template <class R> R ReadBack(const buffer_Class& buffer, int32_t& offset) {
    R record;
    offset = 0;
    record.Read(buffer, offset);
    return record;
}

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
    const buffer_Class buffer = ToBuffer(writer);
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

TEST(RecordCopies, CloneAndCopyFromTakeEveryMember) {
    RecordingEnvironment env;
    db_TunnelPointDelta delta;
    delta.RecordId = 9;
    delta.TimeStamp = 12.5;
    delta.Note = "n";
    delta.Observation = 0x44;
    delta.Delta = -0.25;
    delta.DeltaStation = 100;
    const std::unique_ptr<dbRecord_Class> clone = delta.Clone();
    auto* copy = dynamic_cast<db_TunnelPointDelta*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->RecordId, 9u);
    EXPECT_EQ(copy->TimeStamp, 12.5);
    EXPECT_EQ(copy->Note, "n");
    EXPECT_EQ(copy->Observation, 0x44u);
    EXPECT_EQ(copy->DeltaStation, 100);
    EXPECT_TRUE(copy->IsEqual(delta));

    db_TunnelPointDelta target;
    target.CopyFrom(delta);
    EXPECT_EQ(target.RecordId, 9u);
    EXPECT_EQ(target.Delta, -0.25);

    db_Note note;
    note.RecordId = 3;
    target.CopyFrom(note);
    EXPECT_TRUE(env.HasAssertion("this->GetType() == other.GetType()"));
    EXPECT_EQ(target.RecordId, 9u);
}

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
}

TEST(RecordCopies, ObservationReplaceKeepsIdentityFeaturesAndMeasurement) {
    RecordingEnvironment env;
    db_Observation held;
    held.RecordId = 10;
    held.TimeStamp = 1;
    held.Features = {Feature{"OLD", "", {}}};
    db_Grid grid;
    grid.RecordId = 11;
    held.SetMeasurement(grid);

    db_Observation incoming;
    incoming.RecordId = 20;
    incoming.TimeStamp = 2;
    incoming.Note = "edited";
    incoming.PointName = "P7";
    incoming.Deleted = true;
    incoming.Descriptions = {"d1", "d2"};
    incoming.Features = {Feature{"NEW", "", {}}};
    incoming.SetMeasurement(db_Polar());

    held.CopyFrom(incoming);
    EXPECT_EQ(held.RecordId, 10u);
    EXPECT_EQ(held.TimeStamp, 2);
    EXPECT_EQ(held.Note, "edited");
    EXPECT_EQ(held.PointName, "P7");
    EXPECT_EQ(held.GetName(), "P7");
    EXPECT_TRUE(held.IsDeleted());
    EXPECT_EQ(held.Descriptions.Description2, "d2");
    EXPECT_EQ(held.Features[0].StringCode, "OLD");
    ASSERT_NE(held.GetMeasurement(), nullptr);
    EXPECT_EQ(held.GetMeasurement()->GetType(), DATABASE_GridRecord);
    EXPECT_EQ(held.GetMeasurement()->RecordId, 11u);
    EXPECT_TRUE(env.assertions.empty());

    // A clone owns a copy of the measurement.
    const std::unique_ptr<dbRecord_Class> clone = held.Clone();
    const auto& copy = static_cast<const db_Observation&>(*clone);
    ASSERT_NE(copy.GetMeasurement(), nullptr);
    EXPECT_NE(copy.GetMeasurement(), held.GetMeasurement());
    EXPECT_EQ(copy.GetMeasurement()->RecordId, 11u);

    // Only measurements are held; observations are never compared.
    held.SetMeasurement(db_Note());
    EXPECT_EQ(held.GetMeasurement()->GetType(), DATABASE_GridRecord);
    EXPECT_FALSE(held.IsEqual(copy));
    EXPECT_TRUE(env.HasAssertion("!\"Meaningless\""));
    held.CopyFrom(db_Line());
    EXPECT_TRUE(env.HasAssertion("obs"));
    EXPECT_EQ(held.PointName, "P7");
}

TEST(RecordCopies, LineAndArcReplaceKeepIdentityAndFeatures) {
    RecordingEnvironment env;
    db_Line line;
    line.RecordId = 4;
    line.Features = {Feature{"KEEP", "", {}}};
    db_Line incoming;
    incoming.RecordId = 8;
    incoming.TimeStamp = 3;
    incoming.Deleted = true;
    incoming.Descriptions = {"a", "b"};
    incoming.Features = {Feature{"DROP", "", {}}};
    line.CopyFrom(incoming);
    EXPECT_EQ(line.RecordId, 4u);
    EXPECT_EQ(line.TimeStamp, 3);
    EXPECT_TRUE(line.IsDeleted());
    EXPECT_EQ(line.Descriptions.Description1, "a");
    EXPECT_EQ(line.Features[0].StringCode, "KEEP");

    db_Arc arc;
    arc.Features = {Feature{"KEEP", "", {}}};
    db_Arc newArc;
    newArc.Deleted = true;
    arc.CopyFrom(newArc);
    EXPECT_TRUE(arc.IsDeleted());
    EXPECT_EQ(arc.Features.size(), 1u);
    EXPECT_TRUE(env.assertions.empty());

    line.CopyFrom(arc);
    EXPECT_TRUE(env.HasAssertion("line"));
    arc.CopyFrom(line);
    EXPECT_TRUE(env.HasAssertion("arc"));
}

// ---- Modifier records ----------------------------------------------------------

using Records = std::initializer_list<dbRecord_Class*>;

TEST(ModifierRecords, TargetsTakeTheirValues) {
    RecordingEnvironment env;
    db_BoolAction mark, restore, other;
    mark.Value = 0;
    restore.Value = 1;
    other.Value = 2;
    db_Observation observation;
    db_Line line;
    db_Arc arc;
    for (dbRecord_Class* target : Records{&observation, &line, &arc}) {
        target->Receive(mark);
        EXPECT_TRUE(target->IsDeleted());
        target->Receive(other);
        EXPECT_TRUE(target->IsDeleted());
        target->Receive(restore);
        EXPECT_FALSE(target->IsDeleted());
    }

    db_Str name;
    name.Value = "renamed";
    static_cast<dbRecord_Class&>(observation).Receive(name);
    EXPECT_EQ(observation.PointName, "renamed");

    db_DBID ref;
    ref.Value = 0x1A;
    db_ECEF ecef;
    db_ECEFDeltas deltas;
    db_Circle circle;
    db_MeanTurnedAngle mta;
    db_Antenna antenna;
    db_TunnelPointDelta point;
    for (dbRecord_Class* target : Records{&ecef, &deltas, &circle, &mta, &antenna, &point})
        target->Receive(ref);
    EXPECT_EQ(ecef.Antenna, 0x1Au);
    EXPECT_EQ(deltas.Antenna, 0x1Au);
    EXPECT_EQ(circle.Target, 0x1Au);
    EXPECT_EQ(mta.Target, 0x1Au);
    EXPECT_EQ(antenna.Equipment, 0x1Au);
    EXPECT_EQ(point.Observation, 0x1Au);
    EXPECT_TRUE(env.assertions.empty());

    // A record without the operation reports it and stays as it was.
    db_Note note;
    dbRecord_Class& plain = note;
    plain.Receive(name);
    plain.Receive(ref);
    plain.Receive(mark);
    EXPECT_EQ(env.assertions.size(), 3u);
}

// ---- Tunnel cross-sections -------------------------------------------------------

TEST(TunnelCrossSection, HoldsCopiesOfItsPointDeltasOutsideItsStoredForm) {
    RecordingEnvironment env;
    db_TunnelCrossSection section;
    section.TunnelName = "North bore";
    section.Station = 1250.5;
    const int32_t bare = Stored(section).Length();
    EXPECT_EQ(bare, 15 + 11 + 8);

    db_TunnelPointDelta first, second;
    first.RecordId = 30;
    first.Delta = 0.1;
    second.RecordId = 31;
    second.Delta = 0.2;
    section.AttachPointDelta(first);
    section.AttachPointDelta(second);
    first.Delta = 9; // the section holds its own copy
    EXPECT_EQ(section.PointDeltaCount(), 2);
    EXPECT_EQ(section.PointDelta(0)->Delta, 0.1);
    EXPECT_EQ(Stored(section).Length(), bare);

    db_TunnelPointDelta replacement;
    replacement.RecordId = 31;
    replacement.TimeStamp = 5;
    replacement.Delta = -1;
    EXPECT_TRUE(section.ReplacePointDelta(31, replacement));
    EXPECT_EQ(section.PointDelta(1)->Delta, -1);
    EXPECT_EQ(section.PointDelta(1)->TimeStamp, 5);
    EXPECT_FALSE(section.ReplacePointDelta(99, replacement));

    int32_t offset = 0;
    const db_TunnelCrossSection back = ReadBack<db_TunnelCrossSection>(Stored(section), offset);
    EXPECT_EQ(back.TunnelName, "North bore");
    EXPECT_EQ(back.Station, 1250.5);
    EXPECT_EQ(back.PointDeltaCount(), 0);

    const std::unique_ptr<dbRecord_Class> clone = section.Clone();
    EXPECT_EQ(static_cast<const db_TunnelCrossSection&>(*clone).PointDeltaCount(), 2);
    EXPECT_TRUE(env.assertions.empty());

    EXPECT_EQ(section.PointDelta(2), nullptr);
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
    const std::unique_ptr<dbRecord_Class> record = CreateRecord(hostile.stored[0] | hostile.stored[1] << 8);
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
