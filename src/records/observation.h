// Point and observation records: the observation, the measurement records
// that an observation holds, and the keyed-in and offset point records.
#pragma once

#include "records/coord.h"
#include "records/fields.h"
#include "records/names.h"

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
    // The same, taking the record itself instead of a copy of it.
    void SetMeasurement(std::unique_ptr<dbRecord_Class> measurement);

protected:
    db_ObservationBase() = default;
    db_ObservationBase(const db_ObservationBase& other);
    db_ObservationBase& operator=(const db_ObservationBase& other);
};

// A named point and how it was derived. The observation holds at most one
// measurement record, written as its last child.
class db_Observation final
    : public Record<db_Observation, db_ObservationBase> {
public:
    Str PointName;
    int16_t Derivation = kBlankDerivation;
    int16_t Method = 0;
    int16_t SurveyMethod = 0;
    int16_t Classification = -1; // "None"
    bool Deleted = false;

    template <class V> void Fields(V& v) {
        v.RecordName("PointName", PointName);
        v.TwoChar("Derivation", Derivation);
        v.Enum("Method", Method, dbentity_PointMethod);
        v.Enum("SurveyMethod", SurveyMethod, dbentity_SurveyMethod);
        v.Enum("Classification", Classification, db_PointClassification);
        v.Bool("Deleted", Deleted);
        v.Descriptions("Descriptions", Descriptions);
        v.Features("DATABASE_FeaturesRecord", Features);
        v.Measurement(GetMeasurement());
    }
};

// The base of the measurement records, which an observation holds instead
// of the journal chaining them. They are written only inside their
// observation.
class db_Measurement : public dbRecord_Class {
protected:
    db_Measurement() = default;
    db_Measurement(const db_Measurement&) = default;
    db_Measurement& operator=(const db_Measurement&) = default;
};

class db_ECEFDeltas final
    : public Record<db_ECEFDeltas, db_Measurement> {
public:
    coord_ECEFDeltas ECEFDeltas;
    db_DBIDValue Reference = NODBID;
    db_DBIDValue Antenna = NODBID; // the antenna record in use

    template <class V> void Fields(V& v) {
        v.Struct("ECEFDeltas", ECEFDeltas);
        v.Int("Reference", Reference, IntForm::Hex);
        v.Int("Antenna", Antenna, IntForm::Hex);
    }
};

class db_ECEF final : public Record<db_ECEF, db_Measurement> {
public:
    coord_ECEF ECEF;
    db_DBIDValue Antenna = NODBID; // the antenna record in use

    template <class V> void Fields(V& v) {
        v.Struct("ECEF", ECEF);
        v.Int("Antenna", Antenna, IntForm::Hex);
    }
};

class db_ECEFGround final
    : public Record<db_ECEFGround, db_Measurement> {
public:
    coord_ECEFGround ECEFGround;

    template <class V> void Fields(V& v) { v.Struct("ECEFGround", ECEFGround, "coord_ECEF"); }
};

class db_WGS84 final : public Record<db_WGS84, db_Measurement> {
public:
    coord_WGS84 WGS84;

    template <class V> void Fields(V& v) { v.Struct("WGS84", WGS84); }
};

class db_Local final : public Record<db_Local, db_Measurement> {
public:
    coord_Local Local;

    template <class V> void Fields(V& v) { v.Struct("Local", Local); }
};

class db_Grid final : public Record<db_Grid, db_Measurement> {
public:
    coord_CorrectedGrid Grid;

    template <class V> void Fields(V& v) { v.Struct("Grid", Grid); }
};

class db_Polar final : public Record<db_Polar, db_Measurement> {
public:
    Str SourcePoint;
    coord_Polar Polar;
    uint16_t CreatedView = 0;

    template <class V> void Fields(V& v) {
        v.Text("SourcePoint", SourcePoint);
        v.Struct("Polar", Polar);
        v.Flags("CreatedView", CreatedView, coordsys_CogoSettings);
    }
};

class db_LaserOffset final
    : public Record<db_LaserOffset, db_Measurement> {
public:
    db_DBIDValue BasePoint = NODBID;
    coord_LaserOffset LaserOffset;
    db_DBIDValue LaserHeight = NODBID;
    db_DBIDValue TargetHeight = NODBID;
    db_DBIDValue MagneticDeclination = NODBID;
    uint16_t CreatedView = 0;

    template <class V> void Fields(V& v) {
        v.Int("BasePoint", BasePoint, IntForm::Hex);
        v.Struct("LaserOffset", LaserOffset);
        v.Int("LaserHeight", LaserHeight, IntForm::Hex);
        v.Int("TargetHeight", TargetHeight, IntForm::Hex);
        v.Int("MagneticDeclination", MagneticDeclination, IntForm::Hex);
        v.Flags("CreatedView", CreatedView, coordsys_CogoSettings);
    }
};

class db_Circle final : public Record<db_Circle, db_Measurement> {
public:
    coord_Circle Circle;
    db_DBIDValue Station = NODBID;
    db_DBIDValue Target = NODBID; // the target record in use
    db_DBIDValue BackBearing = NODBID;
    uint16_t CreatedView = 0;

    template <class V> void Fields(V& v) {
        v.Struct("Circle", Circle);
        v.Int("Station", Station, IntForm::Hex);
        v.Int("Target", Target, IntForm::Hex);
        v.Int("BackBearing", BackBearing, IntForm::Hex);
        v.Flags("CreatedView", CreatedView, coordsys_CogoSettings);
    }
};

class db_Azimuth final : public Record<db_Azimuth, db_Measurement> {
public:
    Str SourcePoint;
    double Azimuth = 0;
    uint16_t CreatedView = 0;

    template <class V> void Fields(V& v) {
        v.Text("SourcePoint", SourcePoint);
        v.Real("Azimuth", Azimuth);
        v.Flags("CreatedView", CreatedView, coordsys_CogoSettings);
    }
};

class db_MeanTurnedAngle final
    : public Record<db_MeanTurnedAngle, db_Measurement> {
public:
    coord_MTA MTA;
    db_DBIDValue Station = NODBID;
    db_DBIDValue Target = NODBID; // the target record in use
    db_DBIDValue BackBearing = NODBID;
    uint16_t CreatedView = 0;

    template <class V> void Fields(V& v) {
        v.Struct("MTA", MTA);
        v.Int("Station", Station, IntForm::Hex);
        v.Int("Target", Target, IntForm::Hex);
        v.Int("BackBearing", BackBearing, IntForm::Hex);
        v.Flags("CreatedView", CreatedView, coordsys_CogoSettings);
    }
};

// ---- Point records ---------------------------------------------------------------

// A point keyed in, or computed by a method of dbentity_PointMethod from up
// to four other points.
class db_PointKeyin final
    : public Record<db_PointKeyin> {
public:
    int16_t Method = 0;
    Str PointOne;
    Str PointTwo;
    Str PointThree;
    Str PointFour;
    double AzimuthOne = 0;
    double DistanceOne = 0;
    double AzimuthTwo = 0;
    double DistanceTwo = 0;
    double TurnedAngle = 0;
    double VOffset = 0;
    int16_t BearingDistanceAzimuthType = 0;
    uint16_t CreatedView = 0;
    int16_t DirectionAlongLine = 0;
    coord_Circle VerticalPlaneIntersectionRay;

    template <class V> void Fields(V& v) {
        v.Enum("Method", Method, dbentity_PointMethod);
        v.Text("PointOne", PointOne);
        v.Text("PointTwo", PointTwo);
        v.Text("PointThree", PointThree);
        v.Text("PointFour", PointFour);
        v.Real("AzimuthOne", AzimuthOne);
        v.Real("DistanceOne", DistanceOne);
        v.Real("AzimuthTwo", AzimuthTwo);
        v.Real("DistanceTwo", DistanceTwo);
        v.Real("TurnedAngle", TurnedAngle);
        v.Real("VOffset", VOffset);
        v.Enum("BearingDistanceAzimuthType", BearingDistanceAzimuthType, dbentity_AzimuthType);
        v.Flags("CreatedView", CreatedView, coordsys_CogoSettings);
        v.Enum("DirectionAlongLine", DirectionAlongLine, dbentity_DirectionAlongLine);
        v.Struct("VerticalPlaneIntersectionRay", VerticalPlaneIntersectionRay);
    }
};

class db_PolarDeltas final
    : public Record<db_PolarDeltas> {
public:
    coord_Polar Polar;

    template <class V> void Fields(V& v) { v.Struct("Polar", Polar); }
};

class db_Stationing final
    : public Record<db_Stationing> {
public:
    double Start = 0;
    double Increment = 0;

    template <class V> void Fields(V& v) {
        v.Real("Start", Start);
        v.Real("Increment", Increment);
    }
};

class db_GridDeltas final
    : public Record<db_GridDeltas> {
public:
    coord_GridDeltas GridDeltas;

    template <class V> void Fields(V& v) { v.Struct("GridDeltas", GridDeltas); }
};

// A position by station and offset along a named entity.
class db_StationOffset final
    : public Record<db_StationOffset> {
public:
    int16_t EntityType = 0;
    Str EntityName;
    double Station = 0;
    StationEquation EquatedRoadStation;
    double Offset = 0;
    double VDist = 0;
    Str Code;

    template <class V> void Fields(V& v) {
        v.Enum("EntityType", EntityType, dbentity_StakeOutEntity);
        v.Text("EntityName", EntityName);
        v.Real("Station", Station);
        v.Struct("EquatedRoadStation", EquatedRoadStation);
        v.Real("Offset", Offset);
        v.Real("VDist", VDist);
        v.Text("Code", Code);
    }
};

// Standard deviations of north, east and elevation.
class db_GridStdDeviations final
    : public Record<db_GridStdDeviations> {
public:
    coord_CorrectedGrid StdDev;

    template <class V> void Fields(V& v) { v.Struct("StdDev", StdDev); }
};

} // namespace tqxml
