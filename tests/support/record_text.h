// A record's element as the walk writes it: the record's fields, its note
// lines and the driver's attributes, laid out as a record at depth 1.
#pragma once

#include "records/record.h"

#include <string>

namespace tqxml {

std::string RecordElementText(const dbRecord_Class& record);

} // namespace tqxml
