#include "records/names.h"

#include "base/environment.h"

#include <cstring>
#include <iterator>

namespace tqxml {

// Each table is an array of names indexed by value, then its definition; the
// declared count is checked against the array when compiling.
#define TQ_NAME_TABLE_FROM(type, n, first)                                                         \
    static_assert(std::size(type##_Names) == (n), #type " must have " #n " names");                \
    const NameTable type = {#type, "!\"improper " #type "\"", type##_Names, (n), (first)}
#define TQ_NAME_TABLE(type, n) TQ_NAME_TABLE_FROM(type, n, 0)

// clang-format off
// Entity and computation methods
static const char* const dbentity_ArcDirection_Names[] = {
    "DBENTITY_RightHand", "DBENTITY_LeftHand"};
TQ_NAME_TABLE(dbentity_ArcDirection, 2);
static const char* const dbentity_ArcMethod_Names[] = {
    "DBENTITY_TwoPointsAndRadius", "DBENTITY_CurveLengthAndRadius", "DBENTITY_DeltaAngleAndRadius",
    "DBENTITY_IPAndTangents", "DBENTITY_TwoPointsAndCentrePoint", "DBENTITY_ThreePoints"};
TQ_NAME_TABLE(dbentity_ArcMethod, 6);
static const char* const dbentity_AzimuthType_Names[] = {
    "DBENTITY_OriginTrue", "DBENTITY_OriginGrid", "DBENTITY_OriginMag", "DBENTITY_OriginSun"};
TQ_NAME_TABLE(dbentity_AzimuthType, 4);
static const char* const dbentity_CogoTranslationMethod_Names[] = {
    "DBENTITY_CogoDeltas", "DBENTITY_CogoTwoPoints"};
TQ_NAME_TABLE(dbentity_CogoTranslationMethod, 2);
static const char* const dbentity_ComputeAzimuthMethod_Names[] = {
    "DBENTITY_TwoPointAzimuth", "DBENTITY_BisectedAzimuths", "DBENTITY_BisectedCorner",
    "DBENTITY_AzimuthAndTurnedAngle", "DBENTITY_AzimuthToLineOffset"};
TQ_NAME_TABLE(dbentity_ComputeAzimuthMethod, 5);
static const char* const dbentity_ComputeDistanceMethod_Names[] = {
    "DBENTITY_TwoPointDistance", "DBENTITY_BetweenPointAndLine", "DBENTITY_BetweenPointAndArc"};
TQ_NAME_TABLE(dbentity_ComputeDistanceMethod, 3);
static const char* const dbentity_DirectionAlongLine_Names[] = {
    "DBENTITY_InFromStart", "DBENTITY_OutFromStart", "DBENTITY_InFromEnd", "DBENTITY_OutFromEnd"};
TQ_NAME_TABLE(dbentity_DirectionAlongLine, 4);
static const char* const dbentity_LineMethod_Names[] = {
    "DBENTITY_TwoPoints", "DBENTITY_BrngDistLine"};
TQ_NAME_TABLE(dbentity_LineMethod, 2);
static const char* const dbentity_OffsetElementType_Names[] = {
    "DBENTITY_HorzAndVertDist", "DBENTITY_GradeAndSlopeDist", "DBENTITY_GradeAndHorzDist"};
TQ_NAME_TABLE(dbentity_OffsetElementType, 3);
static const char* const dbentity_PanoramaMethod_Names[] = {
    "DBENTITY_FullCircle", "DBENTITY_PartialPanorama"};
TQ_NAME_TABLE(dbentity_PanoramaMethod, 2);
static const char* const dbentity_PointMethod_Names[] = {
    "DBENTITY_Unknown", "DBENTITY_Coordinates", "DBENTITY_FourPointInter", "DBENTITY_FromABaseline",
    "DBENTITY_BrngDistPoint", "DBENTITY_TurnedAngleDistance", "DBENTITY_BrngDistPtInter",
    "DBENTITY_BrngVerticalPlaneInter", "DBENTITY_BrngDistInter", "DBENTITY_BrngBrngInter",
    "DBENTITY_DistDistInter", "DBENTITY_GpsStaticObs", "DBENTITY_GpsFastStaticObs",
    "DBENTITY_GpsRTKCtrlPoint", "DBENTITY_GpsRTKQuickMark", "DBENTITY_Gps2PtOffset",
    "DBENTITY_Gps4PtInter", "DBENTITY_GpsCheckShot", "DBENTITY_GpsLoggingInit",
    "DBENTITY_GpsStakeOutObs", "DBENTITY_GpsCalibrationPt", "DBENTITY_GpsSingleAutoPt",
    "DBENTITY_GpsAverageAutoPt", "DBENTITY_GpsContDistancePt", "DBENTITY_GpsContTimePt",
    "DBENTITY_GpsContDistAndTimePt", "DBENTITY_GpsContDistOrTimePt", "DBENTITY_GpsContStopAndGoPt",
    "DBENTITY_GpsContOffsetPt1", "DBENTITY_GpsContOffsetPt2", "DBENTITY_CogoCalc",
    "DBENTITY_CogoAlignmentOffsetCalc", "DBENTITY_AzimuthOnly", "DBENTITY_AngleOnly",
    "DBENTITY_HAngleOnly", "DBENTITY_DirectReading", "DBENTITY_AvgMeasurements",
    "DBENTITY_AngleOffset", "DBENTITY_HAngleOffset", "DBENTITY_VAngleOffset",
    "DBENTITY_DistanceOffset", "DBENTITY_TwoPointOffset", "DBENTITY_RadialAndTangent",
    "DBENTITY_RemoteObject", "DBENTITY_MatchedPair", "DBENTITY_MatchedPairHidden",
    "DBENTITY_MeanTurnedAngle", "DBENTITY_MeanTurnedAngleHidden", "DBENTITY_Resection",
    "DBENTITY_ResectionInProgress", "DBENTITY_LaserOffset", "DBENTITY_CopiedPoint",
    "DBENTITY_FromBase", "DBENTITY_TraverseAdjusted", "DBENTITY_ReflineSetup"};
TQ_NAME_TABLE(dbentity_PointMethod, 55);
static const char* const dbentity_RoadType_Names[] = {
    "DBENTITY_HalvornRoad", "DBENTITY_GenioRoad", "DBENTITY_LandXmlRoad"};
TQ_NAME_TABLE(dbentity_RoadType, 3);
static const char* const dbentity_ScanType_Names[] = {
    "DBENTITY_ScanFullCircle", "DBENTITY_ScanRectangle", "DBENTITY_ScanPolygon"};
TQ_NAME_TABLE(dbentity_ScanType, 3);
static const char* const dbentity_SideSlopeHingeDerv_Names[] = {
    "DBENTITY_HingeDervOffsetAndElev", "DBENTITY_HingeDervOffsetAndSlope",
    "DBENTITY_HingeDervOffsetAndVDiff"};
TQ_NAME_TABLE(dbentity_SideSlopeHingeDerv, 3);
static const char* const dbentity_StakeOutEntity_Names[] = {
    "DBENTITY_NonEntity", "DBENTITY_PointEntity", "DBENTITY_LineEntity", "DBENTITY_ArcEntity",
    "DBENTITY_DTMEntity", "DBENTITY_RoadEntity", "DBENTITY_AlignmentEntity",
    "DBENTITY_TunnelEntity"};
TQ_NAME_TABLE(dbentity_StakeOutEntity, 8);
static const char* const dbentity_StakeOutMethod_Names[] = {
    "DBENTITY_ToThePoint", "DBENTITY_FromAPoint", "DBENTITY_FromStartPosition",
    "DBENTITY_FromLastPointStaked", "DBENTITY_ToTheLine", "DBENTITY_ToTheArc",
    "DBENTITY_PointsOffsetFromLine", "DBENTITY_PointsOffsetFromArc", "DBENTITY_OffsetLine",
    "DBENTITY_OffsetArc", "DBENTITY_PointsOnLine", "DBENTITY_PointsOnArc",
    "DBENTITY_IntersectPointOfArc", "DBENTITY_CentrePointOfArc", "DBENTITY_SlopeFromLine",
    "DBENTITY_SlopeFromArc", "DBENTITY_StationAndOffset", "DBENTITY_PositionOnRoad",
    "DBENTITY_SideSlopeFromAlignment", "DBENTITY_StationOnString", "DBENTITY_NearestRoadOffset",
    "DBENTITY_StationAlongString", "DBENTITY_ToTheDTM", "DBENTITY_StationOnAlignment"};
TQ_NAME_TABLE(dbentity_StakeOutMethod, 24);
static const char* const dbentity_SurfaceScanLineMethod_Names[] = {
    "DBENTITY_SurfaceScanTwoPoints", "DBENTITY_SurfaceScanBearingDistance"};
TQ_NAME_TABLE(dbentity_SurfaceScanLineMethod, 2);
static const char* const dbentity_SurfaceScanMethod_Names[] = {
    "DBENTITY_SurfaceScanAngularStep", "DBENTITY_SurfaceScanRectPlane", "DBENTITY_SurfaceScanLine"};
TQ_NAME_TABLE(dbentity_SurfaceScanMethod, 3);
static const char* const dbentity_SurveyMethod_Names[] = {
    "DBENTITY_KeyedIn", "DBENTITY_Autonomous", "DBENTITY_Float", "DBENTITY_Fix", "DBENTITY_Copied",
    "DBENTITY_Code", "DBENTITY_WAAS", "DBENTITY_Inertial", "DBENTITY_NetworkFloat",
    "DBENTITY_NetworkFix"};
TQ_NAME_TABLE(dbentity_SurveyMethod, 10);
static const char* const dbentity_TrvAdjustmentMethod_Names[] = {
    "DBENTITY_CompassMethod", "DBENTITY_TransitMethod"};
TQ_NAME_TABLE(dbentity_TrvAdjustmentMethod, 2);
static const char* const dbentity_TrvAdjustmentType_Names[] = {
    "DBENTITY_WeightedMethod", "DBENTITY_LinearMethod", "DBENTITY_NoMethod"};
TQ_NAME_TABLE(dbentity_TrvAdjustmentType, 3);
static const char* const dbentity_TrvResultType_Names[] = {
    "DBENTITY_NotAdjusted", "DBENTITY_Closed", "DBENTITY_Adjusted"};
TQ_NAME_TABLE(dbentity_TrvResultType, 3);

// Survey configuration
static const char* const dbconfig_AsStaked_Names[] = {
    "DBCONFIG_DesignName", "DBCONFIG_AutoPointName", "DBCONFIG_DesignCode", "DBCONFIG_LastCodeUsed",
    "DBCONFIG_DesignStationAndOffset"};
TQ_NAME_TABLE(dbconfig_AsStaked, 5);
static const char* const dbconfig_AzimuthFormat_Names[] = {
    "DBCONFIG_AzimuthFormatAzimuth", "DBCONFIG_AzimuthFormatQuadrantBearing"};
TQ_NAME_TABLE(dbconfig_AzimuthFormat, 2);
static const char* const dbconfig_BuildId_Names[] = {
    "DBCONFIG_BuildAuto", "DBCONFIG_BuildDesign"};
TQ_NAME_TABLE(dbconfig_BuildId, 2);
static const char* const dbconfig_CoordOrder_Names[] = {
    "DBCONFIG_NEElev", "DBCONFIG_ENElev", "DBCONFIG_ENElev_YXZ", "DBCONFIG_NEElev_XYZ"};
TQ_NAME_TABLE(dbconfig_CoordOrder, 4);
static const char* const dbconfig_DecAngleDisplay_Names[] = {
    "DBCONFIG_DecAngleDisplay0001", "DBCONFIG_DecAngleDisplay00001",
    "DBCONFIG_DecAngleDisplay000001"};
TQ_NAME_TABLE(dbconfig_DecAngleDisplay, 3);
static const char* const dbconfig_DeltasMode_Names[] = {
    "DBCONFIG_DistanceDeltas", "DBCONFIG_AngleDistanceDeltas", "DBCONFIG_AnglesSlope",
    "DBCONFIG_AzimuthDistance", "DBCONFIG_GridDeltas", "DBCONFIG_StationOffset"};
TQ_NAME_TABLE(dbconfig_DeltasMode, 6);
static const char* const dbconfig_DistanceDisplay_Names[] = {
    "DBCONFIG_DistanceDisplay01", "DBCONFIG_DistanceDisplay001", "DBCONFIG_DistanceDisplay0001",
    "DBCONFIG_DistanceDisplay00001"};
TQ_NAME_TABLE(dbconfig_DistanceDisplay, 4);
static const char* const dbconfig_DMSAngleDisplay_Names[] = {
    "DBCONFIG_DMSAngleDisplay01", "DBCONFIG_DMSAngleDisplay1", "DBCONFIG_DMSAngleNULL"};
TQ_NAME_TABLE(dbconfig_DMSAngleDisplay, 3);
static const char* const dbconfig_GPSTimeDisplay_Names[] = {
    "DBCONFIG_DateTime", "DBCONFIG_GPSWeekSeconds", "DBCONFIG_GPSTimeDisplayNULL"};
TQ_NAME_TABLE(dbconfig_GPSTimeDisplay, 3);
static const char* const dbconfig_LaserVA_Names[] = {
    "DBCONFIG_ZenithAngle", "DBCONFIG_Inclination", "DBCONFIG_LaserVerticalAngleNULL"};
TQ_NAME_TABLE(dbconfig_LaserVA, 3);
static const char* const dbconfig_OffsetPerspectiveMode_Names[] = {
    "DBCONFIG_OffsetAutomatic", "DBCONFIG_OffsetFromInstrument", "DBCONFIG_OffsetFromTarget"};
TQ_NAME_TABLE(dbconfig_OffsetPerspectiveMode, 3);
static const char* const dbconfig_OrientTo_Names[] = {
    "DBCONFIG_OrientToHeading", "DBCONFIG_OrientToNorth"};
TQ_NAME_TABLE(dbconfig_OrientTo, 2);
static const char* const dbconfig_QualityControl_Names[] = {
    "DBCONFIG_QualNone", "DBCONFIG_Qual1", "DBCONFIG_Qual1and2", "DBCONFIG_Qual1and3"};
TQ_NAME_TABLE(dbconfig_QualityControl, 4);
static const char* const dbconfig_StakeMapMode_Names[] = {
    "DBCONFIG_StakeMovingMap", "DBCONFIG_StakeMovingCursor"};
TQ_NAME_TABLE(dbconfig_StakeMapMode, 2);
static const char* const dbconfig_StakePerspectiveMode_Names[] = {
    "DBCONFIG_StakeAutomatic", "DBCONFIG_StakeBehindTS", "DBCONFIG_StakeAtPole"};
TQ_NAME_TABLE(dbconfig_StakePerspectiveMode, 3);
static const char* const dbconfig_Stationing_Names[] = {
    "DBCONFIG_StationingNormal", "DBCONFIG_StationingHundreds", "DBCONFIG_StationingThousands",
    "DBCONFIG_StationingNULL"};
TQ_NAME_TABLE(dbconfig_Stationing, 4);
static const char* const dbconfig_TrackingMode_Names[] = {
    "DBCONFIG_TrackingCACode", "DBCONFIG_TrackingPCode", "DBCONFIG_TrackingYCode",
    "DBCONFIG_TrackingXCode", "DBCONFIG_TrackingCCode", "DBCONFIG_TrackingYorPCode",
    "DBCONFIG_TrackingTracked", "DBCONFIG_TrackingAuto", "DBCONFIG_TrackingNone"};
TQ_NAME_TABLE(dbconfig_TrackingMode, 9);
static const char* const dbconfig_TSStakeViewMode_Names[] = {
    "DBCONFIG_TSStakeDirectionAndDistanceView", "DBCONFIG_TSStakeInOutAndLeftRightView"};
TQ_NAME_TABLE(dbconfig_TSStakeViewMode, 2);

// GNSS survey
static const char* const dbgps_APCType_Names[] = {
    "DBGPS_Absolute", "DBGPS_Relative", "DBGPS_Corrected0", "DBGPS_Corrected1", "DBGPS_Corrected2",
    "DBGPS_Corrected3", "DBGPS_Corrected4", "DBGPS_Corrected5", "DBGPS_Corrected6",
    "DBGPS_Corrected7", "DBGPS_Corrected8", "DBGPS_Corrected9"};
TQ_NAME_TABLE(dbgps_APCType, 12);
static const char* const dbgps_ContMethod_Names[] = {
    "DBGPS_ContDistancePt", "DBGPS_ContTimePt", "DBGPS_ContDistAndTimePt", "DBGPS_ContDistOrTimePt",
    "DBGPS_ContStopAndGoPt"};
TQ_NAME_TABLE(dbgps_ContMethod, 5);
static const char* const dbgps_ContOffsetOption_Names[] = {
    "DBGPS_ContNone", "DBGPS_ContOne", "DBGPS_ContTwo"};
TQ_NAME_TABLE(dbgps_ContOffsetOption, 3);
static const char* const dbgps_eRadioSubtype_Names[] = {
    "DBGPS_UHF", "DBGPS_GSM", "DBGPS_GPRS"};
TQ_NAME_TABLE(dbgps_eRadioSubtype, 3);
static const char* const dbgps_FileStatus_Names[] = {
    "DBGPS_UselessData", "DBGPS_ValidData"};
TQ_NAME_TABLE(dbgps_FileStatus, 2);
static const char* const dbgps_InitEvent_Names[] = {
    "DBGPS_GainInit", "DBGPS_LostInit", "DBGPS_FailedInit", "DBGPS_BadInit", "DBGPS_HighRMS",
    "DBGPS_GoodRMS", "DBGPS_UserCancelled"};
TQ_NAME_TABLE(dbgps_InitEvent, 7);
static const char* const dbgps_InitSystem_Names[] = {
    "DBGPS_RealTimeSystem", "DBGPS_PostprocessSystem", "DBGPS_InfillSystem"};
TQ_NAME_TABLE(dbgps_InitSystem, 3);
static const char* const dbgps_InitType_Names[] = {
    "DBGPS_Plate", "DBGPS_KnownPoint", "DBGPS_NewPoint", "DBGPS_OnTheFly", "DBGPS_Null"};
TQ_NAME_TABLE(dbgps_InitType, 5);
static const char* const dbgps_INSPositionType_Names[] = {
    "DBGPS_RTKOnly", "DBGPS_RTKAndINS", "DBGPS_INSOnly"};
TQ_NAME_TABLE(dbgps_INSPositionType, 3);
static const char* const dbgps_LoggingDevice_Names[] = {
    "DBGPS_HandHeld", "DBGPS_Receiver"};
TQ_NAME_TABLE(dbgps_LoggingDevice, 2);
static const char* const dbgps_MonitorState_Names[] = {
    "DBGPS_NotMonitored", "DBGPS_MonitorFailed", "DBGPS_MonitorOK"};
TQ_NAME_TABLE(dbgps_MonitorState, 3);
// Values 4 to 7, 9 to 11 and 15 to 18 are radio models of particular makes;
// those names are our own invention.
static const char* const dbgps_RadioType_Names[] = {
    "DBGPS_CellularModem", "DBGPS_CustomRadio", "DBGPS_PacificCrest", "DBGPS_DeltaInternalRadio",
    "DBGPS_UhfRadioA", "DBGPS_UhfRadioB", "DBGPS_UhfRadioC", "DBGPS_UhfRadioD",
    "DBGPS_InternetConnection", "DBGPS_SpreadSpectrum900A", "DBGPS_SpreadSpectrum900B",
    "DBGPS_SpreadSpectrum2400", "DBGPS_Clarion", "DBGPS_Satel", "DBGPS_MilitaryRadio",
    "DBGPS_UhfRadioE", "DBGPS_UhfRadioF", "DBGPS_DataModemA", "DBGPS_DataModemB"};
TQ_NAME_TABLE(dbgps_RadioType, 19);
static const char* const dbgps_ReceiverPort_Names[] = {
    "DBGPS_Port1", "DBGPS_Port2", "DBGPS_Port3", "DBGPS_Port4", "DBGPS_Port5", "DBGPS_Port6",
    "DBGPS_Port7", "DBGPS_Port8", "DBGPS_Port9", "DBGPS_Port10"};
TQ_NAME_TABLE(dbgps_ReceiverPort, 10);
static const char* const dbgps_RTCMAgeLimit_Names[] = {
    "DBGPS_Age5", "DBGPS_Age10", "DBGPS_Age20", "DBGPS_Age50", "DBGPS_Age100"};
TQ_NAME_TABLE(dbgps_RTCMAgeLimit, 5);
static const char* const dbgps_RTKApplication_Names[] = {
    "DBGPS_RTK2WithWidelane", "DBGPS_RTK2WithL1Fixed"};
TQ_NAME_TABLE(dbgps_RTKApplication, 2);
static const char* const dbgps_RTKRecordType_Names[] = {
    "DBGPS_RTCMCode", "DBGPS_WAASOnly", "DBGPS_EGNOSOnly", "DBGPS_RTCMCtrl", "DBGPS_RTCMCtrl21",
    "DBGPS_RTCMCtrl22", "DBGPS_RTCMCtrl23", "DBGPS_RTCMCtrl30", "DBGPS_CMR2Ctrl", "DBGPS_CMR2Plus",
    "DBGPS_CMR2Plus5Hz", "DBGPS_NetworkADV", "DBGPS_NetworkVRS", "DBGPS_NetworkCMRNet",
    "DBGPS_NetworkCMR", "DBGPS_NetworkDiff", "DBGPS_MultiStationRTCM", "DBGPS_MultiStationCMR",
    "DBGPS_RTCMNet"};
TQ_NAME_TABLE(dbgps_RTKRecordType, 19);
static const char* const dbgps_SatDiffCorrection_Names[] = {
    "DBGPS_NoSatDiff", "DBGPS_WAAS", "DBGPS_EGNOS"};
TQ_NAME_TABLE(dbgps_SatDiffCorrection, 3);
static const char* const dbgps_SurveyEvent_Names[] = {
    "DBGPS_StartBaseSurvey", "DBGPS_StartRoverSurvey", "DBGPS_AbortSurvey", "DBGPS_EndSurvey",
    "DBGPS_BaseStarted", "DBGPS_ReceiverModeSetError", "DBGPS_CommunicationsError",
    "DBGPS_InfillSystemAdopted", "DBGPS_RealtimeSystemAdopted"};
TQ_NAME_TABLE(dbgps_SurveyEvent, 9);
static const char* const dbgps_SurveyType_Names[] = {
    "DBGPS_RTK", "DBGPS_RTKAndInfill", "DBGPS_RTKAndDataLogging", "DBGPS_FastStatic",
    "DBGPS_PPKinematic", "DBGPS_RTDifferential", "DBGPS_RTDiffAndInfill",
    "DBGPS_RTDiffAndDataLogging", "DBGPS_PPDifferential", "DBGPS_NoGPS", "DBGPS_ListEnd"};
TQ_NAME_TABLE(dbgps_SurveyType, 11);
static const char* const dbgps_Throttling_Names[] = {
    "DBGPS_RateAllOff", "DBGPS_RateAutoNoInit", "DBGPS_RateAutowInit", "DBGPS_RateAutoFullNoBase",
    "DBGPS_RateAutoFullwBase"};
TQ_NAME_TABLE(dbgps_Throttling, 5);
static const char* const dbgps_VRSStoreType_Names[] = {
    "DBGPS_StoreAsPositions", "DBGPS_StoreAsVectors"};
TQ_NAME_TABLE(dbgps_VRSStoreType, 2);

// Coordinate system
static const char* const coordsys_AzimuthFormat_Names[] = {
    "COORDSYS_GridAzimuth", "COORDSYS_GeodeticAzimuth"};
TQ_NAME_TABLE(coordsys_AzimuthFormat, 2);
static const char* const coordsys_CogoDistance_Names[] = {
    "COORDSYS_GridDistance", "COORDSYS_EllipsoidDistance", "COORDSYS_GroundDistance"};
TQ_NAME_TABLE(coordsys_CogoDistance, 3);
static const char* const coordsys_CrossSectionInterpolationMethod_Names[] = {
    "XSInterpolate_Elevation", "XSInterpolate_CrossSlope"};
TQ_NAME_TABLE(coordsys_CrossSectionInterpolationMethod, 2);
static const char* const coordsys_DatumType_Names[] = {
    "COORDSYS_NoDatum", "COORDSYS_SevenParameter", "COORDSYS_ThreeParameter", "COORDSYS_GridDatum"};
TQ_NAME_TABLE(coordsys_DatumType, 4);
static const char* const coordsys_GridElevation_Names[] = {
    "COORDSYS_Ground", "COORDSYS_Grid"};
TQ_NAME_TABLE(coordsys_GridElevation, 2);
static const char* const coordsys_GridOrientation_Names[] = {
    "COORDSYS_IncreasingNorthEast", "COORDSYS_IncreasingSouthWest", "COORDSYS_IncreasingNorthWest",
    "COORDSYS_IncreasingSouthEast"};
TQ_NAME_TABLE(coordsys_GridOrientation, 4);
static const char* const coordsys_GroundScaleFactorType_Names[] = {
    "COORDSYS_GridScaleFactor", "COORDSYS_KeyedInGroundScaleFactor",
    "COORDSYS_CalculatedGroundScaleFactor"};
TQ_NAME_TABLE(coordsys_GroundScaleFactorType, 3);
static const char* const coordsys_HeightType_Names[] = {
    "COORDSYS_NoVertical", "COORDSYS_InclinedPlane", "COORDSYS_GeoidModel",
    "COORDSYS_GeoidAndPlane"};
TQ_NAME_TABLE(coordsys_HeightType, 4);
static const char* const coordsys_OriginCenter_Names[] = {
    "COORDSYS_OriginAtEquator", "COORDSYS_OriginAtProjectionCenter"};
TQ_NAME_TABLE(coordsys_OriginCenter, 2);
static const char* const coordsys_PlaneType_Names[] = {
    "COORDSYS_NoHorizontal", "COORDSYS_ValidHorizontal"};
TQ_NAME_TABLE(coordsys_PlaneType, 2);
static const char* const coordsys_ProjectionArea_Names[] = {
    "COORDSYS_AreaNone", "COORDSYS_AreaZeeland", "COORDSYS_AreaJutland", "COORDSYS_AreaBornholm"};
TQ_NAME_TABLE(coordsys_ProjectionArea, 4);
static const char* const coordsys_ProjectionType_Names[] = {
    "COORDSYS_NoProjection", "COORDSYS_ScaleOnly", "COORDSYS_Plane", "COORDSYS_Mercator",
    "COORDSYS_TransverseMercator", "COORDSYS_UniversalTransverseMercator",
    "COORDSYS_Lambert1Parallel", "COORDSYS_Lambert2Parallel", "COORDSYS_ObliqueMercatorAngle",
    "COORDSYS_ObliqueConformalCylindrical", "COORDSYS_ObliqueStereographic",
    "COORDSYS_PolarStereographic", "COORDSYS_RDStereographic", "COORDSYS_AlbersEqualAreaConic",
    "COORDSYS_CassiniSoldner", "COORDSYS_Krovak", "COORDSYS_NewZealandMapGrid",
    "COORDSYS_UnitedKingdomNationalGrid", "COORDSYS_Denmark", "COORDSYS_HungarianEOV",
    "COORDSYS_StereographicDouble", "COORDSYS_RSO", "COORDSYS_UPSNorth", "COORDSYS_UPSSouth",
    "COORDSYS_ProjectionGrid"};
TQ_NAME_TABLE(coordsys_ProjectionType, 25);
static const char* const coordsys_SubdivideCode_Names[] = {
    "COORDSYS_UseName", "COORDSYS_UseCode", "COORDSYS_UseCustom"};
TQ_NAME_TABLE(coordsys_SubdivideCode, 3);
static const char* const coordsys_WeightExponent_Names[] = {
    "COORDSYS_WeightExponentZeroPointFive", "COORDSYS_WeightExponentOnePointZero",
    "COORDSYS_WeightExponentOnePointFive", "COORDSYS_WeightExponentTwoPointZero"};
TQ_NAME_TABLE(coordsys_WeightExponent, 4);

// Coordinates
static const char* const coord_Face_Names[] = {
    "COORD_FaceNull", "COORD_Face1", "COORD_Face2"};
TQ_NAME_TABLE(coord_Face, 3);
static const char* const coord_Type_Names[] = {
    "COORD_NullType", "COORD_WGS84Type", "COORD_LocalType", "COORD_UncalibratedLocalType",
    "COORD_GridType", "COORD_GridDeltasType", "COORD_ECEFType", "COORD_ECEFGroundType",
    "COORD_ECEFDeltasType", "COORD_PolarType", "COORD_GroundType", "COORD_UnturnedType",
    "COORD_F2PolarType", "COORD_CircleType", "COORD_CorrectedType", "COORD_OrientedType",
    "COORD_LaserOffsetType", "COORD_StationOffsetType", "COORD_MTAType", "COORD_AsStoredType"};
TQ_NAME_TABLE(coord_Type, 20);

// Total station
static const char* const total_AtmosphereMethod_Names[] = {
    "TOTAL_KeyedIn", "TOTAL_ReadFromInstrument"};
TQ_NAME_TABLE(total_AtmosphereMethod, 2);
// Values 1 to 7 are instrument models of one make; those names are our own
// invention.
static const char* const total_InstrumentType_Names[] = {
    "TOTAL_Orion", "TOTAL_SeriesA10", "TOTAL_SeriesA20", "TOTAL_SeriesA20Servo",
    "TOTAL_SeriesA20Robotic", "TOTAL_SeriesB30", "TOTAL_SeriesB30Servo", "TOTAL_SeriesB30Robotic",
    "TOTAL_SETBasic", "TOTAL_SETEnhanced", "TOTAL_Geodimeter400", "TOTAL_Geodimeter500Servo",
    "TOTAL_Geodimeter600", "TOTAL_Geodimeter600Servo", "TOTAL_Geodimeter600Robotic",
    "TOTAL_Geodimeter4000", "TOTAL_LeicaTC300", "TOTAL_LeicaTC500", "TOTAL_LeicaTC800",
    "TOTAL_LeicaT1000_6", "TOTAL_LeicaT1000_14", "TOTAL_LeicaTC1100",
    "TOTAL_LeicaTC1100ServoGeoCom", "TOTAL_LeicaTC1100RoboticGeoCom", "TOTAL_LeicaTC1600",
    "TOTAL_LeicaTC2000", "TOTAL_Nikon", "TOTAL_Pentax", "TOTAL_TopconGeneric", "TOTAL_Topcon500",
    "TOTAL_ZeissElta2", "TOTAL_ZeissElta3", "TOTAL_ZeissElta4", "TOTAL_ZeissEltaC",
    "TOTAL_ZeissRecEltaE", "TOTAL_ZeissRSeries", "TOTAL_Manual", "TOTAL_Null"};
TQ_NAME_TABLE(total_InstrumentType, 38);
static const char* const total_MeasurementMode_Names[] = {
    "TOTAL_EDMFine", "TOTAL_EDMCoarse", "TOTAL_EDMTrack", "TOTAL_EDM5mm", "TOTAL_EDM10mm",
    "TOTAL_EDM20mm", "TOTAL_EDMDefault", "TOTAL_EDMNull"};
TQ_NAME_TABLE(total_MeasurementMode, 8);
static const char* const total_OrionTargetIDCheckType_Names[] = {
    "TOTAL_TargetIDCheck_Off", "TOTAL_TargetIDCheck_Search", "TOTAL_TargetIDCheck_SearchAndMeasure",
    "TOTAL_TargetIDCheck_Always"};
TQ_NAME_TABLE(total_OrionTargetIDCheckType, 4);
static const char* const total_PrismTypes_Names[] = {
    "TOTAL_UnknownPrism", "TOTAL_VXSSeriesMultiTrack", "TOTAL_SSeries360Prism",
    "TOTAL_SSeriesTraversePrism", "TOTAL_Small318mmTiltablePrism", "TOTAL_Large635mmTiltablePrism",
    "TOTAL_MiniPrism", "TOTAL_SuperPrism", "TOTAL_CustomPrism"};
TQ_NAME_TABLE(total_PrismTypes, 9);
static const char* const total_RefractionType_Names[] = {
    "TOTAL_Refraction0", "TOTAL_Refraction0142", "TOTAL_Refraction02"};
TQ_NAME_TABLE(total_RefractionType, 3);
static const char* const total_RMTIDs_Names[] = {
    "TOTAL_RMTIDNone", "TOTAL_RMTID0", "TOTAL_RMTID1", "TOTAL_RMTID2", "TOTAL_RMTID3",
    "TOTAL_RMTID4", "TOTAL_RMTID5", "TOTAL_RMTID6", "TOTAL_RMTID7", "TOTAL_RMTID8"};
TQ_NAME_TABLE(total_RMTIDs, 10);
static const char* const total_ScaleFactorType_Names[] = {
    "TOTAL_ScaleFixed", "TOTAL_ScaleFree"};
TQ_NAME_TABLE(total_ScaleFactorType, 2);
static const char* const total_ServoOptions_Names[] = {
    "TOTAL_HAOnly", "TOTAL_HAandVA", "TOTAL_NoServo", "TOTAL_VAOnly"};
TQ_NAME_TABLE(total_ServoOptions, 4);
static const char* const total_SetHzCircleMode_Names[] = {
    "TOTAL_DoNothing", "TOTAL_Zero", "TOTAL_SetToAzimuth", "TOTAL_SetHzNull"};
TQ_NAME_TABLE(total_SetHzCircleMode, 4);
static const char* const total_StationType_Names[] = {
    "TOTAL_UnknownType", "TOTAL_StationSetup", "TOTAL_StationSetupPlus", "TOTAL_StandardResection",
    "TOTAL_HelmertResection", "TOTAL_ReflineStationSetup"};
TQ_NAME_TABLE(total_StationType, 6);
static const char* const total_TargetHeightMethod_Names[] = {
    "TrueVertical", "OrionBottomNotch"};
TQ_NAME_TABLE(total_TargetHeightMethod, 2);

// Units
static const char* const units_Type_Names[] = {
    "UNITS_Meters", "UNITS_Millimeters", "UNITS_Centimeter", "UNITS_Kilometer", "UNITS_Inch",
    "UNITS_Foot", "UNITS_USFoot", "UNITS_Yard", "UNITS_Link", "UNITS_Chain", "UNITS_Mile",
    "UNITS_NauticalMile", "UNITS_Latitude", "UNITS_Longitude", "UNITS_Ddmmss", "UNITS_Degrees",
    "UNITS_MinutesAngle", "UNITS_SecondsAngle", "UNITS_Mil", "UNITS_Gon", "UNITS_MeterPerSecond",
    "UNITS_Seconds", "UNITS_Hours", "UNITS_Minutes", "UNITS_HoursMinutes", "UNITS_Kilobytes",
    "UNITS_Percentage", "UNITS_PercentScalar", "UNITS_Celcius", "UNITS_Fahrenheit",
    "UNITS_MilliBar", "UNITS_InchHg", "UNITS_MMHg", "UNITS_RatioRiseRun", "UNITS_RatioRunRise",
    "UNITS_Angle", "UNITS_SqMetres", "UNITS_SqMile", "UNITS_SqFeet", "UNITS_Acres",
    "UNITS_Hectares", "UNITS_Quad", "UNITS_PPMSlope", "UNITS_PPMScalar", "UNITS_Ddmm",
    "UNITS_InverseFlattening", "UNITS_None"};
TQ_NAME_TABLE(units_Type, 47);

// Serial ports
static const char* const rs232_FlowControls_Names[] = {
    "RS232_NoFlowControl", "RS232_XonXoffFlowControl", "RS232_RtsCtsFlowControl",
    "RS232_DtrDsrFlowControl"};
TQ_NAME_TABLE(rs232_FlowControls, 4);
static const char* const rs232_ParityCodes_Names[] = {
    "RS232_NoParity", "RS232_OddParity", "RS232_EvenParity", "RS232_MarkParity",
    "RS232_SpaceParity"};
TQ_NAME_TABLE(rs232_ParityCodes, 5);
static const char* const rs232_Ports_Names[] = {
    "RS232_COM1", "RS232_COM2", "RS232_COM3", "RS232_COM4", "RS232_COM5", "RS232_COM6",
    "RS232_COM7", "RS232_COM8", "RS232_COM9", "RS232_COM10", "RS232_NumberOfPorts"};
TQ_NAME_TABLE(rs232_Ports, 11);

// Laser rangefinders
static const char* const dblaser_LaserType_Names[] = {
    "DBLASER_None", "DBLASER_Criterion300", "DBLASER_Criterion400", "DBLASER_Impulse",
    "DBLASER_ProSurvey1000", "DBLASER_AtlantaAdvantage", "DBLASER_Ledha", "DBLASER_MDLLaserAce",
    "DBLASER_MDLGenerationII", "DBLASER_DataDisto", "DBLASER_DistoMemo", "DBLASER_VectorGIS",
    "DBLASER_Bosch", "DBLASER_LaserCraft", "DBLASER_DistoPlus"};
TQ_NAME_TABLE(dblaser_LaserType, 15);

// Survey style and calibration
static const char* const dbtq_CalibPointNameMethod_Names[] = {
    "DBTQ_SamePointName", "DBTQ_AddPrefixToPointName", "DBTQ_AddSuffixToPointName",
    "DBTQ_AddConstantToPointName"};
TQ_NAME_TABLE(dbtq_CalibPointNameMethod, 4);
static const char* const dbtq_CalibrateStatus_Names[] = {
    "DBTQ_0D", "DBTQ_1D", "DBTQ_2D", "DBTQ_3D", "DBTQ_Any"};
TQ_NAME_TABLE(dbtq_CalibrateStatus, 5);
static const char* const dbtq_ObservationType_Names[] = {
    "DBTQ_TopoPoint", "DBTQ_KinematicPoint", "DBTQ_RapidPoint"};
TQ_NAME_TABLE(dbtq_ObservationType, 3);
static const char* const dbtq_PositioningTechnology_Names[] = {
    "DBTQ_GPS", "DBTQ_Conventional", "DBTQ_None"};
TQ_NAME_TABLE(dbtq_PositioningTechnology, 3);

// Dimensions
static const char* const dbtype_Dimension_Names[] = {
    "DBTYPE_None", "DBTYPE_1d", "DBTYPE_2d", "DBTYPE_3d"};
TQ_NAME_TABLE(dbtype_Dimension, 4);
// clang-format on

// Point classification
static const char* const db_PointClassification_Names[] = {
    "None", "Check",    "BackSight", "Stakeout",        "Construction", "Normal",
    "MTA",  "Adjusted", "Averaged",  "NetworkAdjusted", "Control"};
TQ_NAME_TABLE_FROM(db_PointClassification, 11, -1);

#undef TQ_NAME_TABLE
#undef TQ_NAME_TABLE_FROM

// clang-format off
static const NameTable* const AllTables[] = {
    &dbentity_ArcDirection, &dbentity_ArcMethod, &dbentity_AzimuthType,
    &dbentity_CogoTranslationMethod, &dbentity_ComputeAzimuthMethod,
    &dbentity_ComputeDistanceMethod, &dbentity_DirectionAlongLine, &dbentity_LineMethod,
    &dbentity_OffsetElementType, &dbentity_PanoramaMethod, &dbentity_PointMethod,
    &dbentity_RoadType, &dbentity_ScanType, &dbentity_SideSlopeHingeDerv, &dbentity_StakeOutEntity,
    &dbentity_StakeOutMethod, &dbentity_SurfaceScanLineMethod, &dbentity_SurfaceScanMethod,
    &dbentity_SurveyMethod, &dbentity_TrvAdjustmentMethod, &dbentity_TrvAdjustmentType,
    &dbentity_TrvResultType, &dbconfig_AsStaked, &dbconfig_AzimuthFormat, &dbconfig_BuildId,
    &dbconfig_CoordOrder, &dbconfig_DecAngleDisplay, &dbconfig_DeltasMode,
    &dbconfig_DistanceDisplay, &dbconfig_DMSAngleDisplay, &dbconfig_GPSTimeDisplay,
    &dbconfig_LaserVA, &dbconfig_OffsetPerspectiveMode, &dbconfig_OrientTo,
    &dbconfig_QualityControl, &dbconfig_StakeMapMode, &dbconfig_StakePerspectiveMode,
    &dbconfig_Stationing, &dbconfig_TrackingMode, &dbconfig_TSStakeViewMode, &dbgps_APCType,
    &dbgps_ContMethod, &dbgps_ContOffsetOption, &dbgps_eRadioSubtype, &dbgps_FileStatus,
    &dbgps_InitEvent, &dbgps_InitSystem, &dbgps_InitType, &dbgps_INSPositionType,
    &dbgps_LoggingDevice, &dbgps_MonitorState, &dbgps_RadioType, &dbgps_ReceiverPort,
    &dbgps_RTCMAgeLimit, &dbgps_RTKApplication, &dbgps_RTKRecordType, &dbgps_SatDiffCorrection,
    &dbgps_SurveyEvent, &dbgps_SurveyType, &dbgps_Throttling, &dbgps_VRSStoreType,
    &coordsys_AzimuthFormat, &coordsys_CogoDistance, &coordsys_CrossSectionInterpolationMethod,
    &coordsys_DatumType, &coordsys_GridElevation, &coordsys_GridOrientation,
    &coordsys_GroundScaleFactorType, &coordsys_HeightType, &coordsys_OriginCenter,
    &coordsys_PlaneType, &coordsys_ProjectionArea, &coordsys_ProjectionType,
    &coordsys_SubdivideCode, &coordsys_WeightExponent, &coord_Face, &coord_Type,
    &total_AtmosphereMethod, &total_InstrumentType, &total_MeasurementMode,
    &total_OrionTargetIDCheckType, &total_PrismTypes, &total_RefractionType, &total_RMTIDs,
    &total_ScaleFactorType, &total_ServoOptions, &total_SetHzCircleMode, &total_StationType,
    &total_TargetHeightMethod, &units_Type, &rs232_FlowControls, &rs232_ParityCodes, &rs232_Ports,
    &dblaser_LaserType, &dbtq_CalibPointNameMethod, &dbtq_CalibrateStatus, &dbtq_ObservationType,
    &dbtq_PositioningTechnology, &dbtype_Dimension, &db_PointClassification};
// clang-format on

std::span<const NameTable* const> AllNameTables() {
    return AllTables;
}

const char* EnumName(const NameTable& table, int32_t value) {
    // Unsigned comparison folds "below firstValue" into "too large".
    const uint32_t index = static_cast<uint32_t>(value) - static_cast<uint32_t>(table.firstValue);
    if (index < static_cast<uint32_t>(table.count)) return table.names[index];
    TQ_FAIL(table.improperText);
    return "";
}

Str EnumNameStr(const NameTable& table, int32_t value) {
    return Str(EnumName(table, value));
}

int32_t EnumValue(const NameTable& table, const char* text) {
    if (text != nullptr) {
        for (int32_t i = 0; i < table.count; ++i) {
            if (std::strcmp(table.names[i], text) == 0) return table.firstValue + i;
        }
    }
    return table.firstValue - 1;
}

int32_t TextToPointClassification(const char* text) {
    return EnumValue(db_PointClassification, text);
}

static const FlagSet::Flag LaserCapabilityFlags[] = {
    {1, "DBLASER_HasFireCommand"},  {2, "DBLASER_HasEDM"},
    {4, "DBLASER_HasCompass"},      {8, "DBLASER_HasInclinometer"},
    {16, "DBLASER_SupportsSerial"}, {32, "DBLASER_SupportsBluetooth"}};
const FlagSet laser_Capabilities = {"laser capabilities", LaserCapabilityFlags,
                                    static_cast<int32_t>(std::size(LaserCapabilityFlags))};

static const FlagSet::Flag ItemsPresentFlags[] = {
    {1, "COORDSYS_SouthAzimuthPresent"},
    {2, "COORDSYS_GridOrientationPresent"},
    {4, "COORDSYS_MagDeclinationPresent"},
    {8, "COORDSYS_DistancesPresent"},
    {16, "COORDSYS_SubDivideCodePresent"},
    {32, "COORDSYS_NeighbourhoodAdjustmentPresent"},
    {64, "COORDSYS_WeightExponentPresent"},
    {128, "COORDSYS_CrossSectionInterpolationMethodPresent"}};
const FlagSet coordsys_ItemsPresent = {"coordinate-system items present", ItemsPresentFlags,
                                       static_cast<int32_t>(std::size(ItemsPresentFlags))};

static const FlagSet::Flag CogoSettingsFlags[] = {
    {1, "COORDSYS_CogoAzimuthWGS84"},        {2, "COORDSYS_CogoAzimuthLocal"},
    {4, "COORDSYS_CogoAzimuthGrid"},         {8, "COORDSYS_CogoDistanceWGS84"},
    {16, "COORDSYS_CogoDistanceLocal"},      {32, "COORDSYS_CogoDistanceGrid"},
    {64, "COORDSYS_CogoGroundDistances"},    {128, "COORDSYS_CogoEllipsoidDistances"},
    {1024, "COORDSYS_CogoEllipsoidHeights"}, {2048, "COORDSYS_CogoOrthoHeights"}};
const FlagSet coordsys_CogoSettings = {"coordinate geometry settings", CogoSettingsFlags,
                                       static_cast<int32_t>(std::size(CogoSettingsFlags))};

void AppendFlagSetText(Str& out, const FlagSet& set, uint32_t value) {
    bool first = true;
    for (int32_t i = 0; i < set.count; ++i) {
        if ((value & set.flags[i].bit) == 0) continue;
        if (!first) out.Append(' ');
        out.Append(set.flags[i].name);
        first = false;
    }
}

Str FlagSetText(const FlagSet& set, uint32_t value) {
    Str text;
    AppendFlagSetText(text, set, value);
    return text;
}

std::string_view TwoCharCode(int32_t value, char (&out)[2]) {
    const auto bits = static_cast<uint32_t>(value);
    out[0] = static_cast<char>(bits & 0xFF);
    out[1] = static_cast<char>((bits >> 8) & 0xFF);
    return {out, out[0] == '\0' ? 0u : out[1] == '\0' ? 1u : 2u};
}

Str TwoCharCodeText(int32_t value) {
    char chars[2];
    const std::string_view text = TwoCharCode(value, chars);
    return Str(text.data(), static_cast<int32_t>(text.size()));
}

} // namespace tqxml
