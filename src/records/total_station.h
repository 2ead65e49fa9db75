// Total-station records: the instrument, station setups, targets, the
// measuring methods built on raw circle readings, and their residuals.
#pragma once

#include "records/coord.h"
#include "records/fields.h"
#include "records/names.h"

namespace tqxml {

// ---- Value structures of the instrument ----------------------------------------

struct rs232_PortParameters {
    static constexpr const char* kDatatype = "rs232_PortParameters";
    uint32_t BaudRate = 0;
    int16_t DataBits = 0;
    int16_t StopBits = 0;
    int16_t Parity = 0;
    int16_t FlowControl = 0;

    template <class V> void Fields(V& v) {
        v.Int("BaudRate", BaudRate, IntForm::Unsigned);
        v.Int("DataBits", DataBits, IntForm::Signed);
        v.Int("StopBits", StopBits, IntForm::Signed);
        v.Enum("Parity", Parity, rs232_ParityCodes);
        v.Enum("FlowControl", FlowControl, rs232_FlowControls);
    }
};

struct total_InstrPrecisions {
    static constexpr const char* kDatatype = "total_InstrPrecisions";
    double HAPrecision = 0;
    double VAPrecision = 0;
    double EDMPrecision = 0;
    double EDMppm = 0;

    template <class V> void Fields(V& v) {
        v.Real("HAPrecision", HAPrecision);
        v.Real("VAPrecision", VAPrecision);
        v.Real("EDMPrecision", EDMPrecision);
        v.Real("EDMppm", EDMppm);
    }
};

struct total_Radio {
    static constexpr const char* kDatatype = "total_Radio";
    int32_t Channel = 0;
    int32_t StationAddress = 0;
    int32_t RemoteAddress = 0;

    template <class V> void Fields(V& v) {
        v.Int("Channel", Channel, IntForm::Signed);
        v.Int("StationAddress", StationAddress, IntForm::Signed);
        v.Int("RemoteAddress", RemoteAddress, IntForm::Signed);
    }
};

// ---- Instrument, station, atmosphere, orientation, target -------------------------

// The total station in use and its settings; the document groups the
// settings differently from the stored order.
class db_TotalInstrument final : public Record<db_TotalInstrument> {
public:
    int16_t Type = 0;
    double RefractiveIndex = 0;
    double CarrierWavelength = 0;
    bool HasExtraInfo = false;
    int16_t MeasurementMode = 0;
    int16_t SetHzCircleMode = 0;
    int16_t Servo = 0;
    rs232_PortParameters PortParam;
    double AnglesOnlyRate = 0;
    bool TurnToZero = false;
    total_InstrPrecisions Precisions;
    double CenteringError = 0;
    total_Radio Radio;
    int32_t AverageMeasurements = 0;
    bool AutoMatchedFace1_2 = false;
    bool MeasureDistOnFace2 = false;
    bool StakeUsingTracking = false;
    bool SendRecordAck = false;
    bool EditInstrumentPrecisions = false;
    Str Model;
    Str Serial;
    Str FirmwareVersion;
    uint32_t ModelNumber = 0;
    double InstrumentAppliedHCollimation = 0;
    double InstrumentAppliedVCollimation = 0;
    double TrunionAxisTiltCorrection = 0;
    Str UserDefinedName;
    double InstrumentAppliedAutolockHCollimation = 0;
    double InstrumentAppliedAutolockVCollimation = 0;
    double AtmosphereCorrectionCoeff = 0;
    int16_t OffsetUserPerspective = 0;

    static constexpr FieldMove kDocumentMoves[] = {
        {"Radio", "EditInstrumentPrecisions"},
        {"Precisions", "Radio"},
        {"CenteringError", "Precisions"},
        {"PortParam", "CenteringError"},
    };

    template <class V> void Fields(V& v) {
        v.Enum("Type", Type, total_InstrumentType);
        v.Real("RefractiveIndex", RefractiveIndex);
        v.Real("CarrierWavelength", CarrierWavelength);
        v.Bool("HasExtraInfo", HasExtraInfo);
        v.Enum("MeasurementMode", MeasurementMode, total_MeasurementMode);
        v.Enum("SetHzCircleMode", SetHzCircleMode, total_SetHzCircleMode);
        v.Enum("Servo", Servo, total_ServoOptions);
        v.Struct("PortParam", PortParam);
        v.Real("AnglesOnlyRate", AnglesOnlyRate);
        v.Bool("TurnToZero", TurnToZero);
        v.Struct("Precisions", Precisions);
        v.Real("CenteringError", CenteringError);
        v.Struct("Radio", Radio);
        v.Int("AverageMeasurements", AverageMeasurements, IntForm::Signed);
        v.Bool("AutoMatchedFace1_2", AutoMatchedFace1_2);
        v.Bool("MeasureDistOnFace2", MeasureDistOnFace2);
        v.Bool("StakeUsingTracking", StakeUsingTracking);
        v.Bool("SendRecordAck", SendRecordAck);
        v.Bool("EditInstrumentPrecisions", EditInstrumentPrecisions);
        v.Text("Model", Model);
        v.Text("Serial", Serial);
        v.Text("FirmwareVersion", FirmwareVersion);
        v.Int("ModelNumber", ModelNumber, IntForm::Unsigned);
        v.Real("InstrumentAppliedHCollimation", InstrumentAppliedHCollimation);
        v.Real("InstrumentAppliedVCollimation", InstrumentAppliedVCollimation);
        v.Real("TrunionAxisTiltCorrection", TrunionAxisTiltCorrection);
        v.Text("UserDefinedName", UserDefinedName);
        v.Real("InstrumentAppliedAutolockHCollimation", InstrumentAppliedAutolockHCollimation);
        v.Real("InstrumentAppliedAutolockVCollimation", InstrumentAppliedAutolockVCollimation);
        v.Real("AtmosphereCorrectionCoeff", AtmosphereCorrectionCoeff);
        v.Enum("OffsetUserPerspective", OffsetUserPerspective, dbconfig_OffsetPerspectiveMode);
    }
};

// A station setup: where the instrument stands and how its height was
// measured, with the instrument and atmosphere records in force.
class db_TotalStation final : public Record<db_TotalStation> {
public:
    Str StationName;
    double RawTheodoliteHt = 0;
    int16_t MeasurementMethod = 0;
    double HorizontalOffset = 0;
    double VerticalOffset = 0;
    db_DBIDValue Instrument = NODBID;
    db_DBIDValue Atmosphere = NODBID;
    uint32_t NumberOfBacksightObservations = 0;
    uint32_t NumberOfUniqueBacksights = 0;
    int16_t ScaleType = 0;
    double ScaleFactor = 0;
    double ScaleFactorStdError = 0;
    int16_t StationType = 0;

    static constexpr FieldMove kDocumentMoves[] = {
        {"MeasurementMethod", "StationName"},
        {"ScaleFactor", "NumberOfUniqueBacksights"},
    };

    template <class V> void Fields(V& v) {
        v.RecordName("StationName", StationName);
        v.Real("RawTheodoliteHt", RawTheodoliteHt);
        v.Enum("MeasurementMethod", MeasurementMethod, total_TargetHeightMethod);
        v.Real("HorizontalOffset", HorizontalOffset);
        v.Real("VerticalOffset", VerticalOffset);
        v.Int("Instrument", Instrument, IntForm::Hex);
        v.Int("Atmosphere", Atmosphere, IntForm::Hex);
        v.Int("NumberOfBacksightObservations", NumberOfBacksightObservations, IntForm::Unsigned);
        v.Int("NumberOfUniqueBacksights", NumberOfUniqueBacksights, IntForm::Unsigned);
        v.Enum("ScaleType", ScaleType, total_ScaleFactorType);
        v.Real("ScaleFactor", ScaleFactor);
        v.Real("ScaleFactorStdError", ScaleFactorStdError);
        v.Enum("StationType", StationType, total_StationType);
    }
};

class db_TotalAtmosphere final : public Record<db_TotalAtmosphere> {
public:
    double Pressure = 0;
    double Temperature = 0;
    double PPM = 0;
    int16_t Refraction = 0;
    int16_t PressureInputMethod = 0;

    template <class V> void Fields(V& v) {
        v.Real("Pressure", Pressure);
        v.Real("Temperature", Temperature);
        v.Real("PPM", PPM);
        v.Enum("Refraction", Refraction, total_RefractionType);
        v.Enum("PressureInputMethod", PressureInputMethod, total_AtmosphereMethod);
    }
};

// The orientation of a station setup.
class db_TotalBackBearing final : public Record<db_TotalBackBearing> {
public:
    Str Station;
    Str BackSight;
    double F1HorzCircle = 0;
    double F2HorzCircle = 0;
    double OrientationCorrectionStdError = 0;

    template <class V> void Fields(V& v) {
        v.Text("Station", Station);
        v.Text("BackSight", BackSight);
        v.Real("F1HorzCircle", F1HorzCircle);
        v.Real("F2HorzCircle", F2HorzCircle);
        v.Real("OrientationCorrectionStdError", OrientationCorrectionStdError);
    }
};

// The target (prism or reflectorless) in use.
class db_Target final : public Record<db_Target> {
public:
    Str Name;
    bool IsDR = false;
    double RawTargetHeight = 0;
    int16_t MeasurementMethod = 0;
    double HorizontalOffset = 0;
    double VerticalOffset = 0;
    int32_t PrismType = 0;
    double PrismConstant = 0;
    int32_t RMTID = 0;
    int32_t OrionCheckTargetID = 0;
    bool IsDualPrism = false;

    static constexpr FieldMove kDocumentMoves[] = {{"MeasurementMethod", "IsDR"}};

    template <class V> void Fields(V& v) {
        v.Text("Name", Name);
        v.Bool("IsDR", IsDR);
        v.Real("RawTargetHeight", RawTargetHeight);
        v.Enum("MeasurementMethod", MeasurementMethod, total_TargetHeightMethod);
        v.Real("HorizontalOffset", HorizontalOffset);
        v.Real("VerticalOffset", VerticalOffset);
        v.Enum("PrismType", PrismType, total_PrismTypes);
        v.Real("PrismConstant", PrismConstant);
        v.Enum("RMTID", RMTID, total_RMTIDs);
        v.Enum("OrionCheckTargetID", OrionCheckTargetID, total_OrionTargetIDCheckType);
        v.Bool("IsDualPrism", IsDualPrism);
    }
};

// ---- Measuring methods built on raw circle readings ------------------------------

class db_DualPrismOffset final : public Record<db_DualPrismOffset> {
public:
    coord_Circle PrismAObservation;
    coord_Circle PrismBObservation;
    double PrismConstantA = 0;
    double PrismConstantB = 0;
    double DistanceAB = 0;
    double DistanceBC = 0;
    double CalculatedDistanceAB = 0;

    template <class V> void Fields(V& v) {
        v.Struct("PrismAObservation", PrismAObservation);
        v.Struct("PrismBObservation", PrismBObservation);
        v.Real("PrismConstantA", PrismConstantA);
        v.Real("PrismConstantB", PrismConstantB);
        v.Real("DistanceAB", DistanceAB);
        v.Real("DistanceBC", DistanceBC);
        v.Real("CalculatedDistanceAB", CalculatedDistanceAB);
    }
};

class db_CircularObject final : public Record<db_CircularObject> {
public:
    coord_Circle FirstRawObservation;
    coord_Circle SecondRawObservation;
    double Radius = 0;

    template <class V> void Fields(V& v) {
        v.Struct("FirstRawObservation", FirstRawObservation);
        v.Struct("SecondRawObservation", SecondRawObservation);
        v.Real("Radius", Radius);
    }
};

class db_RemoteObject final : public Record<db_RemoteObject> {
public:
    coord_Circle RawObservation;
    double ObjectHeight = 0;
    double ObjectWidth = 0;
    Str ROBasePointName;
    db_DBIDValue ROBasePointID = NODBID;

    template <class V> void Fields(V& v) {
        v.Struct("RawObservation", RawObservation);
        v.Real("ObjectHeight", ObjectHeight);
        v.Real("ObjectWidth", ObjectWidth);
        v.Text("ROBasePointName", ROBasePointName);
        v.Int("ROBasePointID", ROBasePointID, IntForm::Hex);
    }
};

class db_AngleOffset final : public Record<db_AngleOffset> {
public:
    coord_Circle FirstRawObservation;
    coord_Circle SecondRawObservation;

    template <class V> void Fields(V& v) {
        v.Struct("FirstRawObservation", FirstRawObservation);
        v.Struct("SecondRawObservation", SecondRawObservation);
    }
};

class db_DistanceOffset final : public Record<db_DistanceOffset> {
public:
    coord_Circle RawObservation;
    double LeftRightOffset = 0;
    double InOutOffset = 0;
    double DownUpOffset = 0;
    int16_t DisplayOffsetPerspective = 0;

    template <class V> void Fields(V& v) {
        v.Struct("RawObservation", RawObservation);
        v.Real("LeftRightOffset", LeftRightOffset);
        v.Real("InOutOffset", InOutOffset);
        v.Real("DownUpOffset", DownUpOffset);
        v.Enum("DisplayOffsetPerspective", DisplayOffsetPerspective,
               dbconfig_OffsetPerspectiveMode);
    }
};

// ---- Residuals ---------------------------------------------------------------------

// The residuals of one point used in a station setup.
class db_StationSetupResiduals final : public Record<db_StationSetupResiduals> {
public:
    int16_t Derivation = kBlankDerivation;
    Str PointName;
    int16_t Dimension = 0;
    coord_CorrectedGrid Grid;
    coord_GridDeltas GridResidual;
    coord_Corrected AngleResidual;
    double AzimuthResidual = 0;
    double LongitudinalDistanceResidual = 0;
    double OrthogonalDistanceResidual = 0;
    double RadialDistResidual = 0;
    int16_t Round = 0;
    bool Backsight = false;
    db_DBIDValue Observation = NODBID;
    db_DBIDValue MeanTurnedAngle = NODBID;

    template <class V> void Fields(V& v) {
        v.TwoChar("Derivation", Derivation);
        v.Text("PointName", PointName);
        v.Enum("Dimension", Dimension, dbtype_Dimension);
        v.Struct("Grid", Grid);
        v.Struct("GridResidual", GridResidual);
        v.Struct("AngleResidual", AngleResidual);
        v.Real("AzimuthResidual", AzimuthResidual);
        v.Real("LongitudinalDistanceResidual", LongitudinalDistanceResidual);
        v.Real("OrthogonalDistanceResidual", OrthogonalDistanceResidual);
        v.Real("RadialDistResidual", RadialDistResidual);
        v.Int("Round", Round, IntForm::Signed);
        v.Bool("Backsight", Backsight);
        v.Int("Observation", Observation, IntForm::Hex);
        v.Int("MeanTurnedAngle", MeanTurnedAngle, IntForm::Hex);
    }
};

// The residuals of one observation within a mean turned angle.
class db_MeanTurnedAngleResiduals final : public Record<db_MeanTurnedAngleResiduals> {
public:
    Str PointName;
    double HorzAngResidual = 0;
    double VertAngResidual = 0;
    double SlopeDistResidual = 0;
    int16_t Round = 0;
    db_DBIDValue Observation = NODBID;
    db_DBIDValue MeanTurnedAngle = NODBID;

    template <class V> void Fields(V& v) {
        v.Text("PointName", PointName);
        v.Real("HorzAngResidual", HorzAngResidual);
        v.Real("VertAngResidual", VertAngResidual);
        v.Real("SlopeDistResidual", SlopeDistResidual);
        v.Int("Round", Round, IntForm::Signed);
        v.Int("Observation", Observation, IntForm::Hex);
        v.Int("MeanTurnedAngle", MeanTurnedAngle, IntForm::Hex);
    }
};

// The errors of a resected position.
class db_ResectErrors final : public Record<db_ResectErrors> {
public:
    coord_GridDeltas Deltas;

    template <class V> void Fields(V& v) { v.Struct("Deltas", Deltas); }
};

} // namespace tqxml
