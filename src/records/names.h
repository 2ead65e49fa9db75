// Names of enumerated values, as data. A stored field that holds a small
// integer standing for a named constant is written into the document as the
// constant's name; the tables here give those names, one table per
// enumeration type and named by the type. The record declarations name the
// table of each enumerated field; the XML side only reads them.
#pragma once

#include "text/str.h"

#include <cstdint>
#include <iterator>
#include <string_view>

namespace tqxml {

// One enumeration: names[i] is the name of the value firstValue + i. Values
// run without gaps from firstValue (0 for all tables but the point
// classification, which starts at -1).
struct NameTable {
    const char* typeName;     // "dbentity_ArcMethod"
    const char* improperText; // assertion reported for a value without a name
    const std::string_view* names;
    int32_t count;
    int32_t firstValue;
};

// The name of `value` in `table`, which never needs encoding in the document.
// A value without a name reports the table's improper-value assertion and
// gives "" (the field is then written empty).
// Never allocates: it sits on the path of every enumerated field written.
std::string_view EnumName(const NameTable& table, int32_t value);

// Whether every name is written into the document as it stands: none holds
// a character that the document encodes or a space at either end.
constexpr bool NeedsNoEncoding(std::string_view name) {
    for (size_t at = 0; at < name.size(); ++at) {
        const char c = name[at];
        if (static_cast<unsigned char>(c) < 0x20 || c == '&' || c == '<' || c == '>' || c == '\'' ||
            c == '"' || ((at == 0 || at + 1 == name.size()) && c == ' '))
            return false;
    }
    return true;
}
constexpr bool NeedNoEncoding(const std::string_view* names, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (!NeedsNoEncoding(names[i])) return false;
    return true;
}

// Each table once: its type name, the number of names it must hold (checked
// when compiling), the first value when it is not 0, and the names in value
// order.
#define TQ_NAMES_FROM(type, n, first, ...)                                                         \
    inline constexpr std::string_view type##names_[] = {__VA_ARGS__};                              \
    static_assert(std::size(type##names_) == (n), #type " must have " #n " names");                \
    static_assert(NeedNoEncoding(type##names_, (n)), #type " names must need no encoding");       \
    inline constexpr NameTable type = {#type, "!\"improper " #type "\"", type##names_, (n), (first)}
#define TQ_NAMES(type, n, ...) TQ_NAMES_FROM(type, n, 0, __VA_ARGS__)

// clang-format off
// Entity and computation methods
TQ_NAMES(dbentity_ArcDirection, 2,
    "DBENTITY_RightHand", "DBENTITY_LeftHand");
TQ_NAMES(dbentity_ArcMethod, 6,
    "DBENTITY_TwoPointsAndRadius", "DBENTITY_CurveLengthAndRadius", "DBENTITY_DeltaAngleAndRadius", "DBENTITY_IPAndTangents", "DBENTITY_TwoPointsAndCentrePoint", "DBENTITY_ThreePoints");
TQ_NAMES(dbentity_AzimuthType, 4,
    "DBENTITY_OriginTrue", "DBENTITY_OriginGrid", "DBENTITY_OriginMag", "DBENTITY_OriginSun");
TQ_NAMES(dbentity_CogoTranslationMethod, 2,
    "DBENTITY_CogoDeltas", "DBENTITY_CogoTwoPoints");
TQ_NAMES(dbentity_ComputeAzimuthMethod, 5,
    "DBENTITY_TwoPointAzimuth", "DBENTITY_BisectedAzimuths", "DBENTITY_BisectedCorner", "DBENTITY_AzimuthAndTurnedAngle", "DBENTITY_AzimuthToLineOffset");
TQ_NAMES(dbentity_ComputeDistanceMethod, 3,
    "DBENTITY_TwoPointDistance", "DBENTITY_BetweenPointAndLine", "DBENTITY_BetweenPointAndArc");
TQ_NAMES(dbentity_DirectionAlongLine, 4,
    "DBENTITY_InFromStart", "DBENTITY_OutFromStart", "DBENTITY_InFromEnd", "DBENTITY_OutFromEnd");
TQ_NAMES(dbentity_LineMethod, 2,
    "DBENTITY_TwoPoints", "DBENTITY_BrngDistLine");
TQ_NAMES(dbentity_OffsetElementType, 3,
    "DBENTITY_HorzAndVertDist", "DBENTITY_GradeAndSlopeDist", "DBENTITY_GradeAndHorzDist");
TQ_NAMES(dbentity_PanoramaMethod, 2,
    "DBENTITY_FullCircle", "DBENTITY_PartialPanorama");
TQ_NAMES(dbentity_PointMethod, 55,
    "DBENTITY_Unknown", "DBENTITY_Coordinates", "DBENTITY_FourPointInter", "DBENTITY_FromABaseline", "DBENTITY_BrngDistPoint", "DBENTITY_TurnedAngleDistance", "DBENTITY_BrngDistPtInter", "DBENTITY_BrngVerticalPlaneInter", "DBENTITY_BrngDistInter", "DBENTITY_BrngBrngInter", "DBENTITY_DistDistInter", "DBENTITY_GpsStaticObs", "DBENTITY_GpsFastStaticObs", "DBENTITY_GpsRTKCtrlPoint", "DBENTITY_GpsRTKQuickMark", "DBENTITY_Gps2PtOffset", "DBENTITY_Gps4PtInter", "DBENTITY_GpsCheckShot", "DBENTITY_GpsLoggingInit", "DBENTITY_GpsStakeOutObs", "DBENTITY_GpsCalibrationPt", "DBENTITY_GpsSingleAutoPt", "DBENTITY_GpsAverageAutoPt", "DBENTITY_GpsContDistancePt", "DBENTITY_GpsContTimePt", "DBENTITY_GpsContDistAndTimePt", "DBENTITY_GpsContDistOrTimePt", "DBENTITY_GpsContStopAndGoPt", "DBENTITY_GpsContOffsetPt1", "DBENTITY_GpsContOffsetPt2", "DBENTITY_CogoCalc", "DBENTITY_CogoAlignmentOffsetCalc", "DBENTITY_AzimuthOnly", "DBENTITY_AngleOnly", "DBENTITY_HAngleOnly", "DBENTITY_DirectReading", "DBENTITY_AvgMeasurements", "DBENTITY_AngleOffset", "DBENTITY_HAngleOffset", "DBENTITY_VAngleOffset", "DBENTITY_DistanceOffset", "DBENTITY_TwoPointOffset", "DBENTITY_RadialAndTangent", "DBENTITY_RemoteObject", "DBENTITY_MatchedPair", "DBENTITY_MatchedPairHidden", "DBENTITY_MeanTurnedAngle", "DBENTITY_MeanTurnedAngleHidden", "DBENTITY_Resection", "DBENTITY_ResectionInProgress", "DBENTITY_LaserOffset", "DBENTITY_CopiedPoint", "DBENTITY_FromBase", "DBENTITY_TraverseAdjusted", "DBENTITY_ReflineSetup");
TQ_NAMES(dbentity_RoadType, 3,
    "DBENTITY_HalvornRoad", "DBENTITY_GenioRoad", "DBENTITY_LandXmlRoad");
TQ_NAMES(dbentity_ScanType, 3,
    "DBENTITY_ScanFullCircle", "DBENTITY_ScanRectangle", "DBENTITY_ScanPolygon");
TQ_NAMES(dbentity_SideSlopeHingeDerv, 3,
    "DBENTITY_HingeDervOffsetAndElev", "DBENTITY_HingeDervOffsetAndSlope", "DBENTITY_HingeDervOffsetAndVDiff");
TQ_NAMES(dbentity_StakeOutEntity, 8,
    "DBENTITY_NonEntity", "DBENTITY_PointEntity", "DBENTITY_LineEntity", "DBENTITY_ArcEntity", "DBENTITY_DTMEntity", "DBENTITY_RoadEntity", "DBENTITY_AlignmentEntity", "DBENTITY_TunnelEntity");
TQ_NAMES(dbentity_StakeOutMethod, 24,
    "DBENTITY_ToThePoint", "DBENTITY_FromAPoint", "DBENTITY_FromStartPosition", "DBENTITY_FromLastPointStaked", "DBENTITY_ToTheLine", "DBENTITY_ToTheArc", "DBENTITY_PointsOffsetFromLine", "DBENTITY_PointsOffsetFromArc", "DBENTITY_OffsetLine", "DBENTITY_OffsetArc", "DBENTITY_PointsOnLine", "DBENTITY_PointsOnArc", "DBENTITY_IntersectPointOfArc", "DBENTITY_CentrePointOfArc", "DBENTITY_SlopeFromLine", "DBENTITY_SlopeFromArc", "DBENTITY_StationAndOffset", "DBENTITY_PositionOnRoad", "DBENTITY_SideSlopeFromAlignment", "DBENTITY_StationOnString", "DBENTITY_NearestRoadOffset", "DBENTITY_StationAlongString", "DBENTITY_ToTheDTM", "DBENTITY_StationOnAlignment");
TQ_NAMES(dbentity_SurfaceScanLineMethod, 2,
    "DBENTITY_SurfaceScanTwoPoints", "DBENTITY_SurfaceScanBearingDistance");
TQ_NAMES(dbentity_SurfaceScanMethod, 3,
    "DBENTITY_SurfaceScanAngularStep", "DBENTITY_SurfaceScanRectPlane", "DBENTITY_SurfaceScanLine");
TQ_NAMES(dbentity_SurveyMethod, 10,
    "DBENTITY_KeyedIn", "DBENTITY_Autonomous", "DBENTITY_Float", "DBENTITY_Fix", "DBENTITY_Copied", "DBENTITY_Code", "DBENTITY_WAAS", "DBENTITY_Inertial", "DBENTITY_NetworkFloat", "DBENTITY_NetworkFix");
TQ_NAMES(dbentity_TrvAdjustmentMethod, 2,
    "DBENTITY_CompassMethod", "DBENTITY_TransitMethod");
TQ_NAMES(dbentity_TrvAdjustmentType, 3,
    "DBENTITY_WeightedMethod", "DBENTITY_LinearMethod", "DBENTITY_NoMethod");
TQ_NAMES(dbentity_TrvResultType, 3,
    "DBENTITY_NotAdjusted", "DBENTITY_Closed", "DBENTITY_Adjusted");

// Survey configuration
TQ_NAMES(dbconfig_AsStaked, 5,
    "DBCONFIG_DesignName", "DBCONFIG_AutoPointName", "DBCONFIG_DesignCode", "DBCONFIG_LastCodeUsed", "DBCONFIG_DesignStationAndOffset");
TQ_NAMES(dbconfig_AzimuthFormat, 2,
    "DBCONFIG_AzimuthFormatAzimuth", "DBCONFIG_AzimuthFormatQuadrantBearing");
TQ_NAMES(dbconfig_BuildId, 2,
    "DBCONFIG_BuildAuto", "DBCONFIG_BuildDesign");
TQ_NAMES(dbconfig_CoordOrder, 4,
    "DBCONFIG_NEElev", "DBCONFIG_ENElev", "DBCONFIG_ENElev_YXZ", "DBCONFIG_NEElev_XYZ");
TQ_NAMES(dbconfig_DecAngleDisplay, 3,
    "DBCONFIG_DecAngleDisplay0001", "DBCONFIG_DecAngleDisplay00001", "DBCONFIG_DecAngleDisplay000001");
TQ_NAMES(dbconfig_DeltasMode, 6,
    "DBCONFIG_DistanceDeltas", "DBCONFIG_AngleDistanceDeltas", "DBCONFIG_AnglesSlope", "DBCONFIG_AzimuthDistance", "DBCONFIG_GridDeltas", "DBCONFIG_StationOffset");
TQ_NAMES(dbconfig_DistanceDisplay, 4,
    "DBCONFIG_DistanceDisplay01", "DBCONFIG_DistanceDisplay001", "DBCONFIG_DistanceDisplay0001", "DBCONFIG_DistanceDisplay00001");
TQ_NAMES(dbconfig_DMSAngleDisplay, 3,
    "DBCONFIG_DMSAngleDisplay01", "DBCONFIG_DMSAngleDisplay1", "DBCONFIG_DMSAngleNULL");
TQ_NAMES(dbconfig_GPSTimeDisplay, 3,
    "DBCONFIG_DateTime", "DBCONFIG_GPSWeekSeconds", "DBCONFIG_GPSTimeDisplayNULL");
TQ_NAMES(dbconfig_LaserVA, 3,
    "DBCONFIG_ZenithAngle", "DBCONFIG_Inclination", "DBCONFIG_LaserVerticalAngleNULL");
TQ_NAMES(dbconfig_OffsetPerspectiveMode, 3,
    "DBCONFIG_OffsetAutomatic", "DBCONFIG_OffsetFromInstrument", "DBCONFIG_OffsetFromTarget");
TQ_NAMES(dbconfig_OrientTo, 2,
    "DBCONFIG_OrientToHeading", "DBCONFIG_OrientToNorth");
TQ_NAMES(dbconfig_QualityControl, 4,
    "DBCONFIG_QualNone", "DBCONFIG_Qual1", "DBCONFIG_Qual1and2", "DBCONFIG_Qual1and3");
TQ_NAMES(dbconfig_StakeMapMode, 2,
    "DBCONFIG_StakeMovingMap", "DBCONFIG_StakeMovingCursor");
TQ_NAMES(dbconfig_StakePerspectiveMode, 3,
    "DBCONFIG_StakeAutomatic", "DBCONFIG_StakeBehindTS", "DBCONFIG_StakeAtPole");
TQ_NAMES(dbconfig_Stationing, 4,
    "DBCONFIG_StationingNormal", "DBCONFIG_StationingHundreds", "DBCONFIG_StationingThousands", "DBCONFIG_StationingNULL");
TQ_NAMES(dbconfig_TrackingMode, 9,
    "DBCONFIG_TrackingCACode", "DBCONFIG_TrackingPCode", "DBCONFIG_TrackingYCode", "DBCONFIG_TrackingXCode", "DBCONFIG_TrackingCCode", "DBCONFIG_TrackingYorPCode", "DBCONFIG_TrackingTracked", "DBCONFIG_TrackingAuto", "DBCONFIG_TrackingNone");
TQ_NAMES(dbconfig_TSStakeViewMode, 2,
    "DBCONFIG_TSStakeDirectionAndDistanceView", "DBCONFIG_TSStakeInOutAndLeftRightView");

// GNSS survey
TQ_NAMES(dbgps_APCType, 12,
    "DBGPS_Absolute", "DBGPS_Relative", "DBGPS_Corrected0", "DBGPS_Corrected1", "DBGPS_Corrected2", "DBGPS_Corrected3", "DBGPS_Corrected4", "DBGPS_Corrected5", "DBGPS_Corrected6", "DBGPS_Corrected7", "DBGPS_Corrected8", "DBGPS_Corrected9");
TQ_NAMES(dbgps_ContMethod, 5,
    "DBGPS_ContDistancePt", "DBGPS_ContTimePt", "DBGPS_ContDistAndTimePt", "DBGPS_ContDistOrTimePt", "DBGPS_ContStopAndGoPt");
TQ_NAMES(dbgps_ContOffsetOption, 3,
    "DBGPS_ContNone", "DBGPS_ContOne", "DBGPS_ContTwo");
TQ_NAMES(dbgps_eRadioSubtype, 3,
    "DBGPS_UHF", "DBGPS_GSM", "DBGPS_GPRS");
TQ_NAMES(dbgps_FileStatus, 2,
    "DBGPS_UselessData", "DBGPS_ValidData");
TQ_NAMES(dbgps_InitEvent, 7,
    "DBGPS_GainInit", "DBGPS_LostInit", "DBGPS_FailedInit", "DBGPS_BadInit", "DBGPS_HighRMS", "DBGPS_GoodRMS", "DBGPS_UserCancelled");
TQ_NAMES(dbgps_InitSystem, 3,
    "DBGPS_RealTimeSystem", "DBGPS_PostprocessSystem", "DBGPS_InfillSystem");
TQ_NAMES(dbgps_InitType, 5,
    "DBGPS_Plate", "DBGPS_KnownPoint", "DBGPS_NewPoint", "DBGPS_OnTheFly", "DBGPS_Null");
TQ_NAMES(dbgps_INSPositionType, 3,
    "DBGPS_RTKOnly", "DBGPS_RTKAndINS", "DBGPS_INSOnly");
TQ_NAMES(dbgps_LoggingDevice, 2,
    "DBGPS_HandHeld", "DBGPS_Receiver");
TQ_NAMES(dbgps_MonitorState, 3,
    "DBGPS_NotMonitored", "DBGPS_MonitorFailed", "DBGPS_MonitorOK");

// Values 4 to 7, 9 to 11 and 15 to 18 are radio models of particular makes;

// those names are our own invention.
TQ_NAMES(dbgps_RadioType, 19,
    "DBGPS_CellularModem", "DBGPS_CustomRadio", "DBGPS_PacificCrest", "DBGPS_DeltaInternalRadio", "DBGPS_UhfRadioA", "DBGPS_UhfRadioB", "DBGPS_UhfRadioC", "DBGPS_UhfRadioD", "DBGPS_InternetConnection", "DBGPS_SpreadSpectrum900A", "DBGPS_SpreadSpectrum900B", "DBGPS_SpreadSpectrum2400", "DBGPS_Clarion", "DBGPS_Satel", "DBGPS_MilitaryRadio", "DBGPS_UhfRadioE", "DBGPS_UhfRadioF", "DBGPS_DataModemA", "DBGPS_DataModemB");
TQ_NAMES(dbgps_ReceiverPort, 10,
    "DBGPS_Port1", "DBGPS_Port2", "DBGPS_Port3", "DBGPS_Port4", "DBGPS_Port5", "DBGPS_Port6", "DBGPS_Port7", "DBGPS_Port8", "DBGPS_Port9", "DBGPS_Port10");
TQ_NAMES(dbgps_RTCMAgeLimit, 5,
    "DBGPS_Age5", "DBGPS_Age10", "DBGPS_Age20", "DBGPS_Age50", "DBGPS_Age100");
TQ_NAMES(dbgps_RTKApplication, 2,
    "DBGPS_RTK2WithWidelane", "DBGPS_RTK2WithL1Fixed");
TQ_NAMES(dbgps_RTKRecordType, 19,
    "DBGPS_RTCMCode", "DBGPS_WAASOnly", "DBGPS_EGNOSOnly", "DBGPS_RTCMCtrl", "DBGPS_RTCMCtrl21", "DBGPS_RTCMCtrl22", "DBGPS_RTCMCtrl23", "DBGPS_RTCMCtrl30", "DBGPS_CMR2Ctrl", "DBGPS_CMR2Plus", "DBGPS_CMR2Plus5Hz", "DBGPS_NetworkADV", "DBGPS_NetworkVRS", "DBGPS_NetworkCMRNet", "DBGPS_NetworkCMR", "DBGPS_NetworkDiff", "DBGPS_MultiStationRTCM", "DBGPS_MultiStationCMR", "DBGPS_RTCMNet");
TQ_NAMES(dbgps_SatDiffCorrection, 3,
    "DBGPS_NoSatDiff", "DBGPS_WAAS", "DBGPS_EGNOS");
TQ_NAMES(dbgps_SurveyEvent, 9,
    "DBGPS_StartBaseSurvey", "DBGPS_StartRoverSurvey", "DBGPS_AbortSurvey", "DBGPS_EndSurvey", "DBGPS_BaseStarted", "DBGPS_ReceiverModeSetError", "DBGPS_CommunicationsError", "DBGPS_InfillSystemAdopted", "DBGPS_RealtimeSystemAdopted");
TQ_NAMES(dbgps_SurveyType, 11,
    "DBGPS_RTK", "DBGPS_RTKAndInfill", "DBGPS_RTKAndDataLogging", "DBGPS_FastStatic", "DBGPS_PPKinematic", "DBGPS_RTDifferential", "DBGPS_RTDiffAndInfill", "DBGPS_RTDiffAndDataLogging", "DBGPS_PPDifferential", "DBGPS_NoGPS", "DBGPS_ListEnd");
TQ_NAMES(dbgps_Throttling, 5,
    "DBGPS_RateAllOff", "DBGPS_RateAutoNoInit", "DBGPS_RateAutowInit", "DBGPS_RateAutoFullNoBase", "DBGPS_RateAutoFullwBase");
TQ_NAMES(dbgps_VRSStoreType, 2,
    "DBGPS_StoreAsPositions", "DBGPS_StoreAsVectors");

// Coordinate system
TQ_NAMES(coordsys_AzimuthFormat, 2,
    "COORDSYS_GridAzimuth", "COORDSYS_GeodeticAzimuth");
TQ_NAMES(coordsys_CogoDistance, 3,
    "COORDSYS_GridDistance", "COORDSYS_EllipsoidDistance", "COORDSYS_GroundDistance");
TQ_NAMES(coordsys_CrossSectionInterpolationMethod, 2,
    "XSInterpolate_Elevation", "XSInterpolate_CrossSlope");
TQ_NAMES(coordsys_DatumType, 4,
    "COORDSYS_NoDatum", "COORDSYS_SevenParameter", "COORDSYS_ThreeParameter", "COORDSYS_GridDatum");
TQ_NAMES(coordsys_GridElevation, 2,
    "COORDSYS_Ground", "COORDSYS_Grid");
TQ_NAMES(coordsys_GridOrientation, 4,
    "COORDSYS_IncreasingNorthEast", "COORDSYS_IncreasingSouthWest", "COORDSYS_IncreasingNorthWest", "COORDSYS_IncreasingSouthEast");
TQ_NAMES(coordsys_GroundScaleFactorType, 3,
    "COORDSYS_GridScaleFactor", "COORDSYS_KeyedInGroundScaleFactor", "COORDSYS_CalculatedGroundScaleFactor");
TQ_NAMES(coordsys_HeightType, 4,
    "COORDSYS_NoVertical", "COORDSYS_InclinedPlane", "COORDSYS_GeoidModel", "COORDSYS_GeoidAndPlane");
TQ_NAMES(coordsys_OriginCenter, 2,
    "COORDSYS_OriginAtEquator", "COORDSYS_OriginAtProjectionCenter");
TQ_NAMES(coordsys_PlaneType, 2,
    "COORDSYS_NoHorizontal", "COORDSYS_ValidHorizontal");
TQ_NAMES(coordsys_ProjectionArea, 4,
    "COORDSYS_AreaNone", "COORDSYS_AreaZeeland", "COORDSYS_AreaJutland", "COORDSYS_AreaBornholm");
TQ_NAMES(coordsys_ProjectionType, 25,
    "COORDSYS_NoProjection", "COORDSYS_ScaleOnly", "COORDSYS_Plane", "COORDSYS_Mercator", "COORDSYS_TransverseMercator", "COORDSYS_UniversalTransverseMercator", "COORDSYS_Lambert1Parallel", "COORDSYS_Lambert2Parallel", "COORDSYS_ObliqueMercatorAngle", "COORDSYS_ObliqueConformalCylindrical", "COORDSYS_ObliqueStereographic", "COORDSYS_PolarStereographic", "COORDSYS_RDStereographic", "COORDSYS_AlbersEqualAreaConic", "COORDSYS_CassiniSoldner", "COORDSYS_Krovak", "COORDSYS_NewZealandMapGrid", "COORDSYS_UnitedKingdomNationalGrid", "COORDSYS_Denmark", "COORDSYS_HungarianEOV", "COORDSYS_StereographicDouble", "COORDSYS_RSO", "COORDSYS_UPSNorth", "COORDSYS_UPSSouth", "COORDSYS_ProjectionGrid");
TQ_NAMES(coordsys_SubdivideCode, 3,
    "COORDSYS_UseName", "COORDSYS_UseCode", "COORDSYS_UseCustom");
TQ_NAMES(coordsys_WeightExponent, 4,
    "COORDSYS_WeightExponentZeroPointFive", "COORDSYS_WeightExponentOnePointZero", "COORDSYS_WeightExponentOnePointFive", "COORDSYS_WeightExponentTwoPointZero");

// Coordinates
TQ_NAMES(coord_Face, 3,
    "COORD_FaceNull", "COORD_Face1", "COORD_Face2");
TQ_NAMES(coord_Type, 20,
    "COORD_NullType", "COORD_WGS84Type", "COORD_LocalType", "COORD_UncalibratedLocalType", "COORD_GridType", "COORD_GridDeltasType", "COORD_ECEFType", "COORD_ECEFGroundType", "COORD_ECEFDeltasType", "COORD_PolarType", "COORD_GroundType", "COORD_UnturnedType", "COORD_F2PolarType", "COORD_CircleType", "COORD_CorrectedType", "COORD_OrientedType", "COORD_LaserOffsetType", "COORD_StationOffsetType", "COORD_MTAType", "COORD_AsStoredType");

// Total station
TQ_NAMES(total_AtmosphereMethod, 2,
    "TOTAL_KeyedIn", "TOTAL_ReadFromInstrument");

// Values 1 to 7 are instrument models of one make; those names are our own

// invention.
TQ_NAMES(total_InstrumentType, 38,
    "TOTAL_Orion", "TOTAL_SeriesA10", "TOTAL_SeriesA20", "TOTAL_SeriesA20Servo", "TOTAL_SeriesA20Robotic", "TOTAL_SeriesB30", "TOTAL_SeriesB30Servo", "TOTAL_SeriesB30Robotic", "TOTAL_SETBasic", "TOTAL_SETEnhanced", "TOTAL_Geodimeter400", "TOTAL_Geodimeter500Servo", "TOTAL_Geodimeter600", "TOTAL_Geodimeter600Servo", "TOTAL_Geodimeter600Robotic", "TOTAL_Geodimeter4000", "TOTAL_LeicaTC300", "TOTAL_LeicaTC500", "TOTAL_LeicaTC800", "TOTAL_LeicaT1000_6", "TOTAL_LeicaT1000_14", "TOTAL_LeicaTC1100", "TOTAL_LeicaTC1100ServoGeoCom", "TOTAL_LeicaTC1100RoboticGeoCom", "TOTAL_LeicaTC1600", "TOTAL_LeicaTC2000", "TOTAL_Nikon", "TOTAL_Pentax", "TOTAL_TopconGeneric", "TOTAL_Topcon500", "TOTAL_ZeissElta2", "TOTAL_ZeissElta3", "TOTAL_ZeissElta4", "TOTAL_ZeissEltaC", "TOTAL_ZeissRecEltaE", "TOTAL_ZeissRSeries", "TOTAL_Manual", "TOTAL_Null");
TQ_NAMES(total_MeasurementMode, 8,
    "TOTAL_EDMFine", "TOTAL_EDMCoarse", "TOTAL_EDMTrack", "TOTAL_EDM5mm", "TOTAL_EDM10mm", "TOTAL_EDM20mm", "TOTAL_EDMDefault", "TOTAL_EDMNull");
TQ_NAMES(total_OrionTargetIDCheckType, 4,
    "TOTAL_TargetIDCheck_Off", "TOTAL_TargetIDCheck_Search", "TOTAL_TargetIDCheck_SearchAndMeasure", "TOTAL_TargetIDCheck_Always");
TQ_NAMES(total_PrismTypes, 9,
    "TOTAL_UnknownPrism", "TOTAL_VXSSeriesMultiTrack", "TOTAL_SSeries360Prism", "TOTAL_SSeriesTraversePrism", "TOTAL_Small318mmTiltablePrism", "TOTAL_Large635mmTiltablePrism", "TOTAL_MiniPrism", "TOTAL_SuperPrism", "TOTAL_CustomPrism");
TQ_NAMES(total_RefractionType, 3,
    "TOTAL_Refraction0", "TOTAL_Refraction0142", "TOTAL_Refraction02");
TQ_NAMES(total_RMTIDs, 10,
    "TOTAL_RMTIDNone", "TOTAL_RMTID0", "TOTAL_RMTID1", "TOTAL_RMTID2", "TOTAL_RMTID3", "TOTAL_RMTID4", "TOTAL_RMTID5", "TOTAL_RMTID6", "TOTAL_RMTID7", "TOTAL_RMTID8");
TQ_NAMES(total_ScaleFactorType, 2,
    "TOTAL_ScaleFixed", "TOTAL_ScaleFree");
TQ_NAMES(total_ServoOptions, 4,
    "TOTAL_HAOnly", "TOTAL_HAandVA", "TOTAL_NoServo", "TOTAL_VAOnly");
TQ_NAMES(total_SetHzCircleMode, 4,
    "TOTAL_DoNothing", "TOTAL_Zero", "TOTAL_SetToAzimuth", "TOTAL_SetHzNull");
TQ_NAMES(total_StationType, 6,
    "TOTAL_UnknownType", "TOTAL_StationSetup", "TOTAL_StationSetupPlus", "TOTAL_StandardResection", "TOTAL_HelmertResection", "TOTAL_ReflineStationSetup");
TQ_NAMES(total_TargetHeightMethod, 2,
    "TrueVertical", "OrionBottomNotch");

// Units
TQ_NAMES(units_Type, 47,
    "UNITS_Meters", "UNITS_Millimeters", "UNITS_Centimeter", "UNITS_Kilometer", "UNITS_Inch", "UNITS_Foot", "UNITS_USFoot", "UNITS_Yard", "UNITS_Link", "UNITS_Chain", "UNITS_Mile", "UNITS_NauticalMile", "UNITS_Latitude", "UNITS_Longitude", "UNITS_Ddmmss", "UNITS_Degrees", "UNITS_MinutesAngle", "UNITS_SecondsAngle", "UNITS_Mil", "UNITS_Gon", "UNITS_MeterPerSecond", "UNITS_Seconds", "UNITS_Hours", "UNITS_Minutes", "UNITS_HoursMinutes", "UNITS_Kilobytes", "UNITS_Percentage", "UNITS_PercentScalar", "UNITS_Celcius", "UNITS_Fahrenheit", "UNITS_MilliBar", "UNITS_InchHg", "UNITS_MMHg", "UNITS_RatioRiseRun", "UNITS_RatioRunRise", "UNITS_Angle", "UNITS_SqMetres", "UNITS_SqMile", "UNITS_SqFeet", "UNITS_Acres", "UNITS_Hectares", "UNITS_Quad", "UNITS_PPMSlope", "UNITS_PPMScalar", "UNITS_Ddmm", "UNITS_InverseFlattening", "UNITS_None");

// Serial ports
TQ_NAMES(rs232_FlowControls, 4,
    "RS232_NoFlowControl", "RS232_XonXoffFlowControl", "RS232_RtsCtsFlowControl", "RS232_DtrDsrFlowControl");
TQ_NAMES(rs232_ParityCodes, 5,
    "RS232_NoParity", "RS232_OddParity", "RS232_EvenParity", "RS232_MarkParity", "RS232_SpaceParity");
TQ_NAMES(rs232_Ports, 11,
    "RS232_COM1", "RS232_COM2", "RS232_COM3", "RS232_COM4", "RS232_COM5", "RS232_COM6", "RS232_COM7", "RS232_COM8", "RS232_COM9", "RS232_COM10", "RS232_NumberOfPorts");

// Laser rangefinders
TQ_NAMES(dblaser_LaserType, 15,
    "DBLASER_None", "DBLASER_Criterion300", "DBLASER_Criterion400", "DBLASER_Impulse", "DBLASER_ProSurvey1000", "DBLASER_AtlantaAdvantage", "DBLASER_Ledha", "DBLASER_MDLLaserAce", "DBLASER_MDLGenerationII", "DBLASER_DataDisto", "DBLASER_DistoMemo", "DBLASER_VectorGIS", "DBLASER_Bosch", "DBLASER_LaserCraft", "DBLASER_DistoPlus");

// Survey style and calibration
TQ_NAMES(dbtq_CalibPointNameMethod, 4,
    "DBTQ_SamePointName", "DBTQ_AddPrefixToPointName", "DBTQ_AddSuffixToPointName", "DBTQ_AddConstantToPointName");
TQ_NAMES(dbtq_CalibrateStatus, 5,
    "DBTQ_0D", "DBTQ_1D", "DBTQ_2D", "DBTQ_3D", "DBTQ_Any");
TQ_NAMES(dbtq_ObservationType, 3,
    "DBTQ_TopoPoint", "DBTQ_KinematicPoint", "DBTQ_RapidPoint");
TQ_NAMES(dbtq_PositioningTechnology, 3,
    "DBTQ_GPS", "DBTQ_Conventional", "DBTQ_None");

// Dimensions
TQ_NAMES(dbtype_Dimension, 4,
    "DBTYPE_None", "DBTYPE_1d", "DBTYPE_2d", "DBTYPE_3d");

// Point classification
TQ_NAMES_FROM(db_PointClassification, 11, -1,
    "None", "Check", "BackSight", "Stakeout", "Construction", "Normal", "MTA", "Adjusted", "Averaged", "NetworkAdjusted", "Control");
// clang-format on

#undef TQ_NAMES
#undef TQ_NAMES_FROM

// A set of single-bit flags, each with a name, in ascending bit order.
struct FlagSet {
    const char* name;
    struct Flag {
        uint32_t bit;
        const char* name;
    } const* flags;
    int32_t count;
};

// The flag sets: the capabilities of a laser rangefinder (db_LaserConfig);
// which optional coordinate-system items a db_Corrections record carries;
// coordinate geometry settings, azimuth, distance and height choices (db_Area,
// db_ComputeAzimuth, db_ComputeDistance, db_Inverse, db_Observation's
// CreatedView, db_PointKeyin), whose bits 256 and 512 have no name.
inline constexpr FlagSet::Flag LaserCapabilityFlags[] = {
    {1, "DBLASER_HasFireCommand"},  {2, "DBLASER_HasEDM"},
    {4, "DBLASER_HasCompass"},      {8, "DBLASER_HasInclinometer"},
    {16, "DBLASER_SupportsSerial"}, {32, "DBLASER_SupportsBluetooth"}};
inline constexpr FlagSet laser_Capabilities = {"laser capabilities", LaserCapabilityFlags,
                                    static_cast<int32_t>(std::size(LaserCapabilityFlags))};

inline constexpr FlagSet::Flag ItemsPresentFlags[] = {
    {1, "COORDSYS_SouthAzimuthPresent"},
    {2, "COORDSYS_GridOrientationPresent"},
    {4, "COORDSYS_MagDeclinationPresent"},
    {8, "COORDSYS_DistancesPresent"},
    {16, "COORDSYS_SubDivideCodePresent"},
    {32, "COORDSYS_NeighbourhoodAdjustmentPresent"},
    {64, "COORDSYS_WeightExponentPresent"},
    {128, "COORDSYS_CrossSectionInterpolationMethodPresent"}};
inline constexpr FlagSet coordsys_ItemsPresent = {"coordinate-system items present", ItemsPresentFlags,
                                       static_cast<int32_t>(std::size(ItemsPresentFlags))};

inline constexpr FlagSet::Flag CogoSettingsFlags[] = {
    {1, "COORDSYS_CogoAzimuthWGS84"},        {2, "COORDSYS_CogoAzimuthLocal"},
    {4, "COORDSYS_CogoAzimuthGrid"},         {8, "COORDSYS_CogoDistanceWGS84"},
    {16, "COORDSYS_CogoDistanceLocal"},      {32, "COORDSYS_CogoDistanceGrid"},
    {64, "COORDSYS_CogoGroundDistances"},    {128, "COORDSYS_CogoEllipsoidDistances"},
    {1024, "COORDSYS_CogoEllipsoidHeights"}, {2048, "COORDSYS_CogoOrthoHeights"}};
inline constexpr FlagSet coordsys_CogoSettings = {"coordinate geometry settings", CogoSettingsFlags,
                                       static_cast<int32_t>(std::size(CogoSettingsFlags))};

// The names of the bits set in `value`, in ascending bit order, separated by
// single blanks, appended to `out`; bits without a name are ignored.
void AppendFlagSetText(Str& out, const FlagSet& set, uint32_t value);

// Two characters packed into an integer, the first in the low byte; the text
// ends at the first zero byte and higher bytes are ignored (0x4241 -> "AB",
// 0x41 -> "A", 0x4200 -> ""). The view points into `out`.
std::string_view TwoCharCode(int32_t value, char (&out)[2]);

} // namespace tqxml
