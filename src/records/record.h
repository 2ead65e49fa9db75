// The record base classes: the common stored header, features and
// descriptions, the operations every record offers, and the record factory.
#pragma once

#include "io/buffer.h"
#include "text/str.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace tqxml {

using db_DBIDValue = uint32_t;
inline constexpr db_DBIDValue NODBID = 0;

enum database_RecordType : uint16_t {
#define TQ_RECORD(type, enumName, className, category, flags) enumName = type,
#include "records/record_types.def"
    // One past the last type: the number of rows of the record table.
    DATABASE_AllRecords = 0
#define TQ_RECORD(type, enumName, className, category, flags) +1
#include "records/record_types.def"
};

// The categories and flags of the record table (record_types.def).
namespace record_table {
enum Category : uint8_t { Plain, Measurement, Modifier, Nested, Attached };
enum Flag : unsigned {
    JobSetting = 1,
    SystemSetting = 2,
    Singleton = 4,
    ReplacedInPlace = 8,
    FeatureTarget = 16,
    ChangesFeatures = 32,
    ChangesDescriptions = 64,
    SilentElsewhere = 128,
};
} // namespace record_table
using RecordCategory = record_table::Category;

struct RecordTypeInfo {
    const char* typeName;  // DATABASE_ name, the element name of the document
    const char* className; // the value of `rec`
    RecordCategory category;
    unsigned flags;
};

inline constexpr RecordTypeInfo kRecordTypes[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, category, flags)                                      \
    {#enumName, #className, record_table::category,                                                \
     [] {                                                                                          \
         using namespace record_table;                                                             \
         return static_cast<unsigned>(flags);                                                      \
     }()},
#include "records/record_types.def"
};

// Whether a number names a record type the factory can make.
constexpr bool IsValidRecordType(uint32_t type) {
    return type < DATABASE_AllRecords;
}

constexpr bool IsRecordCategory(uint32_t type, RecordCategory category) {
    return IsValidRecordType(type) && kRecordTypes[type].category == category;
}

constexpr bool HasRecordFlag(uint32_t type, record_table::Flag flag) {
    return IsValidRecordType(type) && (kRecordTypes[type].flags & flag) != 0;
}

// The class name and the DATABASE_ name of a record type ("" outside 0..143).
constexpr const char* RecordClassName(uint32_t type) {
    return IsValidRecordType(type) ? kRecordTypes[type].className : "";
}
constexpr const char* RecordTypeName(uint32_t type) {
    return IsValidRecordType(type) ? kRecordTypes[type].typeName : "";
}

// Every record class, and the type each is registered under.
template <class R> struct RecordTraits;
#define TQ_RECORD(type, enumName, className, category, flags)                                      \
    class className;                                                                               \
    template <> struct RecordTraits<className> {                                                   \
        static constexpr database_RecordType kType = enumName;                                     \
    };
#include "records/record_types.def"

// What the modifiers change (the TQ_RECEIVE rows of the record table): a
// record of type `target` takes the value of a `modifier` into `field`.
struct ModifierReceiver {
    uint16_t modifier;
    uint16_t target;
    const char* field; // "Measurement": passed on to an observation's measurement
};
inline constexpr ModifierReceiver kModifierReceivers[] = {
#define TQ_RECEIVE(modifier, target, field)                                                        \
    {RecordTraits<modifier>::kType, RecordTraits<target>::kType, #field},
#include "records/record_types.def"
};

// The row for a `modifier` on a record of type `target`; null when the
// target does not take it.
constexpr const ModifierReceiver* FindReceiver(uint32_t modifier, uint32_t target) {
    for (const ModifierReceiver& row : kModifierReceivers)
        if (row.modifier == modifier && row.target == target) return &row;
    return nullptr;
}

// ---- Features and descriptions ---------------------------------------------

enum feature_AttributeType : uint16_t {
    FEATURE_Numerical = 0,
    FEATURE_Text = 1,
    FEATURE_Menu = 2,
    FEATURE_Date = 3,
    FEATURE_Time = 4,
    FEATURE_File = 5,
    FEATURE_Separator = 6,
};

struct FeatureAttribute {
    uint16_t Type = FEATURE_Separator;
    Str Name;
    double Real = 0;        // Numerical, Date, Time
    Str Text;               // Text, File; the item text of a Menu
    uint16_t ItemIndex = 0; // Menu

    bool operator==(const FeatureAttribute& other) const;
};

struct Feature {
    Str StringCode;
    Str Name;
    std::vector<FeatureAttribute> Attributes;

    bool operator==(const Feature& other) const = default;
};

using FeatureArray = std::vector<Feature>;

struct db_DescriptionsValue {
    Str Description1;
    Str Description2;
    bool operator==(const db_DescriptionsValue& other) const = default;
};

// A stored feature array holds fewer features than this.
inline constexpr uint32_t kMaxFeatureCount = 100;
// The least a stored feature can take: two empty texts and its attribute count.
inline constexpr int32_t kLeastFeatureBytes = 1 + 1 + 4;
// The least a stored attribute can take: its type and an empty name.
inline constexpr int32_t kLeastAttributeBytes = 2 + 1;

// A damaged count: nothing more of this record can be trusted.
inline void SkipToEnd(const buffer_Class& buffer, int32_t& offset) {
    if (offset < buffer.Length()) offset = buffer.Length();
}

// The stored feature array, walked once for every use: `out` receives each
// feature (Feature(stringCode, name)), each of its attributes
// (Attribute(type, name, real, text, itemIndex)) and the end of each
// feature. Damage is reported through the buffer; a count the bytes cannot
// hold ends the array (and the record) there.
template <class Out> void WalkFeatureArray(const buffer_Class& buffer, int32_t& offset, Out& out) {
    const uint32_t numFeatures = buffer.GetUInt32(offset);
    if (numFeatures >= kMaxFeatureCount) {
        buffer.ReportDamage("NumFeatures < 100", __FILE__, __LINE__);
        SkipToEnd(buffer, offset);
        return;
    }
    if (numFeatures > static_cast<uint32_t>(buffer.Remaining(offset) / kLeastFeatureBytes)) {
        buffer.ReportDamage("NumFeatures <= buffer.Remaining (byteOffset) / 6", __FILE__, __LINE__);
        SkipToEnd(buffer, offset);
        return;
    }
    for (uint32_t i = 0; i < numFeatures && !buffer.AtEnd(offset); ++i) {
        const std::string_view stringCode = buffer.GetStringView(offset);
        const std::string_view name = buffer.GetStringView(offset);
        out.Feature(stringCode, name);
        const uint32_t numAttribs = buffer.GetUInt32(offset);
        if (numAttribs > static_cast<uint32_t>(buffer.Remaining(offset) / kLeastAttributeBytes)) {
            buffer.ReportDamage("NumAttribs <= buffer.Remaining (byteOffset) / 3", __FILE__,
                                __LINE__);
            SkipToEnd(buffer, offset);
            out.EndFeature();
            return;
        }
        uint32_t read = 0;
        for (; read < numAttribs && !buffer.AtEnd(offset); ++read) {
            const uint16_t type = buffer.GetUInt16(offset);
            const std::string_view attributeName = buffer.GetStringView(offset);
            double real = 0;
            std::string_view text;
            uint16_t itemIndex = 0;
            switch (type) {
            case FEATURE_Numerical:
            case FEATURE_Date:
            case FEATURE_Time:
                real = buffer.GetDouble(offset);
                break;
            case FEATURE_Text:
            case FEATURE_File:
                text = buffer.GetStringView(offset);
                break;
            case FEATURE_Menu:
                itemIndex = buffer.GetUInt16(offset);
                text = buffer.GetStringView(offset);
                break;
            default: // a separator, or an unknown kind: no value
                break;
            }
            out.Attribute(type, attributeName, real, text, itemIndex);
        }
        TQ_STORED_CHECK(buffer, read == numAttribs, "AttribCountCheck == this->NumAttribs");
        out.EndFeature();
    }
}

// Stored form of a feature array (count, then the features) and of the two
// descriptions; shared by records with features and the modifier records.
void ReadFeatureArray(const buffer_Class& buffer, int32_t& offset, FeatureArray& features);
void WriteFeatureArray(buffer_Writer& writer, const FeatureArray& features);
// Reads a stored feature array as ReadFeatureArray does, reporting the same
// damage, and keeps nothing: where it ends and how many features it holds.
int32_t SkipFeatureArray(const buffer_Class& buffer, int32_t& offset);

// How many entries a stored count stands for, when each entry takes at least
// `leastBytes`: the count (none when it is zero or less) if the rest of the
// entry can hold that many. A larger count is damage: `text` is reported, the
// rest of the entry is skipped and no entry is kept. No count is ever
// trusted for more than the bytes that remain.
int32_t EntriesThatFit(const buffer_Class& buffer, int32_t& offset, int64_t count,
                       int32_t leastBytes, const char* text);

// Where the parts of a stored record lie, as offsets into its bytes: the
// common header's time stamp and note, the feature array and the two
// descriptions of a record with features (-1 for others), and the class's
// own fields. Found by reading the header as the record would.
struct StoredRecordParts {
    int32_t timeStamp = 6;
    int32_t note = 14;
    int32_t features = -1;
    int32_t featureCount = 0; // the features a read of the array gives
    int32_t descriptions = -1;
    int32_t fields = 0;
};
StoredRecordParts FindStoredParts(const buffer_Class& record, bool withFeatures);

// Checks the common header (and, `withFeatures`, the feature array and the
// descriptions) of a stored record of type `type` at `offset`, reporting
// through `buffer` what reading it would report; moves `offset` past it.
void CheckStoredHeader(const buffer_Class& buffer, int32_t& offset, uint32_t type,
                       bool withFeatures);

// ---- Records -----------------------------------------------------------------

class dbRecord_Class {
public:
    dbRecord_Class();
    virtual ~dbRecord_Class() = default;

    db_DBIDValue RecordId = NODBID;
    double TimeStamp;
    Str Note;

    db_DBIDValue GetRecordId() const { return RecordId; }

    // The operations every record offers.
    virtual database_RecordType GetType() const = 0;
    virtual bool IsMeasurement() const { return false; }
    // The three constant class queries of the record table; nothing in the
    // conversion asks them, but a record answers them as its class does.
    virtual bool IsJobSetting() const { return false; }
    virtual bool IsSystemSetting() const { return false; }
    virtual bool IsSingletonSetting() const = 0;
    // A record built from this one and another; no class here combines.
    virtual std::unique_ptr<dbRecord_Class> Combine(const dbRecord_Class& other) const;
    virtual void Write(buffer_Writer& writer) const = 0;
    virtual void Read(const buffer_Class& buffer, int32_t& offset) = 0;
    // A new object of the same class with every member copied.
    virtual std::unique_ptr<dbRecord_Class> Clone() const = 0;

protected:
    dbRecord_Class(const dbRecord_Class&) = default;
    dbRecord_Class& operator=(const dbRecord_Class&) = default;

    // The common stored header: type (checked against GetType), RecordId,
    // TimeStamp, note text.
    void ReadHeader(const buffer_Class& buffer, int32_t& offset);
    void WriteHeader(buffer_Writer& writer) const;
};

class dbRecordWithFeatures_Class : public dbRecord_Class {
public:
    db_DescriptionsValue Descriptions;
    FeatureArray Features;

protected:
    dbRecordWithFeatures_Class() = default;
    dbRecordWithFeatures_Class(const dbRecordWithFeatures_Class&) = default;
    dbRecordWithFeatures_Class& operator=(const dbRecordWithFeatures_Class&) = default;

    // Common header, feature array, then the two descriptions.
    void ReadWithFeatures(const buffer_Class& buffer, int32_t& offset);
    void WriteWithFeatures(buffer_Writer& writer) const;
};

// The record factory: a new record of the class registered for `type`, with
// no identifier, the current time stamp and no note; null for a number that
// names no record type.
std::unique_ptr<dbRecord_Class> CreateRecord(uint32_t type);

// Whether records of `type` carry the feature array and the descriptions.
bool HasFeatureArray(uint32_t type);
// Whether the class reads and writes its stored form by hand (ReadOwn):
// such a record is read into an object before it is written anywhere.
bool IsStoredFormKeptByHand(uint32_t type);
// Checks the stored form of a record of `type` that starts at `offset`
// (see Record::CheckStored); moves `offset` to where it ends.
void CheckStoredRecord(uint32_t type, const buffer_Class& buffer, int32_t& offset);
// The `target` takes the value of `modifier` into the field that the record
// table's row for the two names; nothing happens without a row.
void ReceiveModifier(dbRecord_Class& target, const dbRecord_Class& modifier);

// The time stamp of a record made now: seconds since 1980-01-01 00:00 local
// time, recomputed at most about once a second.
double CurrentTimeStamp();

} // namespace tqxml
