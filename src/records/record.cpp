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
    TQ_STORED_CHECK(buffer, GetType() == static_cast<database_RecordType>(storedType),
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

// ---- Features and descriptions -------------------------------------------------

namespace {


bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}


Str ToStr(std::string_view text) {
    return Str(text.data(), static_cast<int32_t>(text.size()));
}

struct FeatureBuilder {
    FeatureArray& features;
    void Feature(std::string_view stringCode, std::string_view name) {
        features.push_back({ToStr(stringCode), ToStr(name), {}});
    }
    void Attribute(uint16_t type, std::string_view name, double real, std::string_view text,
                   uint16_t itemIndex) {
        features.back().Attributes.push_back({type, ToStr(name), real, ToStr(text), itemIndex});
    }
    void EndFeature() {}
};

struct FeatureCounter {
    int32_t count = 0;
    void Feature(std::string_view, std::string_view) { ++count; }
    void Attribute(uint16_t, std::string_view, double, std::string_view, uint16_t) {}
    void EndFeature() {}
};

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
    FeatureBuilder builder{features};
    WalkFeatureArray(buffer, offset, builder);
}

int32_t SkipFeatureArray(const buffer_Class& buffer, int32_t& offset) {
    FeatureCounter counter;
    WalkFeatureArray(buffer, offset, counter);
    return counter.count;
}

void WriteFeatureArray(buffer_Writer& writer, const FeatureArray& features) {
    TQ_ASSERT_TEXT(features.size() < kMaxFeatureCount, "NumFeatures < 100");
    writer.PutUInt32(static_cast<uint32_t>(features.size()));
    for (const Feature& feature : features)
        WriteFeature(writer, feature);
}

int32_t EntriesThatFit(const buffer_Class& buffer, int32_t& offset, int64_t count,
                       int32_t leastBytes, const char* text) {
    if (count <= 0) return 0;
    if (count > buffer.Remaining(offset) / leastBytes) {
        buffer.ReportDamage(text, __FILE__, __LINE__);
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

// ---- The parts of a stored record ---------------------------------------------

void CheckStoredHeader(const buffer_Class& buffer, int32_t& offset, uint32_t type,
                       bool withFeatures) {
    const uint16_t storedType = buffer.GetUInt16(offset);
    TQ_STORED_CHECK(buffer, type == storedType,
                    "this->GetType() == (database_RecordType) buffer.GetUInt16 (byteOffset)");
    buffer.GetUInt32(offset);
    buffer.GetDouble(offset);
    buffer.GetStringView(offset);
    if (!withFeatures) return;
    SkipFeatureArray(buffer, offset);
    buffer.GetStringView(offset);
    buffer.GetStringView(offset);
}

StoredRecordParts FindStoredParts(const buffer_Class& record, bool withFeatures) {
    StoredRecordParts parts;
    int32_t offset = 2 + 4 + 8; // type, identifier, time stamp
    record.GetStringView(offset);
    if (withFeatures) {
        parts.features = offset;
        parts.featureCount = SkipFeatureArray(record, offset);
        parts.descriptions = offset;
        record.GetStringView(offset);
        record.GetStringView(offset);
    }
    parts.fields = offset;
    return parts;
}

} // namespace tqxml
