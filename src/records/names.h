// Names of enumerated values, as data. A stored field that holds a small
// integer standing for a named constant is written into the document as the
// constant's name; the tables here give those names, one table per
// enumeration type and named by the type. The record declarations name the
// table of each enumerated field; the XML side only reads them.
#pragma once

#include "text/str.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace tqxml {

// One enumeration: names[i] is the name of the value firstValue + i. Values
// run without gaps from firstValue (0 for all tables but the point
// classification, which starts at -1).
struct NameTable {
    const char* typeName;     // "dbentity_ArcMethod"
    const char* improperText; // assertion reported for a value without a name
    const char* const* names;
    int32_t count;
    int32_t firstValue;
};

// The name of `value` in `table`. A value without a name reports the table's
// improper-value assertion and gives "" (the field is then written empty).
// Never allocates: it sits on the path of every enumerated field written.
const char* EnumName(const NameTable& table, int32_t value);
Str EnumNameStr(const NameTable& table, int32_t value);

// The value whose name is exactly `text` (case-sensitive), or
// table.firstValue - 1 when no name matches.
int32_t EnumValue(const NameTable& table, const char* text);

// Every table below, the point classification last.
std::span<const NameTable* const> AllNameTables();

// Entity and computation methods
extern const NameTable dbentity_ArcDirection;
extern const NameTable dbentity_ArcMethod;
extern const NameTable dbentity_AzimuthType;
extern const NameTable dbentity_CogoTranslationMethod;
extern const NameTable dbentity_ComputeAzimuthMethod;
extern const NameTable dbentity_ComputeDistanceMethod;
extern const NameTable dbentity_DirectionAlongLine;
extern const NameTable dbentity_LineMethod;
extern const NameTable dbentity_OffsetElementType;
extern const NameTable dbentity_PanoramaMethod;
extern const NameTable dbentity_PointMethod;
extern const NameTable dbentity_RoadType;
extern const NameTable dbentity_ScanType;
extern const NameTable dbentity_SideSlopeHingeDerv;
extern const NameTable dbentity_StakeOutEntity;
extern const NameTable dbentity_StakeOutMethod;
extern const NameTable dbentity_SurfaceScanLineMethod;
extern const NameTable dbentity_SurfaceScanMethod;
extern const NameTable dbentity_SurveyMethod;
extern const NameTable dbentity_TrvAdjustmentMethod;
extern const NameTable dbentity_TrvAdjustmentType;
extern const NameTable dbentity_TrvResultType;

// Survey configuration
extern const NameTable dbconfig_AsStaked;
extern const NameTable dbconfig_AzimuthFormat;
extern const NameTable dbconfig_BuildId;
extern const NameTable dbconfig_CoordOrder;
extern const NameTable dbconfig_DecAngleDisplay;
extern const NameTable dbconfig_DeltasMode;
extern const NameTable dbconfig_DistanceDisplay;
extern const NameTable dbconfig_DMSAngleDisplay;
extern const NameTable dbconfig_GPSTimeDisplay;
extern const NameTable dbconfig_LaserVA;
extern const NameTable dbconfig_OffsetPerspectiveMode;
extern const NameTable dbconfig_OrientTo;
extern const NameTable dbconfig_QualityControl;
extern const NameTable dbconfig_StakeMapMode;
extern const NameTable dbconfig_StakePerspectiveMode;
extern const NameTable dbconfig_Stationing;
extern const NameTable dbconfig_TrackingMode;
extern const NameTable dbconfig_TSStakeViewMode;

// GNSS survey
extern const NameTable dbgps_APCType;
extern const NameTable dbgps_ContMethod;
extern const NameTable dbgps_ContOffsetOption;
extern const NameTable dbgps_eRadioSubtype;
extern const NameTable dbgps_FileStatus;
extern const NameTable dbgps_InitEvent;
extern const NameTable dbgps_InitSystem;
extern const NameTable dbgps_InitType;
extern const NameTable dbgps_INSPositionType;
extern const NameTable dbgps_LoggingDevice;
extern const NameTable dbgps_MonitorState;
extern const NameTable dbgps_RadioType;
extern const NameTable dbgps_ReceiverPort;
extern const NameTable dbgps_RTCMAgeLimit;
extern const NameTable dbgps_RTKApplication;
extern const NameTable dbgps_RTKRecordType;
extern const NameTable dbgps_SatDiffCorrection;
extern const NameTable dbgps_SurveyEvent;
extern const NameTable dbgps_SurveyType;
extern const NameTable dbgps_Throttling;
extern const NameTable dbgps_VRSStoreType;

// Coordinate system
extern const NameTable coordsys_AzimuthFormat;
extern const NameTable coordsys_CogoDistance;
extern const NameTable coordsys_CrossSectionInterpolationMethod;
extern const NameTable coordsys_DatumType;
extern const NameTable coordsys_GridElevation;
extern const NameTable coordsys_GridOrientation;
extern const NameTable coordsys_GroundScaleFactorType;
extern const NameTable coordsys_HeightType;
extern const NameTable coordsys_OriginCenter;
extern const NameTable coordsys_PlaneType;
extern const NameTable coordsys_ProjectionArea;
extern const NameTable coordsys_ProjectionType;
extern const NameTable coordsys_SubdivideCode;
extern const NameTable coordsys_WeightExponent;

// Coordinates
extern const NameTable coord_Face;
extern const NameTable coord_Type;

// Total station
extern const NameTable total_AtmosphereMethod;
extern const NameTable total_InstrumentType;
extern const NameTable total_MeasurementMode;
extern const NameTable total_OrionTargetIDCheckType;
extern const NameTable total_PrismTypes;
extern const NameTable total_RefractionType;
extern const NameTable total_RMTIDs;
extern const NameTable total_ScaleFactorType;
extern const NameTable total_ServoOptions;
extern const NameTable total_SetHzCircleMode;
extern const NameTable total_StationType;
extern const NameTable total_TargetHeightMethod;

// Units
extern const NameTable units_Type;

// Serial ports
extern const NameTable rs232_FlowControls;
extern const NameTable rs232_ParityCodes;
extern const NameTable rs232_Ports;

// Laser rangefinders
extern const NameTable dblaser_LaserType;

// Survey style and calibration
extern const NameTable dbtq_CalibPointNameMethod;
extern const NameTable dbtq_CalibrateStatus;
extern const NameTable dbtq_ObservationType;
extern const NameTable dbtq_PositioningTechnology;

// Dimensions
extern const NameTable dbtype_Dimension;

// The point classification: "None" for -1, "Check" for 0, ... "Control" for 9.
extern const NameTable db_PointClassification;

// Reads a point classification back from its name by exact comparison;
// NotAPointClassification when the text is none of the names.
constexpr int32_t NotAPointClassification = -2;
int32_t TextToPointClassification(const char* text);

// A set of single-bit flags, each with a name, in ascending bit order.
struct FlagSet {
    const char* name;
    struct Flag {
        uint32_t bit;
        const char* name;
    } const* flags;
    int32_t count;
};

// Capabilities of a laser rangefinder (db_LaserConfig).
extern const FlagSet laser_Capabilities;
// Which optional coordinate-system items a db_Corrections record carries.
extern const FlagSet coordsys_ItemsPresent;
// Coordinate geometry settings: azimuth, distance and height choices
// (db_Area, db_ComputeAzimuth, db_ComputeDistance, db_Inverse,
// db_Observation's CreatedView, db_PointKeyin). Bits 256 and 512 have no name.
extern const FlagSet coordsys_CogoSettings;

// The names of the bits set in `value`, in ascending bit order, separated by
// single blanks; bits without a name are ignored, no set bit gives "".
Str FlagSetText(const FlagSet& set, uint32_t value);
// The same names appended to `out`, for writers that reuse one buffer.
void AppendFlagSetText(Str& out, const FlagSet& set, uint32_t value);

// Two characters packed into an integer: the low byte is the first, the next
// byte the second; the text ends at the first zero byte, higher bytes are
// ignored (0x4241 -> "AB", 0x41 -> "A", 0x4200 -> "").
Str TwoCharCodeText(int32_t value);
// The same characters in `out`, without an allocation; the returned view
// points into `out`.
std::string_view TwoCharCode(int32_t value, char (&out)[2]);

} // namespace tqxml
