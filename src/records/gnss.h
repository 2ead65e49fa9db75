// GNSS survey records: equipment, antenna, radios, survey settings, events,
// occupation times, quality control and the correction source.
#pragma once

#include "records/coord.h"
#include "records/fields.h"
#include "records/names.h"

namespace tqxml {

// ---- Structures ----------------------------------------------------------------

// A GPS time: week number and seconds into the week.
struct dbgps_GPSTime {
    static constexpr const char* kDatatype = "dbgps_GPSTime";
    uint16_t Week = 0;
    double Time = 0;

    template <class V> void Fields(V& v) {
        v.Int("Week", Week, IntForm::Unsigned);
        v.Real("Time", Time);
    }
};

// The least occupation times of an initialisation method, by the number of
// satellites in view.
struct db_InitTimes {
    static constexpr const char* kDatatype = "db_InitTimes";
    bool RequireL2 = false;
    double TimeFor4SVs = 0;
    double TimeFor5SVs = 0;
    double TimeFor6SVs = 0;

    template <class V> void Fields(V& v) {
        v.Bool("RequireL2", RequireL2);
        v.Real("TimeFor4SVs", TimeFor4SVs);
        v.Real("TimeFor5SVs", TimeFor5SVs);
        v.Real("TimeFor6SVs", TimeFor6SVs);
    }
};

// What triggers a continuous point, and its offsets. ContMethod holds the
// number of offsets, not the trigger.
struct dbgps_ContParameters {
    static constexpr const char* kDatatype = "dbgps_ContParameters";
    int16_t Method = 0;
    double TriggerDistance = 0;
    double Interval = 0;
    double StopTime = 0;
    int16_t ContMethod = 0;
    double LeftHorz = 0;
    double LeftVert = 0;
    double RightHorz = 0;
    double RightVert = 0;

    template <class V> void Fields(V& v) {
        v.Enum("Method", Method, dbgps_ContMethod);
        v.Real("TriggerDistance", TriggerDistance);
        v.Real("Interval", Interval);
        v.Real("StopTime", StopTime);
        v.Enum("ContMethod", ContMethod, dbgps_ContOffsetOption);
        v.Real("LeftHorz", LeftHorz);
        v.Real("LeftVert", LeftVert);
        v.Real("RightHorz", RightHorz);
        v.Real("RightVert", RightVert);
    }
};

// ---- The survey pair and the radio pair ------------------------------------------
// One stored form serves both records of a pair; the two registered classes
// differ only in their type.

class db_Survey : public dbRecord_Class {
public:
    int16_t SurveyType = 0;
    int16_t LoggingDevice = 0;
    int16_t RTCMAgeLimit = 0;
    bool AutoFilenames = false;
    Str Filename;
    double PPEpochInterval = 0;
    double RTEpochInterval = 0;
    int16_t Application = 0;
    int16_t RecordType = 0;
    int16_t PosStoreType = 0;
    int16_t SatDiffCorrection = 0;
    bool IgnoreSatDiffHealth = false;
    bool OutputCode = false;
    int16_t INSPositionType = 0;
    bool ECodeRovers = false;
    uint16_t StationIndex = 0;
    bool PromptForIndex = false;
    double ElevationMask = 0;
    double PDOPMask = 0;
    bool L2CEnabled = false;
    bool GlonassEnabled = false;
    bool L5Enabled = false;
    bool L2eEnabled = false;
    bool G1PTracked = false;
    bool Rx4000SeriesBase = false;
    int16_t AntennaNumber = 0;
    int16_t AntennaMethod = 0;
    Str AntennaSerialNo;
    bool Approved = false;
    bool FixedStyle = false;
    double MeasuredHeight = 0;
    Str AntennaFileName;

    template <class V> void Fields(V& v) {
        v.Enum("SurveyType", SurveyType, dbgps_SurveyType);
        v.Enum("LoggingDevice", LoggingDevice, dbgps_LoggingDevice);
        v.Enum("RTCMAgeLimit", RTCMAgeLimit, dbgps_RTCMAgeLimit);
        v.Bool("AutoFilenames", AutoFilenames);
        v.Text("Filename", Filename);
        v.Real("PPEpochInterval", PPEpochInterval);
        v.Real("RTEpochInterval", RTEpochInterval);
        v.Enum("Application", Application, dbgps_RTKApplication);
        v.Enum("RecordType", RecordType, dbgps_RTKRecordType);
        v.Enum("PosStoreType", PosStoreType, dbgps_VRSStoreType);
        v.Enum("SatDiffCorrection", SatDiffCorrection, dbgps_SatDiffCorrection);
        v.Bool("IgnoreSatDiffHealth", IgnoreSatDiffHealth);
        v.Bool("OutputCode", OutputCode);
        v.Enum("INSPositionType", INSPositionType, dbgps_INSPositionType);
        v.Bool("ECodeRovers", ECodeRovers);
        v.Int("StationIndex", StationIndex, IntForm::Unsigned);
        v.Bool("PromptForIndex", PromptForIndex);
        v.Real("ElevationMask", ElevationMask);
        v.Real("PDOPMask", PDOPMask);
        v.Bool("L2CEnabled", L2CEnabled);
        v.Bool("GlonassEnabled", GlonassEnabled);
        v.Bool("L5Enabled", L5Enabled);
        v.Bool("L2eEnabled", L2eEnabled);
        v.Bool("G1PTracked", G1PTracked);
        v.Bool("Rx4000SeriesBase", Rx4000SeriesBase);
        v.Int("AntennaNumber", AntennaNumber, IntForm::Signed);
        v.Int("AntennaMethod", AntennaMethod, IntForm::Signed);
        v.Text("AntennaSerialNo", AntennaSerialNo);
        v.Bool("Approved", Approved);
        v.Bool("FixedStyle", FixedStyle);
        v.Real("MeasuredHeight", MeasuredHeight);
        v.Text("AntennaFileName", AntennaFileName);
    }

protected:
    db_Survey() = default;
    db_Survey(const db_Survey&) = default;
    db_Survey& operator=(const db_Survey&) = default;
};

// The radio or modem link, with the settings of a custom radio, of a
// Pacific Crest radio and of a modem.
class db_Radio : public dbRecord_Class {
public:
    int16_t RadioType = 0;
    int16_t Subtype = 0;
    int16_t ControllerPort = 0;
    int16_t Port = 0;
    uint32_t BaudRate = 0;
    int16_t Parity = 0;
    bool CTSEnabled = false;
    uint16_t RXChannel = 0;
    uint16_t TXChannel = 0;
    uint16_t HomeAddress = 0;
    uint16_t DestAddress = 0;
    uint16_t ReportDelay = 0;
    int16_t CustomPort = 0;
    uint32_t CustomBaudRate = 0;
    int16_t CustomParity = 0;
    bool CustomCTSEnabled = false;
    uint32_t PacCrestBaudRate = 0;
    int16_t PacCrestParity = 0;
    int16_t ModemPort = 0;
    uint32_t ModemBaudRate = 0;
    int16_t ModemParity = 0;
    bool ModemCTSEnabled = false;
    Str DialProfileName;
    bool Approved = false;
    bool StreamFromTQ = false;
    int16_t DataThrottling = 0;
    Str BluetoothAddress;
    bool PromptForDialProfile = false;

    template <class V> void Fields(V& v) {
        v.Enum("RadioType", RadioType, dbgps_RadioType);
        v.Enum("Subtype", Subtype, dbgps_eRadioSubtype);
        v.Enum("ControllerPort", ControllerPort, rs232_Ports);
        v.Enum("Port", Port, dbgps_ReceiverPort);
        v.Int("BaudRate", BaudRate, IntForm::Unsigned);
        v.Enum("Parity", Parity, rs232_ParityCodes);
        v.Bool("CTSEnabled", CTSEnabled);
        v.Int("RXChannel", RXChannel, IntForm::Unsigned);
        v.Int("TXChannel", TXChannel, IntForm::Unsigned);
        v.Int("HomeAddress", HomeAddress, IntForm::Unsigned);
        v.Int("DestAddress", DestAddress, IntForm::Unsigned);
        v.Int("ReportDelay", ReportDelay, IntForm::Unsigned);
        v.Enum("CustomPort", CustomPort, dbgps_ReceiverPort);
        v.Int("CustomBaudRate", CustomBaudRate, IntForm::Unsigned);
        v.Enum("CustomParity", CustomParity, rs232_ParityCodes);
        v.Bool("CustomCTSEnabled", CustomCTSEnabled);
        v.Int("PacCrestBaudRate", PacCrestBaudRate, IntForm::Unsigned);
        v.Enum("PacCrestParity", PacCrestParity, rs232_ParityCodes);
        v.Enum("ModemPort", ModemPort, dbgps_ReceiverPort);
        v.Int("ModemBaudRate", ModemBaudRate, IntForm::Unsigned);
        v.Enum("ModemParity", ModemParity, rs232_ParityCodes);
        v.Bool("ModemCTSEnabled", ModemCTSEnabled);
        v.Text("DialProfileName", DialProfileName);
        v.Bool("Approved", Approved);
        v.Bool("StreamFromTQ", StreamFromTQ);
        v.Enum("DataThrottling", DataThrottling, dbgps_Throttling);
        v.Text("BluetoothAddress", BluetoothAddress);
        v.Bool("PromptForDialProfile", PromptForDialProfile);
    }

protected:
    db_Radio() = default;
    db_Radio(const db_Radio&) = default;
    db_Radio& operator=(const db_Radio&) = default;
};

class db_RoverSurvey final : public Record<db_RoverSurvey, db_Survey> {};
class db_BaseSurvey final : public Record<db_BaseSurvey, db_Survey> {};
class db_RoverRadio final : public Record<db_RoverRadio, db_Radio> {};
class db_BaseRadio final : public Record<db_BaseRadio, db_Radio> {};

// ---- Equipment and settings --------------------------------------------------------

// The receiver and antenna in use.
class db_Equipment final : public Record<db_Equipment> {
public:
    Str ReceiverType;
    Str ReceiverSerialNo;
    Str FullReceiverSerialNo;
    double ReceiverNavVersion = 0;
    Str AntennaName;
    Str AntennaShortName;
    Str MeasureMethod;
    Str AntennaSerialNo;
    int16_t AntennaNumber = 0;
    int16_t AntennaMethod = 0;
    double TapeAdjustment = 0;
    double HorizontalOffset = 0;
    double VerticalOffset = 0;
    int16_t Derivation = kBlankDerivation;

    template <class V> void Fields(V& v) {
        v.Text("ReceiverType", ReceiverType);
        v.Text("ReceiverSerialNo", ReceiverSerialNo);
        v.Text("FullReceiverSerialNo", FullReceiverSerialNo);
        v.Real("ReceiverNavVersion", ReceiverNavVersion);
        v.Text("AntennaName", AntennaName);
        v.Text("AntennaShortName", AntennaShortName);
        v.Text("MeasureMethod", MeasureMethod);
        v.Text("AntennaSerialNo", AntennaSerialNo);
        v.Int("AntennaNumber", AntennaNumber, IntForm::Signed);
        v.Int("AntennaMethod", AntennaMethod, IntForm::Signed);
        v.Real("TapeAdjustment", TapeAdjustment);
        v.Real("HorizontalOffset", HorizontalOffset);
        v.Real("VerticalOffset", VerticalOffset);
        v.TwoChar("Derivation", Derivation);
    }
};

// An antenna height setting.
class db_Antenna final : public Record<db_Antenna> {
public:
    double MeasuredHeight = 0;
    int16_t APCType = 0;
    db_DBIDValue Equipment = NODBID; // the equipment record in use

    template <class V> void Fields(V& v) {
        v.Real("MeasuredHeight", MeasuredHeight);
        v.Enum("APCType", APCType, dbgps_APCType);
        v.Int("Equipment", Equipment, IntForm::Hex);
    }
};

class db_SurveyEvent final : public Record<db_SurveyEvent> {
public:
    int16_t Event = 0;

    template <class V> void Fields(V& v) { v.Enum("Event", Event, dbgps_SurveyEvent); }
};

class db_ContParameters final : public Record<db_ContParameters> {
public:
    dbgps_ContParameters Params;

    template <class V> void Fields(V& v) { v.Struct("Params", Params); }
};

class db_Initialisation final : public Record<db_Initialisation> {
public:
    int16_t InitEvent = 0;
    dbgps_GPSTime Time;
    int16_t InitType = 0;
    int16_t InitSystem = 0;
    uint16_t InitCount = 0;
    Str PointName;
    double PlateAzimuth = 0;
    double PlateHDist = 0;
    double PlateVDist = 0;

    template <class V> void Fields(V& v) {
        v.Enum("InitEvent", InitEvent, dbgps_InitEvent);
        v.Struct("Time", Time);
        v.Enum("InitType", InitType, dbgps_InitType);
        v.Enum("InitSystem", InitSystem, dbgps_InitSystem);
        v.Int("InitCount", InitCount, IntForm::Unsigned);
        v.Text("PointName", PointName);
        v.Real("PlateAzimuth", PlateAzimuth);
        v.Real("PlateHDist", PlateHDist);
        v.Real("PlateVDist", PlateVDist);
    }
};

// A reference (base) station occupation.
class db_Reference final : public Record<db_Reference> {
public:
    Str PointName;
    db_DBIDValue Antenna = NODBID; // the antenna record in use
    int16_t Derivation = kBlankDerivation;

    template <class V> void Fields(V& v) {
        v.Text("PointName", PointName);
        v.Int("Antenna", Antenna, IntForm::Hex);
        v.TwoChar("Derivation", Derivation);
    }
};

// A receiver log file for post-processing.
class db_PostProcess final : public Record<db_PostProcess> {
public:
    Str FileName;
    int16_t FileStatus = 0;
    dbgps_GPSTime StartTime;
    db_DBIDValue Previous = NODBID;
    db_DBIDValue Antenna = NODBID; // the antenna record in use

    template <class V> void Fields(V& v) {
        v.Text("FileName", FileName);
        v.Enum("FileStatus", FileStatus, dbgps_FileStatus);
        v.Struct("StartTime", StartTime);
        v.Int("Previous", Previous, IntForm::Hex);
        v.Int("Antenna", Antenna, IntForm::Hex);
    }
};

class db_Tracking final : public Record<db_Tracking> {
public:
    int16_t L1Tracking = 0;
    int16_t L2Tracking = 0;

    template <class V> void Fields(V& v) {
        v.Enum("L1Tracking", L1Tracking, dbconfig_TrackingMode);
        v.Enum("L2Tracking", L2Tracking, dbconfig_TrackingMode);
    }
};

// How GNSS points are measured and stored.
class db_GPSReading final : public Record<db_GPSReading> {
public:
    uint16_t Measurements = 0;
    double Duration = 0;
    double HorzAcc = 0;
    double VertAcc = 0;
    bool AutoRove = false;
    Str AutoPointName;
    int16_t AsBuiltId = 0;
    int16_t AutoPointIncr = 0;
    int16_t QualityControl = 0;
    int16_t DisplayPointType = 0;
    bool AutoPrecisions = false;

    template <class V> void Fields(V& v) {
        v.Int("Measurements", Measurements, IntForm::Unsigned);
        v.Real("Duration", Duration);
        v.Real("HorzAcc", HorzAcc);
        v.Real("VertAcc", VertAcc);
        v.Bool("AutoRove", AutoRove);
        v.Text("AutoPointName", AutoPointName);
        v.Enum("AsBuiltId", AsBuiltId, dbconfig_BuildId);
        v.Int("AutoPointIncr", AutoPointIncr, IntForm::Signed);
        v.Enum("QualityControl", QualityControl, dbconfig_QualityControl);
        v.Enum("DisplayPointType", DisplayPointType, coord_Type);
        v.Bool("AutoPrecisions", AutoPrecisions);
    }
};

// How total-station points are stored.
class db_TSReading final : public Record<db_TSReading> {
public:
    bool ViewBeforeStorage = false;
    int16_t AutoPointIncr = 0;
    int16_t DisplayPointType = 0;
    int16_t OffsetUserPerspective = 0;

    template <class V> void Fields(V& v) {
        v.Bool("ViewBeforeStorage", ViewBeforeStorage);
        v.Int("AutoPointIncr", AutoPointIncr, IntForm::Signed);
        v.Enum("DisplayPointType", DisplayPointType, coord_Type);
        v.Enum("OffsetUserPerspective", OffsetUserPerspective, dbconfig_OffsetPerspectiveMode);
    }
};

// ---- Occupation times ----------------------------------------------------------------

// The shape of the six occupation-time records: one set of times, nothing else.
template <class Derived> class db_OccupationTimesRecord : public Record<Derived> {
public:
    db_InitTimes times;

    template <class V> void Fields(V& v) { v.Struct("times", times); }
};

class db_L2OTFTimes final : public db_OccupationTimesRecord<db_L2OTFTimes> {};
class db_L1StaticTimes final : public db_OccupationTimesRecord<db_L1StaticTimes> {};
class db_ControlTimes final : public db_OccupationTimesRecord<db_ControlTimes> {};
class db_FSL1Times final : public db_OccupationTimesRecord<db_FSL1Times> {};
class db_FSL2Times final : public db_OccupationTimesRecord<db_FSL2Times> {};
class db_NewPtTimes final : public db_OccupationTimesRecord<db_NewPtTimes> {};

class db_FastStatic final : public Record<db_FastStatic> {
public:
    bool AutoRove = false;
    db_InitTimes L1Times;
    db_InitTimes L1L2Times;

    template <class V> void Fields(V& v) {
        v.Bool("AutoRove", AutoRove);
        v.Struct("L1Times", L1Times);
        v.Struct("L1L2Times", L1L2Times);
    }
};

class db_RTKControl final : public Record<db_RTKControl> {
public:
    bool AutoRove = false;
    int16_t QualityControl = 0;
    db_InitTimes PPTimes;
    uint16_t Measurements = 0;
    double HorzAcc = 0;
    double VertAcc = 0;
    bool AutoPrecisions = false;

    template <class V> void Fields(V& v) {
        v.Bool("AutoRove", AutoRove);
        v.Enum("QualityControl", QualityControl, dbconfig_QualityControl);
        v.Struct("PPTimes", PPTimes);
        v.Int("Measurements", Measurements, IntForm::Unsigned);
        v.Real("HorzAcc", HorzAcc);
        v.Real("VertAcc", VertAcc);
        v.Bool("AutoPrecisions", AutoPrecisions);
    }
};

class db_ContinuousPoints final : public Record<db_ContinuousPoints> {
public:
    int16_t QualityControl = 0;
    double HorzPrec = 0;
    double VertPrec = 0;
    bool AutoPrecisions = false;

    template <class V> void Fields(V& v) {
        v.Enum("QualityControl", QualityControl, dbconfig_QualityControl);
        v.Real("HorzPrec", HorzPrec);
        v.Real("VertPrec", VertPrec);
        v.Bool("AutoPrecisions", AutoPrecisions);
    }
};

// ---- Quality control -------------------------------------------------------------------

// Satellites, dilutions of precision, RMS and the time span of a GNSS point.
class db_QC1 final : public Record<db_QC1> {
public:
    uint16_t NumberOfSVs = 0;
    bool RelativeDOPs = false;
    double PDOP = 0;
    double HDOP = 0;
    double VDOP = 0;
    double RMS = 0;
    uint16_t PositionsUsed = 0;
    double HorzStandardDeviation = 0;
    double VertStandardDeviation = 0;
    dbgps_GPSTime StartTime;
    dbgps_GPSTime EndTime;
    int16_t MonitorState = 0;

    template <class V> void Fields(V& v) {
        v.Int("NumberOfSVs", NumberOfSVs, IntForm::Unsigned);
        v.Bool("RelativeDOPs", RelativeDOPs);
        v.Real("PDOP", PDOP);
        v.Real("HDOP", HDOP);
        v.Real("VDOP", VDOP);
        v.Real("RMS", RMS);
        v.Int("PositionsUsed", PositionsUsed, IntForm::Unsigned);
        v.Real("HorzStandardDeviation", HorzStandardDeviation);
        v.Real("VertStandardDeviation", VertStandardDeviation);
        v.Struct("StartTime", StartTime);
        v.Struct("EndTime", EndTime);
        v.Enum("MonitorState", MonitorState, dbgps_MonitorState);
    }
};

// The variance-covariance terms (upper triangle) and the error scale.
class db_QC2 final : public Record<db_QC2> {
public:
    uint16_t NumberOfSVs = 0;
    double ErrorScale = 0;
    double VCVxx = 0;
    double VCVxy = 0;
    double VCVxz = 0;
    double VCVyy = 0;
    double VCVyz = 0;
    double VCVzz = 0;

    template <class V> void Fields(V& v) {
        v.Int("NumberOfSVs", NumberOfSVs, IntForm::Unsigned);
        v.Real("ErrorScale", ErrorScale);
        v.Real("VCVxx", VCVxx);
        v.Real("VCVxy", VCVxy);
        v.Real("VCVxz", VCVxz);
        v.Real("VCVyy", VCVyy);
        v.Real("VCVyz", VCVyz);
        v.Real("VCVzz", VCVzz);
    }
};

// Standard errors and the error ellipse.
class db_QC3 final : public Record<db_QC3> {
public:
    double SigmaNorth = 0;
    double SigmaEast = 0;
    double SigmaElev = 0;
    double CovarianceNE = 0;
    double SemiMajorAxis = 0;
    double SemiMinorAxis = 0;
    double Orientation = 0;
    double UnitVariance = 0;

    template <class V> void Fields(V& v) {
        v.Real("SigmaNorth", SigmaNorth);
        v.Real("SigmaEast", SigmaEast);
        v.Real("SigmaElev", SigmaElev);
        v.Real("CovarianceNE", CovarianceNE);
        v.Real("SemiMajorAxis", SemiMajorAxis);
        v.Real("SemiMinorAxis", SemiMinorAxis);
        v.Real("Orientation", Orientation);
        v.Real("UnitVariance", UnitVariance);
    }
};

class db_Precision final : public Record<db_Precision> {
public:
    double Horizontal = 0;
    double Vertical = 0;

    template <class V> void Fields(V& v) {
        v.Real("Horizontal", Horizontal);
        v.Real("Vertical", Vertical);
    }
};

// A meteorological reading.
class db_Meterological final : public Record<db_Meterological> {
public:
    double Pressure = 0;
    double DryBulbTemperature = 0;
    double WetBulbTemperature = 0;
    double RelativeHumidity = 0;

    template <class V> void Fields(V& v) {
        v.Real("Pressure", Pressure);
        v.Real("DryBulbTemperature", DryBulbTemperature);
        v.Real("WetBulbTemperature", WetBulbTemperature);
        v.Real("RelativeHumidity", RelativeHumidity);
    }
};

// The network correction source used by the survey.
class db_NTRIPDataSource final : public Record<db_NTRIPDataSource> {
public:
    Str MountPoint;
    Str DataFormat;
    Str Solution;
    Str IPAdress;
    int16_t IPPort = 0;

    template <class V> void Fields(V& v) {
        v.Text("MountPoint", MountPoint);
        v.Text("DataFormat", DataFormat);
        v.Text("Solution", Solution);
        v.Text("IPAdress", IPAdress);
        v.Int("IPPort", IPPort, IntForm::Signed);
    }
};

} // namespace tqxml
