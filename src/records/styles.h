// Style and instrument-configuration records: survey styles, the integrated
// style and target, the laser settings, tolerances, coding and descriptions.
#pragma once

#include "records/fields.h"
#include "records/names.h"

namespace tqxml {

// The feature-coding setup in force.
class db_Coding final : public Record<db_Coding> {
public:
    Str Comment;
    Str Filename;
    Str DDFFilename;
    uint16_t CheckSum = 0;
    int8_t AttributesActive = 0;
    bool UseAttributesOfBaseCode = false;

    template <class V> void Fields(V& v) {
        v.Text("Comment", Comment);
        v.Text("Filename", Filename);
        v.Text("DDFFilename", DDFFilename);
        v.Int("CheckSum", CheckSum, IntForm::Unsigned);
        v.Bool("AttributesActive", AttributesActive);
        v.Bool("UseAttributesOfBaseCode", UseAttributesOfBaseCode);
    }
};

// Whether the two free description fields are in use, and their labels.
class db_DescriptionsDefinition final : public Record<db_DescriptionsDefinition> {
public:
    bool UseDescriptions = false;
    Str Description1Label;
    Str Description2Label;

    template <class V> void Fields(V& v) {
        v.Bool("UseDescriptions", UseDescriptions);
        v.Text("Description1Label", Description1Label);
        v.Text("Description2Label", Description2Label);
    }
};

// Tolerances for repeated measurements.
class db_Tolerance final : public Record<db_Tolerance> {
public:
    double HDist = 0;
    double VDist = 0;
    double HAngular = 0;
    double VAngular = 0;
    double HorzAngle = 0;
    double VertAngle = 0;
    double SlopeDistance = 0;
    int8_t AutoAverage = 0;

    template <class V> void Fields(V& v) {
        v.Real("HDist", HDist);
        v.Real("VDist", VDist);
        v.Real("HAngular", HAngular);
        v.Real("VAngular", VAngular);
        v.Real("HorzAngle", HorzAngle);
        v.Real("VertAngle", VertAngle);
        v.Real("SlopeDistance", SlopeDistance);
        v.Bool("AutoAverage", AutoAverage);
    }
};

// Start of a survey under a named style.
class db_SurveyStyle final : public Record<db_SurveyStyle> {
public:
    Str ConfigName;
    int16_t Device = 0;

    template <class V> void Fields(V& v) {
        v.Text("ConfigName", ConfigName);
        v.Enum("Device", Device, dbtq_PositioningTechnology);
    }
};

class db_IntegratedStyle final : public Record<db_IntegratedStyle> {
public:
    bool IntegratedStyle = false;
    Str GPSStyleName;
    Str TSStyleName;

    template <class V> void Fields(V& v) {
        v.Bool("IntegratedStyle", IntegratedStyle);
        v.Text("GPSStyleName", GPSStyleName);
        v.Text("TSStyleName", TSStyleName);
    }
};

class db_IntegratedTarget final : public Record<db_IntegratedTarget> {
public:
    bool UsingISRoverPole = false;
    double OffsetFromCenterOfPrismToAntenna = 0;

    template <class V> void Fields(V& v) {
        v.Bool("UsingISRoverPole", UsingISRoverPole);
        v.Real("OffsetFromCenterOfPrismToAntenna", OffsetFromCenterOfPrismToAntenna);
    }
};

// The point from which the laser rangefinder measures.
class db_LaserBasePoint final : public Record<db_LaserBasePoint> {
public:
    Str TheName;

    template <class V> void Fields(V& v) { v.Text("TheName", TheName); }
};

class db_LaserHeight final : public Record<db_LaserHeight> {
public:
    double Height = 0;

    template <class V> void Fields(V& v) { v.Real("Height", Height); }
};

class db_LaserTargetHeight final : public Record<db_LaserTargetHeight> {
public:
    double Height = 0;

    template <class V> void Fields(V& v) { v.Real("Height", Height); }
};

// The laser rangefinder's type, serial connection and precisions.
class db_LaserConfig final : public Record<db_LaserConfig> {
public:
    int16_t LaserType = 0;
    int8_t Port = 0;
    uint32_t BaudRate = 0;
    int32_t DataBits = 0;
    int32_t StopBits = 0;
    int16_t Parity = 0;
    uint32_t Features = 0;
    int8_t UseFireCommand = 0;
    int8_t AutoStore = 0;
    double DistancePrecision = 0;
    double AzimuthPrecision = 0;
    double InclinePrecision = 0;

    template <class V> void Fields(V& v) {
        v.Enum("LaserType", LaserType, dblaser_LaserType);
        v.Enum("Port", Port, rs232_Ports);
        v.Int("BaudRate", BaudRate, IntForm::Unsigned);
        v.Int("DataBits", DataBits, IntForm::Signed);
        v.Int("StopBits", StopBits, IntForm::Signed);
        v.Enum("Parity", Parity, rs232_ParityCodes);
        v.Flags("Features", Features, laser_Capabilities);
        v.Bool("UseFireCommand", UseFireCommand);
        v.Bool("AutoStore", AutoStore);
        v.Real("DistancePrecision", DistancePrecision);
        v.Real("AzimuthPrecision", AzimuthPrecision);
        v.Real("InclinePrecision", InclinePrecision);
    }
};

} // namespace tqxml
