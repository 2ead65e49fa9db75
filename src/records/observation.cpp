// The observation's measurement, its replace rule and the operations by which
// the journal's modifier records change observations and measurements.
#include "records/observation.h"

#include "records/modifiers.h"

namespace tqxml {

db_ObservationBase::db_ObservationBase(const db_ObservationBase& other)
    : dbRecordWithFeatures_Class(other),
      Measurement(other.Measurement ? other.Measurement->Clone() : nullptr) {}

db_ObservationBase& db_ObservationBase::operator=(const db_ObservationBase& other) {
    if (this != &other) {
        dbRecordWithFeatures_Class::operator=(other);
        Measurement = other.Measurement ? other.Measurement->Clone() : nullptr;
    }
    return *this;
}

void db_ObservationBase::SetMeasurement(const dbRecord_Class& measurement) {
    TQ_ASSERT_TEXT(measurement.IsMeasurement(), "measurement->IsMeasurement ()");
    if (!measurement.IsMeasurement() || &measurement == Measurement.get()) return;
    Measurement = measurement.Clone();
}

void db_ObservationBase::SetMeasurement(std::unique_ptr<dbRecord_Class> measurement) {
    if (!measurement) return;
    TQ_ASSERT_TEXT(measurement->IsMeasurement(), "measurement->IsMeasurement ()");
    if (measurement->IsMeasurement()) Measurement = std::move(measurement);
}

bool db_Observation::IsEqual(const dbRecord_Class&) const {
    TQ_FAIL("!\"Meaningless\"");
    return false;
}

void db_Observation::Receive(const db_BoolAction& action) {
    if (action.Value == 0)
        Deleted = true;
    else if (action.Value == 1)
        Deleted = false;
}

void db_Observation::Receive(const db_Str& action) {
    PointName = action.Value;
}

void db_Observation::CopyFrom(const dbRecord_Class& other) {
    TQ_ASSERT_TEXT(other.GetType() == DATABASE_ObservationRecord, "obs");
    if (other.GetType() != DATABASE_ObservationRecord || &other == this) return;
    std::unique_ptr<dbRecord_Class> ownMeasurement = std::move(Measurement);
    TakeContentOf(*this, static_cast<const db_Observation&>(other));
    Measurement = std::move(ownMeasurement);
}

void db_ECEFDeltas::Receive(const db_DBID& action) {
    Antenna = action.Value;
}
void db_ECEF::Receive(const db_DBID& action) {
    Antenna = action.Value;
}
void db_Circle::Receive(const db_DBID& action) {
    Target = action.Value;
}
void db_MeanTurnedAngle::Receive(const db_DBID& action) {
    Target = action.Value;
}

} // namespace tqxml
