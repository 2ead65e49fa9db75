// Coordinate-system records: the definition records, corrections, the chosen
// system and its switches, site calibration.
#pragma once

#include "records/coord.h"
#include "records/fields.h"
#include "records/names.h"

namespace tqxml {

// ---- The geodetic model ------------------------------------------------------

// The ground-scale factor of a projection or a coordinate system.
struct coordsys_GroundScale {
    static constexpr const char* kDatatype = "coordsys_GroundScale";
    int16_t Type = 0;
    double Factor = 0;
    coord_Local ProjectLocation;
    double NorthingOffset = 0;
    double EastingOffset = 0;
    double NorthingDelta = 0;
    double EastingDelta = 0;

    template <class V> void Fields(V& v) {
        v.Enum("Type", Type, coordsys_GroundScaleFactorType);
        v.Real("Factor", Factor);
        v.Struct("ProjectLocation", ProjectLocation);
        v.Real("NorthingOffset", NorthingOffset);
        v.Real("EastingOffset", EastingOffset);
        v.Real("NorthingDelta", NorthingDelta);
        v.Real("EastingDelta", EastingDelta);
    }
};

// Semi-major axis and flattening (the fraction, not its inverse).
struct coordsys_Ellipsoid {
    static constexpr const char* kDatatype = "coordsys_Ellipsoid";
    static constexpr const char* kElement = "Ellipsoid";
    double EarthRadius = 0;
    double Flattening = 0;

    template <class V> void Fields(V& v) {
        v.Real("EarthRadius", EarthRadius);
        v.Real("Flattening", Flattening);
    }
};

// The transformation to the local datum and the local ellipsoid; a new one
// holds the WGS-84 ellipsoid, no rotation or shift and scale 1.
struct coordsys_Datum {
    static constexpr const char* kDatatype = "coordsys_Datum";
    static constexpr const char* kElement = "Datum";
    int16_t DatumType = 0;
    double EarthRadius = 6378137.0;
    double Flattening = 0.0033528106718309905;
    double RotationX = 0;
    double RotationY = 0;
    double RotationZ = 0;
    double TranslationX = 0;
    double TranslationY = 0;
    double TranslationZ = 0;
    double Scale = 1.0;
    Str GridName;

    template <class V> void Fields(V& v) {
        v.Enum("DatumType", DatumType, coordsys_DatumType);
        v.Real("EarthRadius", EarthRadius);
        v.Real("Flattening", Flattening);
        v.Real("RotationX", RotationX);
        v.Real("RotationY", RotationY);
        v.Real("RotationZ", RotationZ);
        v.Real("TranslationX", TranslationX);
        v.Real("TranslationY", TranslationY);
        v.Real("TranslationZ", TranslationZ);
        v.Real("Scale", Scale);
        v.Text("GridName", GridName);
    }
};

struct coordsys_Projection {
    static constexpr const char* kDatatype = "coordsys_Projection";
    static constexpr const char* kElement = "Projection";
    int16_t ProjectionType = 0;
    coord_Local OriginLocal;
    coord_CorrectedGrid OriginGrid;
    double Scale = 0;
    int16_t GridElevation = 0;
    double Orientation1 = 0;
    double Orientation2 = 0;
    int16_t AzimuthFormat = 0;
    int16_t OriginCenter = 0;
    bool Rectify = false;
    int16_t Area = 0;
    Str UKNorthGridFile;
    Str UKEastGridFile;
    Str ProjectionGridFile;
    Str ShiftGridFile;
    coordsys_GroundScale GroundScale;

    template <class V> void Fields(V& v) {
        v.Enum("ProjectionType", ProjectionType, coordsys_ProjectionType);
        v.Struct("OriginLocal", OriginLocal);
        v.Struct("OriginGrid", OriginGrid);
        v.Real("Scale", Scale);
        v.Enum("GridElevation", GridElevation, coordsys_GridElevation);
        v.Real("Orientation1", Orientation1);
        v.Real("Orientation2", Orientation2);
        v.Enum("AzimuthFormat", AzimuthFormat, coordsys_AzimuthFormat);
        v.Enum("OriginCenter", OriginCenter, coordsys_OriginCenter);
        v.Bool("Rectify", Rectify);
        v.Enum("Area", Area, coordsys_ProjectionArea);
        v.Text("UKNorthGridFile", UKNorthGridFile);
        v.Text("UKEastGridFile", UKEastGridFile);
        v.Text("ProjectionGridFile", ProjectionGridFile);
        v.Text("ShiftGridFile", ShiftGridFile);
        v.Struct("GroundScale", GroundScale);
    }
};

// The horizontal adjustment: origin, translation, rotation and scale.
struct coordsys_Plane {
    static constexpr const char* kDatatype = "coordsys_Plane";
    static constexpr const char* kElement = "Plane";
    int16_t PlaneType = 0;
    double OriginNorth = 0;
    double OriginEast = 0;
    double TranslationNorth = 0;
    double TranslationEast = 0;
    double Rotation = 0;
    double ScaleFactor = 0;

    template <class V> void Fields(V& v) {
        v.Enum("PlaneType", PlaneType, coordsys_PlaneType);
        v.Real("OriginNorth", OriginNorth);
        v.Real("OriginEast", OriginEast);
        v.Real("TranslationNorth", TranslationNorth);
        v.Real("TranslationEast", TranslationEast);
        v.Real("Rotation", Rotation);
        v.Real("ScaleFactor", ScaleFactor);
    }
};

// The vertical adjustment: an inclined plane and/or a geoid model.
struct coordsys_Height {
    static constexpr const char* kDatatype = "coordsys_Height";
    static constexpr const char* kElement = "Height";
    int16_t HeightType = 0;
    double OriginNorth = 0;
    double OriginEast = 0;
    double NorthAdjustment = 0;
    double EastAdjustment = 0;
    double ElevAdjustment = 0;
    Str GeoidFilename;

    template <class V> void Fields(V& v) {
        v.Enum("HeightType", HeightType, coordsys_HeightType);
        v.Real("OriginNorth", OriginNorth);
        v.Real("OriginEast", OriginEast);
        v.Real("NorthAdjustment", NorthAdjustment);
        v.Real("EastAdjustment", EastAdjustment);
        v.Real("ElevAdjustment", ElevAdjustment);
        v.Text("GeoidFilename", GeoidFilename);
    }
};

// The coordinate geometry settings. ValuesPresent says which of the others
// hold a value; all are stored and written whatever it says.
struct coordsys_Corrections {
    static constexpr const char* kDatatype = "coordsys_Corrections";
    uint32_t ValuesPresent = 0;
    bool SouthAzimuth = false;
    int16_t GridOrientation = 0;
    double MagneticDeclination = 0;
    int16_t Distances = 0;
    int16_t SubDivideCode = 0;
    bool NeighbourhoodAdjustment = false;
    int16_t WeightExponent = 0;
    int16_t CrossSectionInterpolationMethod = 0;

    template <class V> void Fields(V& v) {
        v.Flags("ValuesPresent", ValuesPresent, coordsys_ItemsPresent);
        v.Bool("SouthAzimuth", SouthAzimuth);
        v.Enum("GridOrientation", GridOrientation, coordsys_GridOrientation);
        v.Real("MagneticDeclination", MagneticDeclination);
        v.Enum("Distances", Distances, coordsys_CogoDistance);
        v.Enum("SubDivideCode", SubDivideCode, coordsys_SubdivideCode);
        v.Bool("NeighbourhoodAdjustment", NeighbourhoodAdjustment);
        v.Enum("WeightExponent", WeightExponent, coordsys_WeightExponent);
        v.Enum("CrossSectionInterpolationMethod", CrossSectionInterpolationMethod,
               coordsys_CrossSectionInterpolationMethod);
    }
};

// ---- Calibration ---------------------------------------------------------------

// How the name of a calibration point is formed from the measured one.
struct dbtq_CalibPointName {
    static constexpr const char* kDatatype = "dbtq_CalibPointName";
    int16_t Method = 0;
    int32_t Constant = 0; // written in real form
    Str Prefix;
    Str Suffix;

    template <class V> void Fields(V& v) {
        v.Enum("Method", Method, dbtq_CalibPointNameMethod);
        v.Int("Constant", Constant, IntForm::Real);
        v.Text("Prefix", Prefix);
        v.Text("Suffix", Suffix);
    }
};

struct dbtq_3DResidual {
    static constexpr const char* kDatatype = "dbtq_3DResidual";
    double OneD = 0;
    double TwoD = 0;
    double ThreeD = 0;
    double North = 0;
    double East = 0;
    double Elev = 0;
    double DeltaNorth = 0;
    double DeltaEast = 0;
    double DeltaElev = 0;

    template <class V> void Fields(V& v) {
        v.Real("OneD", OneD);
        v.Real("TwoD", TwoD);
        v.Real("ThreeD", ThreeD);
        v.Real("North", North);
        v.Real("East", East);
        v.Real("Elev", Elev);
        v.Real("DeltaNorth", DeltaNorth);
        v.Real("DeltaEast", DeltaEast);
        v.Real("DeltaElev", DeltaElev);
    }
};

// ---- Records -------------------------------------------------------------------

// The shape of the five definition records: how the definition was derived,
// then one part of the geodetic model, written as the child the model names.
template <class Derived, class Model> class coordsys_DefinitionRecord : public Record<Derived> {
public:
    int16_t Derivation = kBlankDerivation;
    Model Definition;

    template <class V> void Fields(V& v) {
        v.TwoChar("Derivation", Derivation);
        v.Struct(Model::kElement, Definition);
    }
};

class db_Ellipsoid final : public coordsys_DefinitionRecord<db_Ellipsoid, coordsys_Ellipsoid> {};
class db_Datum final : public coordsys_DefinitionRecord<db_Datum, coordsys_Datum> {};
class db_Projection final : public coordsys_DefinitionRecord<db_Projection, coordsys_Projection> {};
class db_Plane final : public coordsys_DefinitionRecord<db_Plane, coordsys_Plane> {};
class db_Height final : public coordsys_DefinitionRecord<db_Height, coordsys_Height> {};

class db_Corrections final : public Record<db_Corrections> {
public:
    coordsys_Corrections Corrections;

    template <class V> void Fields(V& v) { v.Struct("Corrections", Corrections); }
};

// One point pair of a site calibration and the residuals of the solution.
class db_CalibPoint final : public Record<db_CalibPoint> {
public:
    Str NEEPointId;
    Str WGS84PointId;
    int16_t Status = 0;
    dbtq_3DResidual Residuals;

    template <class V> void Fields(V& v) {
        v.Text("NEEPointId", NEEPointId);
        v.Text("WGS84PointId", WGS84PointId);
        v.Enum("Status", Status, dbtq_CalibrateStatus);
        v.Struct("Residuals", Residuals);
    }
};

// The site-calibration settings.
class db_ConfigCalib final : public Record<db_ConfigCalib> {
public:
    bool FixHorzScaleToOne = false;
    bool FixHorzRotationToZero = false;
    int16_t CalibType = 0;
    bool AutoCalibrate = false;
    double MaxHorzResiduals = 0;
    double MaxVertResiduals = 0;
    double MaxHorzScale = 0;
    double MinHorzScale = 0;
    double MaxVertIncline = 0;
    dbtq_CalibPointName PointName;

    template <class V> void Fields(V& v) {
        v.Bool("FixHorzScaleToOne", FixHorzScaleToOne);
        v.Bool("FixHorzRotationToZero", FixHorzRotationToZero);
        v.Enum("CalibType", CalibType, dbtq_ObservationType);
        v.Bool("AutoCalibrate", AutoCalibrate);
        v.Real("MaxHorzResiduals", MaxHorzResiduals);
        v.Real("MaxVertResiduals", MaxVertResiduals);
        v.Real("MaxHorzScale", MaxHorzScale);
        v.Real("MinHorzScale", MinHorzScale);
        v.Real("MaxVertIncline", MaxVertIncline);
        v.Struct("PointName", PointName);
    }
};

// Which parts of the coordinate-system definition are applied.
class db_CoordSystemControl final : public Record<db_CoordSystemControl> {
public:
    bool HorzAdjust = false;
    bool VertAdjust = false;
    bool DoGeolib = false;

    template <class V> void Fields(V& v) {
        v.Bool("HorzAdjust", HorzAdjust);
        v.Bool("VertAdjust", VertAdjust);
        v.Bool("DoGeolib", DoGeolib);
    }
};

// The system, zone and datum chosen from the coordinate-system library.
class db_CoordSystem final : public Record<db_CoordSystem> {
public:
    Str SystemName;
    Str ZoneSiteName;
    Str DatumName;
    bool UseGeoid = false;
    bool UseDatumGrid = false;
    Str GeoidFilename;
    uint16_t SystemIndex = 0;
    uint16_t ZoneSiteIndex = 0;
    uint16_t DatumIndex = 0;
    coordsys_GroundScale GroundScale;

    template <class V> void Fields(V& v) {
        v.Text("SystemName", SystemName);
        v.Text("ZoneSiteName", ZoneSiteName);
        v.Text("DatumName", DatumName);
        v.Bool("UseGeoid", UseGeoid);
        v.Bool("UseDatumGrid", UseDatumGrid);
        v.Text("GeoidFilename", GeoidFilename);
        v.Int("SystemIndex", SystemIndex, IntForm::Unsigned);
        v.Int("ZoneSiteIndex", ZoneSiteIndex, IntForm::Unsigned);
        v.Int("DatumIndex", DatumIndex, IntForm::Unsigned);
        v.Struct("GroundScale", GroundScale);
    }
};

} // namespace tqxml
