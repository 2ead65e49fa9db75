// Fills records with values from a seeded generator: every field a record
// class declares, its common header (identifier, time stamp, note) and, for
// records with features, the features and descriptions. Values mix ordinary
// ones with edges: empty texts, texts with markup characters and leading or
// trailing spaces, the no-value real 1e308, zero, extreme and non-finite
// reals, enumerated values just outside their tables, unnamed flag bits.
//
// Whatever is filled is a valid stored form: counts kept beside a list agree
// with the list, features stay below 100, fixed texts fit their width. An
// observation's measurement is not filled (the journal stores it as a record
// of its own); fill one with FillRecord and attach it.
#pragma once

#include "records/record.h"

#include <random>

namespace tqxml {

// Fills `record` as its class declares, whatever its type (0 to 143).
void FillRecord(dbRecord_Class& record, std::mt19937_64& random);

} // namespace tqxml
