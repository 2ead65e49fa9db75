// The record factory: the one place that knows every record class, made from
// the record table.
#include "records/all_records.h"

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
static_assert(RecordTypesRunInOrder(), "every record type from 0 to 143, once, in order");

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

} // namespace tqxml
