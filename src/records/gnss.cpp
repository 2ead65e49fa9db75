// The GNSS records' receiving operations.
#include "records/gnss.h"

#include "records/modifiers.h"

namespace tqxml {

void db_Antenna::Receive(const db_DBID& action) {
    Equipment = action.Value;
}

} // namespace tqxml
