// The record factory and the other questions only the full set of record
// classes can answer, made from the record table.
#include "records/all_records.h"

#include <cstring>
#include <type_traits>

namespace tqxml {
namespace {

// Each class reports the type it is registered under, and its table row
// lists the types in number order without gaps.
#define TQ_RECORD(type, enumName, className, category, flags)                                      \
    static_assert(className::kType == (type) && (type) == enumName);
#include "records/record_types.def"

constexpr bool RecordTypesRunInOrder() {
    uint32_t next = 0;
#define TQ_RECORD(type, enumName, className, category, flags)                                      \
    if ((type) != next++) return false;
#include "records/record_types.def"
    return next == DATABASE_AllRecords;
}
static_assert(RecordTypesRunInOrder(), "every record type from 0 to the last, once, in order");

struct ClassFacts {
    bool hasFeatures;
    bool readByHand;
    void (*checkStored)(const buffer_Class&, int32_t&);
};

constexpr ClassFacts kClassFacts[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, category, flags)                                      \
    {className::kHasFeatures, HasReadOwn<className>, &className::CheckStored},
#include "records/record_types.def"
};

// Sets the field `field` of the top level of a record's list to `value`,
// where the field's kind takes such a value: a flag, a number or a text.
template <class Value> class FieldAssigner : public DocumentOnlyCalls {
public:
    FieldAssigner(const char* field, const Value& value) : field_(field), value_(value) {}

    void Text(const char* name, Str& member) { Assign(name, member); }
    void RecordName(const char* name, Str& member) { Assign(name, member); }
    void Bool(const char* name, bool& member) { Assign(name, member); }
    template <class T> void Bool(const char* name, T& member) { Assign(name, member); }
    template <class T> void Int(const char* name, T& member, IntForm) { Assign(name, member); }
    template <class... A> void FixedText(A&&...) {}
    template <class... A> void ElementText(A&&...) {}
    template <class... A> void Real(A&&...) {}
    template <class... A> void Enum(A&&...) {}
    template <class... A> void Flags(A&&...) {}
    template <class... A> void TwoChar(A&&...) {}
    template <class... A> void Struct(A&&...) {}

    bool Assigned() const { return assigned_; }

private:
    template <class Member> void Assign(const char* name, Member& member) {
        if (std::strcmp(name, field_) != 0) return;
        if constexpr (std::is_same_v<Member, Str> == std::is_same_v<Value, Str>) {
            member = static_cast<Member>(value_);
            assigned_ = true;
        }
    }

    const char* field_;
    const Value& value_;
    bool assigned_ = false;
};

template <class Target, class Modifier>
bool Receive(dbRecord_Class& target, const dbRecord_Class& modifier, const char* field) {
    bool assigned = false;
    static_cast<const Modifier&>(modifier).Give([&](const auto& value) {
        FieldAssigner assigner(field, value);
        static_cast<Target&>(target).Fields(assigner);
        assigned = assigner.Assigned();
    });
    return assigned;
}

} // namespace

std::unique_ptr<dbRecord_Class> CreateRecord(uint32_t type) {
    switch (type) {
#define TQ_RECORD(type, enumName, className, category, flags)                                      \
    case type:                                                                                     \
        return std::make_unique<className>();
#include "records/record_types.def"
    default:
        return nullptr;
    }
}

bool HasFeatureArray(uint32_t type) {
    return IsValidRecordType(type) && kClassFacts[type].hasFeatures;
}

bool IsStoredFormKeptByHand(uint32_t type) {
    return IsValidRecordType(type) && kClassFacts[type].readByHand;
}

void CheckStoredRecord(uint32_t type, const buffer_Class& buffer, int32_t& offset) {
    if (IsValidRecordType(type)) kClassFacts[type].checkStored(buffer, offset);
}

void ReceiveModifier(dbRecord_Class& target, const dbRecord_Class& modifier) {
    const uint32_t targetType = target.GetType();
    const uint32_t modifierType = modifier.GetType();
#define TQ_RECEIVE(modifierClass, targetClass, field)                                              \
    if (modifierType == modifierClass::kType && targetType == targetClass::kType &&                \
        std::strcmp(#field, "Measurement") != 0) {                                                 \
        Receive<targetClass, modifierClass>(target, modifier, #field);                             \
        return;                                                                                    \
    }
#include "records/record_types.def"
}

} // namespace tqxml
