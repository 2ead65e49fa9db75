// Design and stake-out records: what was staked and how, the deltas to the
// design, and the stake-out settings and lists.
#pragma once

#include "records/coord.h"
#include "records/job_level.h"

#include <map>
#include <vector>

namespace tqxml {

// One side slope of a staked slope.
struct dbentity_SlopeElement {
    static constexpr const char* kDatatype = "dbentity_SlopeElement";
    int16_t Type = 0;
    double HDist = 0;
    double VDist = 0;
    double SDist = 0;
    double Grade = 0;

    template <class V> void Fields(V& v) {
        v.Enum("Type", Type, dbentity_OffsetElementType);
        v.Real("HDist", HDist);
        v.Real("VDist", VDist);
        v.Real("SDist", SDist);
        v.Real("Grade", Grade);
    }
};

// The tolerances a staked position is checked against.
struct dbconfig_Tolerance {
    static constexpr const char* kDatatype = "dbconfig_Tolerance";
    double HDist = 0;
    double VDist = 0;
    double HorzAngle = 0;
    double VertAngle = 0;
    double SlopeDistance = 0;

    template <class V> void Fields(V& v) {
        v.Real("HDist", HDist);
        v.Real("VDist", VDist);
        v.Real("HorzAngle", HorzAngle);
        v.Real("VertAngle", VertAngle);
        v.Real("SlopeDistance", SlopeDistance);
    }
};

// The stake-out settings.
class db_StakeOut final : public Record<db_StakeOut> {
public:
    int16_t DistanceType = 0;
    int16_t DisplayPointType = 0;
    bool DisplayElevToDTM = false;
    Str TerrainModel;
    double VOffsetToDTM = 0;
    int16_t AsStakedName = 0;
    int16_t AsStakedCode = 0;
    int16_t QualityControl = 0;
    double Duration = 0;
    uint16_t Measurements = 0;
    double HorzAcc = 0;
    double VertAcc = 0;
    double ZoomFactor = 0;
    bool AutoFineMode = false;
    int16_t PointLabels = 0;
    int16_t OrientTo = 0;
    bool GridDeltas = false;
    int16_t GPSDeltas = 0;
    int16_t TSDeltas = 0;
    double TSAngleDeltaTolerance = 0;
    double TSDistanceDeltaTolerance = 0;
    int16_t MapMode = 0;
    int16_t TSViewMode = 0;
    bool DoToleranceCheck = false;
    dbconfig_Tolerance Tolerance;
    uint16_t AutoPointIncr = 0;
    bool AutoSideSlope = false;
    uint16_t UserPerspective = 0;
    Str PointStakeoutStyleSheet;
    Str LineStakeoutStyleSheet;
    Str ArcStakeoutStyleSheet;
    Str DTMStakeoutStyleSheet;
    Str RoadStakeoutStyleSheet;
    Str AlignmentStakeoutStyleSheet;
    bool RemovePointFromList = false;

    template <class V> void Fields(V& v) {
        v.Enum("DistanceType", DistanceType, coordsys_CogoDistance);
        v.Enum("DisplayPointType", DisplayPointType, coord_Type);
        v.Bool("DisplayElevToDTM", DisplayElevToDTM);
        v.Text("TerrainModel", TerrainModel);
        v.Real("VOffsetToDTM", VOffsetToDTM);
        v.Enum("AsStakedName", AsStakedName, dbconfig_AsStaked);
        v.Enum("AsStakedCode", AsStakedCode, dbconfig_AsStaked);
        v.Enum("QualityControl", QualityControl, dbconfig_QualityControl);
        v.Real("Duration", Duration);
        v.Int("Measurements", Measurements, IntForm::Unsigned);
        v.Real("HorzAcc", HorzAcc);
        v.Real("VertAcc", VertAcc);
        v.Real("ZoomFactor", ZoomFactor);
        v.Bool("AutoFineMode", AutoFineMode);
        v.Enum("PointLabels", PointLabels, dbconfig_AsStaked);
        v.Enum("OrientTo", OrientTo, dbconfig_OrientTo);
        v.Bool("GridDeltas", GridDeltas);
        v.Enum("GPSDeltas", GPSDeltas, dbconfig_DeltasMode);
        v.Enum("TSDeltas", TSDeltas, dbconfig_DeltasMode);
        v.Real("TSAngleDeltaTolerance", TSAngleDeltaTolerance);
        v.Real("TSDistanceDeltaTolerance", TSDistanceDeltaTolerance);
        v.Enum("MapMode", MapMode, dbconfig_StakeMapMode);
        v.Enum("TSViewMode", TSViewMode, dbconfig_TSStakeViewMode);
        v.Bool("DoToleranceCheck", DoToleranceCheck);
        v.Struct("Tolerance", Tolerance);
        v.Int("AutoPointIncr", AutoPointIncr, IntForm::Unsigned);
        v.Bool("AutoSideSlope", AutoSideSlope);
        v.Enum("UserPerspective", UserPerspective, dbconfig_StakePerspectiveMode);
        v.Text("PointStakeoutStyleSheet", PointStakeoutStyleSheet);
        v.Text("LineStakeoutStyleSheet", LineStakeoutStyleSheet);
        v.Text("ArcStakeoutStyleSheet", ArcStakeoutStyleSheet);
        v.Text("DTMStakeoutStyleSheet", DTMStakeoutStyleSheet);
        v.Text("RoadStakeoutStyleSheet", RoadStakeoutStyleSheet);
        v.Text("AlignmentStakeoutStyleSheet", AlignmentStakeoutStyleSheet);
        v.Bool("RemovePointFromList", RemovePointFromList);
    }
};

class db_CheckShot final : public Record<db_CheckShot> {
public:
    uint16_t Measurements = 0;
    double Duration = 0;
    double HorzAcc = 0;
    double VertAcc = 0;
    bool AutoRove = false;
    int16_t QualityControl = 0;
    bool StoreChecks = false;

    template <class V> void Fields(V& v) {
        v.Int("Measurements", Measurements, IntForm::Unsigned);
        v.Real("Duration", Duration);
        v.Real("HorzAcc", HorzAcc);
        v.Real("VertAcc", VertAcc);
        v.Bool("AutoRove", AutoRove);
        v.Enum("QualityControl", QualityControl, dbconfig_QualityControl);
        v.Bool("StoreChecks", StoreChecks);
    }
};

class db_QuickMark final : public Record<db_QuickMark> {
public:
    double HorzAcc = 0;
    double VertAcc = 0;
    int16_t QualityControl = 0;
    bool AutoPrecisions = false;

    template <class V> void Fields(V& v) {
        v.Real("HorzAcc", HorzAcc);
        v.Real("VertAcc", VertAcc);
        v.Enum("QualityControl", QualityControl, dbconfig_QualityControl);
        v.Bool("AutoPrecisions", AutoPrecisions);
    }
};

// The differences between a staked position and a linear design.
class db_LinearDeltas final : public Record<db_LinearDeltas> {
public:
    double dChainage = 0;
    double dOffset = 0;
    double dElevation = 0;
    double GradeToLine = 0;

    template <class V> void Fields(V& v) {
        v.Real("dChainage", dChainage);
        v.Real("dOffset", dOffset);
        v.Real("dElevation", dElevation);
        v.Real("GradeToLine", GradeToLine);
    }
};

class db_PointDesign final : public Record<db_PointDesign> {
public:
    Str TheName;
    int16_t StakeMethod = 0;
    Str Code;
    double DesignElevation = 0;
    bool DesignElevationEdited = false;
    double OriginalDesignElevation = 0;

    template <class V> void Fields(V& v) {
        v.Text("TheName", TheName);
        v.Enum("StakeMethod", StakeMethod, dbentity_StakeOutMethod);
        v.Text("Code", Code);
        v.Real("DesignElevation", DesignElevation);
        v.Bool("DesignElevationEdited", DesignElevationEdited);
        v.Real("OriginalDesignElevation", OriginalDesignElevation);
    }
};

// One further design elevation staked at a point. Its values hold no value
// until read.
struct ExtraPointDesignElevation {
    int16_t Index = 0;
    double EditElevDesignElev = 1e308;
    double EditElevVertOffset = 1e308;
    double EditElevCutFill = 1e308;
    Str EditElevDesc;

    template <class V> void Fields(V& v) {
        v.Int("Index", Index, IntForm::Signed);
        v.Real("EditElevDesignElev", EditElevDesignElev);
        v.Real("EditElevVertOffset", EditElevVertOffset);
        v.Real("EditElevCutFill", EditElevCutFill);
        v.Text("EditElevDesc", EditElevDesc);
    }
};

// Stored as an i16 count and the entries; the count is not kept (zero or
// less: no entries).
class db_ExtraPointDesignElevations final : public Record<db_ExtraPointDesignElevations> {
public:
    std::vector<ExtraPointDesignElevation> Elevations;

    template <class V> void Fields(V& v) { v.Element("ExtraPointDesignElevation", Elevations); }

    void ReadOwn(const buffer_Class& buffer, int32_t& offset);
    void WriteOwn(buffer_Writer& writer) const;
};

// The design of a staked line, arc, road, alignment or other linear entity.
class db_LinearDesign final : public Record<db_LinearDesign> {
public:
    int16_t EntityType = 0;
    int16_t StakeMethod = 0;
    Str TheName;
    double Chainage = 0;
    StationEquation EquatedRoadStation;
    uint32_t ChainageClass = 0;
    double Offset = 0;
    double Elevation = 0;
    bool DesignElevationEdited = false;
    double OriginalDesignElevation = 0;
    bool StakedFromElementStartPoint = false;
    double ElementLength = 0;
    Str Code;

    template <class V> void Fields(V& v) {
        v.Enum("EntityType", EntityType, dbentity_StakeOutEntity);
        v.Enum("StakeMethod", StakeMethod, dbentity_StakeOutMethod);
        v.Text("TheName", TheName);
        v.Real("Chainage", Chainage);
        v.Struct("EquatedRoadStation", EquatedRoadStation);
        v.Int("ChainageClass", ChainageClass, IntForm::Hex);
        v.Real("Offset", Offset);
        v.Real("Elevation", Elevation);
        v.Bool("DesignElevationEdited", DesignElevationEdited);
        v.Real("OriginalDesignElevation", OriginalDesignElevation);
        v.Bool("StakedFromElementStartPoint", StakedFromElementStartPoint);
        v.Real("ElementLength", ElementLength);
        v.Text("Code", Code);
    }
};

class db_DTMDesign final : public Record<db_DTMDesign> {
public:
    Str TheName;
    double Elevation = 0;

    template <class V> void Fields(V& v) {
        v.Text("TheName", TheName);
        v.Real("Elevation", Elevation);
    }
};

class db_DTMDeltas final : public Record<db_DTMDeltas> {
public:
    double VDist = 0;

    template <class V> void Fields(V& v) { v.Real("VDist", VDist); }
};

class db_RelativeDTMDeltas final : public Record<db_RelativeDTMDeltas> {
public:
    Str DTMName;
    double VerticalOffset = 0;
    double DeltaElevation = 0;

    template <class V> void Fields(V& v) {
        v.Text("DTMName", DTMName);
        v.Real("VerticalOffset", VerticalOffset);
        v.Real("DeltaElevation", DeltaElevation);
    }
};

class db_SlopeDesign final : public Record<db_SlopeDesign> {
public:
    dbentity_SlopeElement SlopeL;
    dbentity_SlopeElement SlopeR;

    template <class V> void Fields(V& v) {
        v.Struct("SlopeL", SlopeL);
        v.Struct("SlopeR", SlopeR);
    }
};

// The files and points offered for stake-out: file names in slots 0 to 255
// (as the background file list keeps them) and a list of item values. Both
// counts are kept and written as stored.
class db_StakeoutList final : public Record<db_StakeoutList> {
public:
    uint32_t FilenameCount = 0;
    std::map<int32_t, Str> Filenames; // slot -> name; only slots that hold a name
    uint32_t ItemCount = 0;
    std::vector<uint32_t> Uniques;

    template <class V> void Fields(V& v) {
        v.Int("FilenameCount", FilenameCount, IntForm::Unsigned);
        v.List("Filenames", "item", "index", Filenames);
        v.Int("ItemCount", ItemCount, IntForm::Unsigned);
        v.List("Uniques", "item", "n", Uniques);
    }

    void ReadOwn(const buffer_Class& buffer, int32_t& offset);
    void WriteOwn(buffer_Writer& writer) const;
};

} // namespace tqxml
