// A record's element as the walk writes it, through the element tree: the
// writer's element, note lines, the driver's attributes, laid out as a record
// at depth 1.
#pragma once

#include "records/record.h"

#include <string>

namespace tqxml {

std::string TreeRecordText(const dbRecord_Class& record);

} // namespace tqxml
