// Computation records: lines, arcs, inverses, computed azimuths and
// distances, areas, traverses and transformations.
#pragma once

#include "records/coord.h"
#include "records/fields.h"
#include "records/names.h"

#include <vector>

namespace tqxml {

// A line between two points, or from a point along a bearing.
class db_Line final : public Record<db_Line, dbRecordWithFeatures_Class> {
public:
    Str LineId;
    int16_t Derivation = kBlankDerivation;
    int16_t Method = 0;
    Str OriginPoint;
    Str TargetPoint;
    double BearingAzimuth = 0;
    double BearingLength = 0;
    double BearingGrade = 0;
    bool Deleted = false;

    static constexpr FieldMove kDocumentMoves[] = {
        {"Deleted", "Method"},
        {"BearingAzimuth", "BearingLength"},
    };

    template <class V> void Fields(V& v) {
        v.RecordName("LineId", LineId);
        v.TwoChar("Derivation", Derivation);
        v.Enum("Method", Method, dbentity_LineMethod);
        v.Text("OriginPoint", OriginPoint);
        v.Text("TargetPoint", TargetPoint);
        v.Real("BearingAzimuth", BearingAzimuth);
        v.Real("BearingLength", BearingLength);
        v.Real("BearingGrade", BearingGrade);
        v.Bool("Deleted", Deleted);
        v.Descriptions("Descriptions", Descriptions);
        v.Features("DATABASE_FeaturesRecord", Features);
    }
};

// A circular arc.
class db_Arc final : public Record<db_Arc, dbRecordWithFeatures_Class> {
public:
    Str ArcName;
    int16_t Derivation = kBlankDerivation;
    int16_t Method = 0;
    Str StartPoint;
    Str EndPoint;
    Str CenterPoint;
    int16_t Direction = 0;
    bool LargeArc = false;
    double Radius = 0;
    double TangentAtStart = 0;
    double BackwardTangent = 0;
    double Length = 0;
    double ScribedAngle = 0;
    double Chord = 0;
    double Tangent = 0;
    double Grade = 0;
    bool Deleted = false;

    static constexpr FieldMove kDocumentMoves[] = {{"LargeArc", "Deleted"}};

    template <class V> void Fields(V& v) {
        v.RecordName("ArcName", ArcName);
        v.TwoChar("Derivation", Derivation);
        v.Enum("Method", Method, dbentity_ArcMethod);
        v.Text("StartPoint", StartPoint);
        v.Text("EndPoint", EndPoint);
        v.Text("CenterPoint", CenterPoint);
        v.Enum("Direction", Direction, dbentity_ArcDirection);
        v.Bool("LargeArc", LargeArc);
        ArcValues(v);
        v.Bool("Deleted", Deleted);
        v.Descriptions("Descriptions", Descriptions);
        v.Features("DATABASE_FeaturesRecord", Features);
    }


private:
    // The reals, in the same order in both forms.
    template <class V> void ArcValues(V& v) {
        v.Real("Radius", Radius);
        v.Real("TangentAtStart", TangentAtStart);
        v.Real("BackwardTangent", BackwardTangent);
        v.Real("Length", Length);
        v.Real("ScribedAngle", ScribedAngle);
        v.Real("Chord", Chord);
        v.Real("Tangent", Tangent);
        v.Real("Grade", Grade);
    }
};

// A polar vector from a named source point, with the coordinate geometry
// settings it was computed under. The document puts the settings first.
struct dbentity_Polar {
    static constexpr const char* kDatatype = "dbentity_Polar";
    Str SourcePoint;
    coord_Polar Polar;
    uint16_t CreatedView = 0;

    static constexpr FieldMove kDocumentMoves[] = {{"Polar", "CreatedView"}};

    template <class V> void Fields(V& v) {
        v.Text("SourcePoint", SourcePoint);
        v.Struct("Polar", Polar);
        v.Flags("CreatedView", CreatedView, coordsys_CogoSettings);
    }
};

// The inverse from a source point to a target point.
class db_Inverse final : public Record<db_Inverse> {
public:
    Str TargetPoint;
    dbentity_Polar Result;
    double SlopeDistance = 0;
    double Grade = 0;

    template <class V> void Fields(V& v) {
        v.Text("TargetPoint", TargetPoint);
        v.Struct("Result", Result);
        v.Real("SlopeDistance", SlopeDistance);
        v.Real("Grade", Grade);
    }
};

class db_ComputeAzimuth final : public Record<db_ComputeAzimuth> {
public:
    int16_t AzimuthMethod = 0;
    Str Point1;
    Str Point2;
    Str CornerPoint;
    double Azimuth1 = 0;
    double Azimuth2 = 0;
    double TurnedAngle = 0;
    Str ReferenceLinearEntity;
    bool ReferenceLineDefinedByTwoPoints = false;
    Str ReferenceLinePoint1Name;
    Str ReferenceLinePoint2Name;
    double Stationing = 0;
    double Offset = 0;
    double ComputedAzimuth = 0;
    uint16_t CreatedView = 0;

    template <class V> void Fields(V& v) {
        v.Enum("AzimuthMethod", AzimuthMethod, dbentity_ComputeAzimuthMethod);
        v.Text("Point1", Point1);
        v.Text("Point2", Point2);
        v.Text("CornerPoint", CornerPoint);
        v.Real("Azimuth1", Azimuth1);
        v.Real("Azimuth2", Azimuth2);
        v.Real("TurnedAngle", TurnedAngle);
        v.Text("ReferenceLinearEntity", ReferenceLinearEntity);
        v.Bool("ReferenceLineDefinedByTwoPoints", ReferenceLineDefinedByTwoPoints);
        v.Text("ReferenceLinePoint1Name", ReferenceLinePoint1Name);
        v.Text("ReferenceLinePoint2Name", ReferenceLinePoint2Name);
        v.Real("Stationing", Stationing);
        v.Real("Offset", Offset);
        v.Real("ComputedAzimuth", ComputedAzimuth);
        v.Flags("CreatedView", CreatedView, coordsys_CogoSettings);
    }
};

class db_ComputeDistance final : public Record<db_ComputeDistance> {
public:
    int16_t DistanceMethod = 0;
    Str Point1;
    Str Point2;
    Str ReferenceLinearEntity;
    bool ReferenceLineDefinedByTwoPoints = false;
    Str ReferenceLinePoint1Name;
    Str ReferenceLinePoint2Name;
    double DistanceAlong = 0;
    double ComputedDistance = 0;
    uint16_t CreatedView = 0;

    template <class V> void Fields(V& v) {
        v.Enum("DistanceMethod", DistanceMethod, dbentity_ComputeDistanceMethod);
        v.Text("Point1", Point1);
        v.Text("Point2", Point2);
        v.Text("ReferenceLinearEntity", ReferenceLinearEntity);
        v.Bool("ReferenceLineDefinedByTwoPoints", ReferenceLineDefinedByTwoPoints);
        v.Text("ReferenceLinePoint1Name", ReferenceLinePoint1Name);
        v.Text("ReferenceLinePoint2Name", ReferenceLinePoint2Name);
        v.Real("DistanceAlong", DistanceAlong);
        v.Real("ComputedDistance", ComputedDistance);
        v.Flags("CreatedView", CreatedView, coordsys_CogoSettings);
    }
};

// The area enclosed by a list of points. The stored count comes first and
// the names last; the count is kept and written as stored.
class db_Area final : public Record<db_Area> {
public:
    uint16_t NumberOfPoints = 0;
    uint16_t Method = 0;
    double Area = 0;
    double Perimeter = 0;
    std::vector<Str> ListOfPoints;

    template <class V> void Fields(V& v) {
        v.Int("NumberOfPoints", NumberOfPoints, IntForm::Unsigned);
        v.Flags("Method", Method, coordsys_CogoSettings);
        v.Real("Area", Area);
        v.Real("Perimeter", Perimeter);
        v.List("ListOfPoints", "item", "n", ListOfPoints);
    }

    void ReadOwn(const buffer_Class& buffer, int32_t& offset);
    void WriteOwn(buffer_Writer& writer) const;
};

// The definition of a traverse. Its stations are stored without a count,
// ended by an empty name.
class db_Traverse final : public Record<db_Traverse> {
public:
    Str TraverseName;
    int16_t Derivation = kBlankDerivation;
    bool Deleted = false;
    Str BSPoint;
    double BSAzimuth = 0;
    bool BSAzimuthKeyedIn = false;
    Str FSPoint;
    double FSAzimuth = 0;
    bool FSAzimuthKeyedIn = false;
    std::vector<Str> ListOfStations; // no empty names: an empty one ends the stored list

    template <class V> void Fields(V& v) {
        v.RecordName("TraverseName", TraverseName);
        v.TwoChar("Derivation", Derivation);
        v.Bool("Deleted", Deleted);
        v.Text("BSPoint", BSPoint);
        v.Real("BSAzimuth", BSAzimuth);
        v.Bool("BSAzimuthKeyedIn", BSAzimuthKeyedIn);
        v.Text("FSPoint", FSPoint);
        v.Real("FSAzimuth", FSAzimuth);
        v.Bool("FSAzimuthKeyedIn", FSAzimuthKeyedIn);
        v.List("ListOfStations", "item", "n", ListOfStations);
    }

    void ReadOwn(const buffer_Class& buffer, int32_t& offset);
    void WriteOwn(buffer_Writer& writer) const;
};

// One leg of a traverse: its two points and the polar vector between them.
struct TraverseLeg {
    Str FromPt;
    Str ToPt;
    coord_Polar Polar;

    template <class V> void Fields(V& v) {
        v.Text("FromPt", FromPt);
        v.Text("ToPt", ToPt);
        v.Struct("Polar", Polar);
    }
};

// The closure of a computed traverse. The legs are stored after an i16
// count, which the document does not show.
class db_TraverseClosure final : public Record<db_TraverseClosure> {
public:
    db_DBIDValue TraversePtr = NODBID;
    double AzimuthMisclose = 0;
    double DistanceMisclose = 0;
    double TraverseLength = 0;
    double Precision = 0;
    double DeltaNorth = 0;
    double DeltaEast = 0;
    double DeltaElev = 0;
    int16_t Results = 0;
    std::vector<TraverseLeg> TraverseLegs;

    template <class V> void Fields(V& v) {
        v.Int("TraversePtr", TraversePtr, IntForm::Hex);
        v.Real("AzimuthMisclose", AzimuthMisclose);
        v.Real("DistanceMisclose", DistanceMisclose);
        v.Real("TraverseLength", TraverseLength);
        v.Real("Precision", Precision);
        v.Real("DeltaNorth", DeltaNorth);
        v.Real("DeltaEast", DeltaEast);
        v.Real("DeltaElev", DeltaElev);
        v.Enum("Results", Results, dbentity_TrvResultType);
        v.List("TraverseLegs", "Leg", "n", TraverseLegs);
    }

    void ReadOwn(const buffer_Class& buffer, int32_t& offset);
    void WriteOwn(buffer_Writer& writer) const;
};

class db_TraverseAdjustment final : public Record<db_TraverseAdjustment> {
public:
    int16_t Method = 0;
    int16_t Angle = 0;
    int16_t Elevation = 0;

    template <class V> void Fields(V& v) {
        v.Enum("Method", Method, dbentity_TrvAdjustmentMethod);
        v.Enum("Angle", Angle, dbentity_TrvAdjustmentType);
        v.Enum("Elevation", Elevation, dbentity_TrvAdjustmentType);
    }
};

// A rotation, scaling and translation applied to points. The origins and the
// translation are written as flat children named after their members.
class db_CogoTransformation final : public Record<db_CogoTransformation> {
public:
    bool Rotated = false;
    double rotationAngle = 0;
    Str rotationOrigin;
    coord_CorrectedGrid rotationOriginGrid;
    bool Scaled = false;
    double scaleFactor = 0;
    Str scaleOrigin;
    coord_CorrectedGrid scaleOriginGrid;
    bool Translated = false;
    int16_t translationMethod = 0;
    coord_GridDeltas translation;
    Str translationFrom;
    Str translationTo;
    int32_t pointsTransformed = 0;

    template <class V> void Fields(V& v) {
        v.Bool("Rotated", Rotated);
        v.Real("rotationAngle", rotationAngle);
        v.Text("rotationOrigin", rotationOrigin);
        v.Real("rotationOriginGrid.North", rotationOriginGrid.North);
        v.Real("rotationOriginGrid.East", rotationOriginGrid.East);
        v.Real("rotationOriginGrid.Elev", rotationOriginGrid.Elev);
        v.Bool("Scaled", Scaled);
        v.Real("scaleFactor", scaleFactor);
        v.Text("scaleOrigin", scaleOrigin);
        v.Real("scaleOriginGrid.North", scaleOriginGrid.North);
        v.Real("scaleOriginGrid.East", scaleOriginGrid.East);
        v.Real("scaleOriginGrid.Elev", scaleOriginGrid.Elev);
        v.Bool("Translated", Translated);
        v.Enum("translationMethod", translationMethod, dbentity_CogoTranslationMethod);
        v.Real("translation.dNorth", translation.dNorth);
        v.Real("translation.dEast", translation.dEast);
        v.Real("translation.dElev", translation.dElev);
        v.Text("translationFrom", translationFrom);
        v.Text("translationTo", translationTo);
        v.Int("pointsTransformed", pointsTransformed, IntForm::Signed);
    }
};

} // namespace tqxml
