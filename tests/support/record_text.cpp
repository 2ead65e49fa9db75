#include "support/record_text.h"

#include "convert/driver.h"

namespace tqxml {

std::string RecordElementText(const dbRecord_Class& record) {
    Str out;
    WriteRecord(record, out, nullptr);
    return std::string(out.View());
}

} // namespace tqxml
