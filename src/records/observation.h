// Point and observation records: the observation, the measurement records
// that an observation holds, and the keyed-in and offset point records.
#pragma once

#include "records/fields.h"

#include <memory>

namespace tqxml {

// The observation's measurement record: its own copy, released with it and
// copied when the observation is copied.
class db_ObservationBase : public dbRecordWithFeatures_Class {
public:
    std::unique_ptr<dbRecord_Class> Measurement;

    const dbRecord_Class* GetMeasurement() const { return Measurement.get(); }
    // Takes a copy of `measurement` in place of the one held.
    void SetMeasurement(const dbRecord_Class& measurement);

protected:
    db_ObservationBase() = default;
    db_ObservationBase(const db_ObservationBase& other);
    db_ObservationBase& operator=(const db_ObservationBase& other);
};

// The remaining fields of the observation arrive with its record family.
class db_Observation final
    : public Record<db_Observation, db_ObservationBase, DATABASE_ObservationRecord> {
public:
    using dbRecord_Class::Receive;

    Str PointName;
    bool Deleted = false;

    Str GetName() const override { return PointName; }
    bool IsDeleted() const override { return Deleted; }
    // Observations are not compared.
    bool IsEqual(const dbRecord_Class& other) const override;
    void Receive(const db_BoolAction& action) override;
    void Receive(const db_Str& action) override;
    // Replace: takes the other observation's content, keeps its own
    // identifier, features and measurement.
    void CopyFrom(const dbRecord_Class& other) override;
};

// The base of the measurement records, which an observation holds instead
// of the journal chaining them.
class db_Measurement : public dbRecord_Class {
public:
    bool IsMeasurement() const override { return true; }

protected:
    db_Measurement() = default;
    db_Measurement(const db_Measurement&) = default;
    db_Measurement& operator=(const db_Measurement&) = default;
};

// The remaining fields of this measurement arrive with its record family.
class db_ECEFDeltas final
    : public Record<db_ECEFDeltas, db_Measurement, DATABASE_ECEFDeltasRecord> {
public:
    using dbRecord_Class::Receive;

    db_DBIDValue Antenna = NODBID; // the antenna record in use

    void Receive(const db_DBID& action) override;
};

// The remaining fields of this measurement arrive with its record family.
class db_ECEF final : public Record<db_ECEF, db_Measurement, DATABASE_ECEFRecord> {
public:
    using dbRecord_Class::Receive;

    db_DBIDValue Antenna = NODBID; // the antenna record in use

    void Receive(const db_DBID& action) override;
};

class db_ECEFGround final
    : public Record<db_ECEFGround, db_Measurement, DATABASE_ECEFGroundRecord> {};
class db_WGS84 final : public Record<db_WGS84, db_Measurement, DATABASE_WGS84Record> {};
class db_Local final : public Record<db_Local, db_Measurement, DATABASE_LocalRecord> {};
class db_Grid final : public Record<db_Grid, db_Measurement, DATABASE_GridRecord> {};
class db_Polar final : public Record<db_Polar, db_Measurement, DATABASE_PolarRecord> {};
class db_LaserOffset final
    : public Record<db_LaserOffset, db_Measurement, DATABASE_LaserOffsetRecord> {};

// The remaining fields of this measurement arrive with its record family.
class db_Circle final : public Record<db_Circle, db_Measurement, DATABASE_CircleRecord> {
public:
    using dbRecord_Class::Receive;

    db_DBIDValue Target = NODBID; // the target record in use

    void Receive(const db_DBID& action) override;
};

class db_Azimuth final : public Record<db_Azimuth, db_Measurement, DATABASE_AzimuthRecord> {};

// The remaining fields of this measurement arrive with its record family.
class db_MeanTurnedAngle final
    : public Record<db_MeanTurnedAngle, db_Measurement, DATABASE_MeanTurnedAngleRecord> {
public:
    using dbRecord_Class::Receive;

    db_DBIDValue Target = NODBID; // the target record in use

    void Receive(const db_DBID& action) override;
};

class db_PointKeyin final
    : public Record<db_PointKeyin, dbRecord_Class, DATABASE_PointKeyinRecord> {};
class db_PolarDeltas final
    : public Record<db_PolarDeltas, dbRecord_Class, DATABASE_PolarDeltasRecord> {};
class db_Stationing final
    : public Record<db_Stationing, dbRecord_Class, DATABASE_StationingRecord> {};
class db_GridDeltas final
    : public Record<db_GridDeltas, dbRecord_Class, DATABASE_GridDeltasRecord> {};
class db_StationOffset final
    : public Record<db_StationOffset, dbRecord_Class, DATABASE_StationOffsetRecord> {};
class db_GridStdDeviations final
    : public Record<db_GridStdDeviations, dbRecord_Class, DATABASE_GridStdDeviationsRecord> {};

} // namespace tqxml
