// The record base classes: the common header, features and descriptions in
// their stored form, and the time stamp of a new record.
#include "records/record.h"

#include "base/environment.h"
#include "platform/system.h"
#include "records/fields.h"

#include <cstring>
#include <iterator>

namespace tqxml {

// ---- Time stamp ----------------------------------------------------------------

namespace {

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
constexpr int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr int64_t kDays1980 = DaysFromCivil(1980, 1, 1);
static_assert(kDays1980 == 3652);

double SecondsSince1980(const LocalDateTime& local) {
    const int64_t days = DaysFromCivil(local.year, local.month, local.day) - kDays1980;
    return static_cast<double>(days * 86400 + local.hour * 3600LL + local.minute * 60LL +
                               local.second);
}

// The stamp is recomputed at most once a second: a replay creates a record
// object per entry, and the local time is far dearer than a tick.
constexpr uint32_t kStampLifetimeTicks = 1000;

} // namespace

double CurrentTimeStamp() {
    // Conversions may run on several threads; each keeps its own cache.
    thread_local bool cached = false;
    thread_local uint32_t cachedTicks = 0;
    thread_local double cachedStamp = 0;
    const uint32_t ticks = MillisecondTicks();
    if (!cached || ticks - cachedTicks >= kStampLifetimeTicks) {
        cachedStamp = SecondsSince1980(CurrentLocalTime());
        cachedTicks = ticks;
        cached = true;
    }
    return cachedStamp;
}

// ---- Common header -------------------------------------------------------------

dbRecord_Class::dbRecord_Class() : TimeStamp(CurrentTimeStamp()) {}

void dbRecord_Class::ReadHeader(const buffer_Class& buffer, int32_t& offset) {
    const uint16_t storedType = buffer.GetUInt16(offset);
    TQ_ASSERT_TEXT(GetType() == static_cast<database_RecordType>(storedType),
                   "this->GetType() == (database_RecordType) buffer.GetUInt16 (byteOffset)");
    RecordId = buffer.GetUInt32(offset);
    TimeStamp = buffer.GetDouble(offset);
    Note = buffer.GetString(offset);
}

void dbRecord_Class::WriteHeader(buffer_Writer& writer) const {
    writer.PutUInt16(GetType());
    writer.PutUInt32(RecordId);
    writer.PutDouble(TimeStamp);
    writer.PutString(Note);
}

std::unique_ptr<dbRecord_Class> dbRecord_Class::Combine(const dbRecord_Class&) const {
    return nullptr;
}

void dbRecord_Class::Receive(const db_BoolAction&) {
    TQ_FAIL("!\"Receive db_BoolAction not supported\"");
}

void dbRecord_Class::Receive(const db_DBID&) {
    TQ_FAIL("!\"Receive db_DBID not supported\"");
}

void dbRecord_Class::Receive(const db_Str&) {
    TQ_FAIL("!\"Receive db_Str not supported\"");
}

// ---- Features and descriptions -------------------------------------------------

namespace {

constexpr uint32_t kMaxFeatures = 100;
// The least a stored feature can take: two empty texts and its attribute count.
constexpr int32_t kMinFeatureBytes = 1 + 1 + 4;
// The least a stored attribute can take: its type and an empty name.
constexpr int32_t kMinAttributeBytes = 2 + 1;

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A damaged count: nothing more of this record can be trusted.
void SkipToEnd(const buffer_Class& buffer, int32_t& offset) {
    if (offset < buffer.Length()) offset = buffer.Length();
}

void ReadAttribute(const buffer_Class& buffer, int32_t& offset, FeatureAttribute& attribute) {
    attribute.Type = buffer.GetUInt16(offset);
    attribute.Name = buffer.GetString(offset);
    switch (attribute.Type) {
    case FEATURE_Numerical:
    case FEATURE_Date:
    case FEATURE_Time:
        attribute.Real = buffer.GetDouble(offset);
        break;
    case FEATURE_Text:
    case FEATURE_File:
        attribute.Text = buffer.GetString(offset);
        break;
    case FEATURE_Menu:
        attribute.ItemIndex = buffer.GetUInt16(offset);
        attribute.Text = buffer.GetString(offset);
        break;
    default: // a separator, or an unknown kind: no value
        break;
    }
}

void WriteAttribute(buffer_Writer& writer, const FeatureAttribute& attribute) {
    writer.PutUInt16(attribute.Type);
    writer.PutString(attribute.Name);
    switch (attribute.Type) {
    case FEATURE_Numerical:
    case FEATURE_Date:
    case FEATURE_Time:
        writer.PutDouble(attribute.Real);
        break;
    case FEATURE_Text:
    case FEATURE_File:
        writer.PutString(attribute.Text);
        break;
    case FEATURE_Menu:
        writer.PutUInt16(attribute.ItemIndex);
        writer.PutString(attribute.Text);
        break;
    default:
        break;
    }
}

void ReadFeature(const buffer_Class& buffer, int32_t& offset, Feature& feature) {
    feature.StringCode = buffer.GetString(offset);
    feature.Name = buffer.GetString(offset);
    const uint32_t numAttribs = buffer.GetUInt32(offset);
    feature.Attributes.clear();
    if (numAttribs > static_cast<uint32_t>(buffer.Remaining(offset) / kMinAttributeBytes)) {
        TQ_FAIL("NumAttribs <= buffer.Remaining (byteOffset) / 3");
        SkipToEnd(buffer, offset);
        return;
    }
    for (uint32_t i = 0; i < numAttribs && !buffer.AtEnd(offset); ++i) {
        FeatureAttribute attribute;
        ReadAttribute(buffer, offset, attribute);
        feature.Attributes.push_back(std::move(attribute));
    }
    TQ_ASSERT_TEXT(feature.Attributes.size() == numAttribs, "AttribCountCheck == this->NumAttribs");
}

void WriteFeature(buffer_Writer& writer, const Feature& feature) {
    writer.PutString(feature.StringCode);
    writer.PutString(feature.Name);
    writer.PutUInt32(static_cast<uint32_t>(feature.Attributes.size()));
    for (const FeatureAttribute& attribute : feature.Attributes)
        WriteAttribute(writer, attribute);
}

} // namespace

bool FeatureAttribute::operator==(const FeatureAttribute& other) const {
    if (Type != other.Type || !(Name == other.Name)) return false;
    switch (Type) {
    case FEATURE_Numerical:
    case FEATURE_Date:
    case FEATURE_Time:
        return SameBits(Real, other.Real);
    case FEATURE_Text:
    case FEATURE_File:
        return Text == other.Text;
    case FEATURE_Menu:
        return ItemIndex == other.ItemIndex && Text == other.Text;
    default:
        return true;
    }
}

void ReadFeatureArray(const buffer_Class& buffer, int32_t& offset, FeatureArray& features) {
    features.clear();
    const uint32_t numFeatures = buffer.GetUInt32(offset);
    if (numFeatures >= kMaxFeatures) {
        TQ_FAIL("NumFeatures < 100");
        SkipToEnd(buffer, offset);
        return;
    }
    if (numFeatures > static_cast<uint32_t>(buffer.Remaining(offset) / kMinFeatureBytes)) {
        TQ_FAIL("NumFeatures <= buffer.Remaining (byteOffset) / 6");
        SkipToEnd(buffer, offset);
        return;
    }
    features.reserve(numFeatures);
    for (uint32_t i = 0; i < numFeatures && !buffer.AtEnd(offset); ++i) {
        Feature feature;
        ReadFeature(buffer, offset, feature);
        features.push_back(std::move(feature));
    }
}

void WriteFeatureArray(buffer_Writer& writer, const FeatureArray& features) {
    TQ_ASSERT_TEXT(features.size() < kMaxFeatures, "NumFeatures < 100");
    writer.PutUInt32(static_cast<uint32_t>(features.size()));
    for (const Feature& feature : features)
        WriteFeature(writer, feature);
}

int32_t EntriesThatFit(const buffer_Class& buffer, int32_t& offset, int64_t count,
                       int32_t leastBytes, const char* text) {
    if (count <= 0) return 0;
    if (count > buffer.Remaining(offset) / leastBytes) {
        TQ_FAIL(text);
        SkipToEnd(buffer, offset);
        return 0;
    }
    return static_cast<int32_t>(count);
}

void dbRecordWithFeatures_Class::ReadWithFeatures(const buffer_Class& buffer, int32_t& offset) {
    ReadHeader(buffer, offset);
    ReadFeatureArray(buffer, offset, Features);
    Descriptions.Description1 = buffer.GetString(offset);
    Descriptions.Description2 = buffer.GetString(offset);
}

void dbRecordWithFeatures_Class::WriteWithFeatures(buffer_Writer& writer) const {
    WriteHeader(writer);
    WriteFeatureArray(writer, Features);
    writer.PutString(Descriptions.Description1);
    writer.PutString(Descriptions.Description2);
}

// ---- Equality ------------------------------------------------------------------

// The stored form after the common header: records are equal when their
// values are, whatever their identifiers, time stamps and notes.
void WriteStoredForm(const dbRecord_Class& record, buffer_Writer& writer) {
    buffer_Writer whole;
    record.Write(whole);
    // type, RecordId, TimeStamp, then the note up to its terminating NUL
    int32_t start = 2 + 4 + 8;
    const uint8_t* data = whole.Data();
    while (start < whole.Length() && data[start] != 0)
        ++start;
    ++start;
    if (start < whole.Length()) writer.PutBytes(data + start, whole.Length() - start);
}

} // namespace tqxml
