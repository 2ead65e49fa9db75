#include "support/hostile_counts.h"

#include "io/buffer.h"
#include "records/job_level.h"
#include "records/modifiers.h"
#include "records/observation.h"

namespace tqxml {
namespace {

// A record's stored form: its common header, then what `own` puts.
template <class Own> std::vector<uint8_t> Stored(uint16_t type, db_DBIDValue id, Own own) {
    buffer_Writer writer;
    writer.PutUInt16(type);
    writer.PutUInt32(id);
    writer.PutDouble(id * 10.0);
    writer.PutString("");
    own(writer);
    return std::vector<uint8_t>(writer.Data(), writer.Data() + writer.Length());
}

// One feature "C" "N" claiming `attributes`, followed by a text attribute.
void OneFeature(buffer_Writer& w, uint32_t attributes) {
    w.PutUInt32(1);
    w.PutString("C");
    w.PutString("N");
    w.PutUInt32(attributes);
    w.PutUInt16(FEATURE_Text);
    w.PutString("n");
    w.PutString("abcdefgh");
}

// Whether the features of a point or of a feature update hold `counts` attributes.
bool AttributeCounts(const dbRecord_Class& record, std::vector<size_t> counts) {
    const auto* point = dynamic_cast<const db_Observation*>(&record);
    std::vector<size_t> actual;
    for (const Feature& feature :
         point ? point->Features : dynamic_cast<const db_Features&>(record).Features)
        actual.push_back(feature.Attributes.size());
    return actual == counts;
}

const FileSlots& SlotsOf(const dbRecord_Class& record) {
    return dynamic_cast<const db_BackgroundFileList&>(record).Filenames;
}

} // namespace

const std::vector<HostileRecord>& HostileRecords() {
    using W = buffer_Writer&;
    using R = const dbRecord_Class&;
    static const std::vector<HostileRecord> records = {
        {"PointClaimingAllTheFeatures",
         Stored(DATABASE_ObservationRecord, 2,
                [](W w) { w.PutUInt32(0xFFFFFFFFu), w.PutString("xy"); }),
         false, [](R r) { return AttributeCounts(r, {}); }},
        {"FeatureUpdateClaimingFeaturesAndHoldingNone",
         Stored(DATABASE_FeaturesRecord, 3, [](W w) { w.PutUInt32(99); }), true,
         [](R r) { return AttributeCounts(r, {}); }},
        {"FeatureClaimingAllTheAttributes",
         Stored(DATABASE_FeaturesRecord, 4, [](W w) { OneFeature(w, 0x7FFFFFFFu); }), true,
         [](R r) { return AttributeCounts(r, {0}); }},
        {"AttributesEndingBeforeTheirCount",
         Stored(DATABASE_FeaturesRecord, 5, [](W w) { OneFeature(w, 3); }), true,
         [](R r) { return AttributeCounts(r, {1}); }},
        {"ForeignDataClaimingAllTheBytes",
         Stored(
             DATABASE_ForeignRecord, 6,
             [](W w) { w.PutString("blob"), w.PutUInt32(0xFFFFFFFFu), w.PutUInt32(0x01020304); }),
         false,
         [](R r) {
             return dynamic_cast<const db_Foreign&>(r).Data == std::vector<uint8_t>{4, 3, 2, 1};
         }},
        {"FileListClaimingAllTheNames",
         Stored(DATABASE_BackgroundFileListRecord, 7,
                [](W w) { w.PutInt32(0x7FFFFFFF), w.PutInt32(1), w.PutString("one"); }),
         false,
         [](R r) {
             return dynamic_cast<const db_BackgroundFileList&>(r).FilenameCount == 0x7FFFFFFF &&
                    SlotsOf(r) == FileSlots{{1, "one"}};
         },
         false},
        // Slots outside 0 to 255 are skipped; a slot named twice keeps the last name.
        {"FileListWithSlotsOutsideTheList",
         Stored(DATABASE_BackgroundFileListRecord, 8,
                [](W w) {
                    w.PutInt32(5);
                    for (auto [slot, name] : {std::pair<int32_t, const char*>{7, "first"},
                                              {256, "lost"},
                                              {-1, "lost too"},
                                              {2, "two"},
                                              {7, "second"}})
                        w.PutInt32(slot), w.PutString(name);
                }),
         false,
         [](R r) {
             return SlotsOf(r) == FileSlots{{2, "two"}, {7, "second"}};
         }},
        // A feature takes at least six bytes: two of them do not fit in eleven.
        {"PointClaimingTwoFeaturesInElevenBytes",
         Stored(DATABASE_ObservationRecord, 9,
                [](W w) { w.PutUInt32(2), w.PutBytes("\0\0\0\0\0\0\0\0\0\0", 11); }),
         false, [](R r) { return AttributeCounts(r, {}); }},
    };
    return records;
}

} // namespace tqxml
