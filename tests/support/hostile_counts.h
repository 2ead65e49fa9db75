// Stored records whose counts or slots claim more than their bytes hold. A
// read of each ends with its bytes and goes no further, keeps what the bytes
// do hold, and sets nothing aside for the claim.
#pragma once

#include "records/record.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tqxml {

struct HostileRecord {
    const char* name;
    std::vector<uint8_t> stored; // common header (type, identifier, stamp, note) included
    bool attached;               // a change for record 1 rather than a record of its own
    std::function<bool(const dbRecord_Class&)> keeps; // what the read must have kept
    bool reported = true;                             // the read reports the damage
};

// Identifiers 2 and up, for a job whose record 1 is an observation.
const std::vector<HostileRecord>& HostileRecords();

} // namespace tqxml
