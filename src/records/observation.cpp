// The observation's measurement.
#include "records/observation.h"

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

} // namespace tqxml
