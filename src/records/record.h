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

// Stored form of a feature array (count, then the features) and of the two
// descriptions; shared by records with features and the modifier records.
void ReadFeatureArray(const buffer_Class& buffer, int32_t& offset, FeatureArray& features);
void WriteFeatureArray(buffer_Writer& writer, const FeatureArray& features);

// How many entries a stored count stands for, when each entry takes at least
// `leastBytes`: the count (none when it is zero or less) if the rest of the
// entry can hold that many. A larger count is damage: `text` is reported, the
// rest of the entry is skipped and no entry is kept. No count is ever
// trusted for more than the bytes that remain.
int32_t EntriesThatFit(const buffer_Class& buffer, int32_t& offset, int64_t count,
                       int32_t leastBytes, const char* text);

// ---- Records -----------------------------------------------------------------

class db_BoolAction;
class db_DBID;
class db_Str;

class dbRecord_Class {
public:
    dbRecord_Class();
    virtual ~dbRecord_Class() = default;

    db_DBIDValue RecordId = NODBID;
    double TimeStamp;
    Str Note;

    db_DBIDValue GetRecordId() const { return RecordId; }

    // The operations every record offers, in the order of the class table.
    virtual database_RecordType GetType() const = 0;
    virtual Str GetName() const { return Str(); }
    virtual bool IsMeasurement() const { return false; }
    virtual bool IsDeleted() const { return false; }
    virtual bool IsJobSetting() const { return false; }    // first class flag
    virtual bool IsSystemSetting() const { return false; } // second class flag
    virtual bool IsSingletonSetting() const = 0;           // third class flag
    virtual std::unique_ptr<dbRecord_Class> Combine(const dbRecord_Class& other) const;
    virtual bool IsEqual(const dbRecord_Class& other) const = 0;
    virtual void Write(buffer_Writer& writer) const = 0;
    virtual void Read(const buffer_Class& buffer, int32_t& offset) = 0;
    virtual void Receive(const db_BoolAction& action);
    virtual void Receive(const db_DBID& action);
    virtual void Receive(const db_Str& action);
    virtual bool HasFeatures() const { return false; }
    // Copy-from: the journal's replace rule for observations, lines and arcs.
    virtual void CopyFrom(const dbRecord_Class& other) = 0;
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

    bool HasFeatures() const override { return true; }

protected:
    dbRecordWithFeatures_Class() = default;
    dbRecordWithFeatures_Class(const dbRecordWithFeatures_Class&) = default;
    dbRecordWithFeatures_Class& operator=(const dbRecordWithFeatures_Class&) = default;

    // Common header, feature array, then the two descriptions.
    void ReadWithFeatures(const buffer_Class& buffer, int32_t& offset);
    void WriteWithFeatures(buffer_Writer& writer) const;

    // The replace rule of observations, lines and arcs: `self` takes all of
    // `source` but keeps its own identifier and its own features.
    template <class R> static void TakeContentOf(R& self, const R& source) {
        if (&self == &source) return;
        const db_DBIDValue id = self.RecordId;
        FeatureArray features = std::move(self.Features);
        self = source;
        self.RecordId = id;
        self.Features = std::move(features);
    }
};

// The record factory: a new record of the class registered for `type`, with
// no identifier, the current time stamp and no note; null outside 0 to 143.
std::unique_ptr<dbRecord_Class> CreateRecord(uint32_t type);

// The time stamp of a record made now: seconds since 1980-01-01 00:00 local
// time, recomputed at most about once a second.
double CurrentTimeStamp();

} // namespace tqxml
