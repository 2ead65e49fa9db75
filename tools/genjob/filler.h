// Fills every declared field of a record with seeded random values. Two
// profiles share one visitor over the records' field lists:
//
//   Realistic  survey-like values (names, coordinates, angles, small counts)
//              with the document's edge values mixed in now and then: the
//              generator uses it for sample and benchmark jobs.
//   Edge       edges most of the time: empty texts, markup characters,
//              leading and trailing spaces, control and high bytes, the
//              no-value real 1e308, zero, -0, extreme and non-finite reals,
//              integer extremes, enumerated values just outside their
//              tables, unnamed flag bits, unnamed feature attribute kinds.
//              The property tests use it, with the common header filled too.
//
// Whatever is filled is a valid stored form: counts kept beside a list agree
// with it, features stay below 100, fixed texts fit their width. An
// observation's measurement is not filled (the journal stores it as a record
// of its own).
#pragma once

#include "records/record.h"

#include <cstdint>
#include <random>

namespace tqxml::genjob {

enum class FillProfile { Realistic, Edge };

class RecordFiller {
public:
    RecordFiller(std::mt19937_64& random, FillProfile profile)
        : random_(random), profile_(profile) {}

    // Fills the fields `record` declares (records without a field list keep
    // their defaults); with `withHeader`, its identifier, time stamp and note
    // as well.
    void Fill(dbRecord_Class& record, bool withHeader = false);

    Str Text(int32_t most);
    Str Note();
    double Real();
    FeatureArray Features();
    uint64_t Below(uint64_t n) { return n ? random_() % n : 0; }
    bool Chance(uint64_t percent) { return Below(100) < percent; }
    std::mt19937_64& Random() { return random_; }
    FillProfile Profile() const { return profile_; }

private:
    std::mt19937_64& random_;
    FillProfile profile_;
};

} // namespace tqxml::genjob

namespace tqxml {

// The property tests' form: every field and the common header, edge profile.
void FillRecord(dbRecord_Class& record, std::mt19937_64& random);

} // namespace tqxml
