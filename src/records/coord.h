// The coordinate value structures that records embed: stored as consecutive
// fields inside the record, written as one child element that carries
// `datatype` = the structure's name and one grandchild per value. Values are
// kept and written as stored, without any unit conversion.
#pragma once

#include "records/fields.h"
#include "records/names.h"

namespace tqxml {

// A derivation code: two characters packed into an i16, the first in the low
// byte. A new record holds two spaces.
inline constexpr int16_t kBlankDerivation = 0x2020;

struct coord_WGS84 {
    static constexpr const char* kDatatype = "coord_WGS84";
    double Lat = 0;
    double Long = 0;
    double Height = 0;

    template <class V> void Fields(V& v) {
        v.Real("Lat", Lat);
        v.Real("Long", Long);
        v.Real("Height", Height);
    }
};

struct coord_Local {
    static constexpr const char* kDatatype = "coord_Local";
    double Lat = 0;
    double Long = 0;
    double Height = 0;

    template <class V> void Fields(V& v) {
        v.Real("Lat", Lat);
        v.Real("Long", Long);
        v.Real("Height", Height);
    }
};

struct coord_ECEF {
    static constexpr const char* kDatatype = "coord_ECEF";
    double X = 0;
    double Y = 0;
    double Z = 0;

    template <class V> void Fields(V& v) {
        v.Real("X", X);
        v.Real("Y", Y);
        v.Real("Z", Z);
    }
};

// The ground position of an ECEF measurement: the same three values, and
// written as a coord_ECEF.
struct coord_ECEFGround : coord_ECEF {};

struct coord_ECEFDeltas {
    static constexpr const char* kDatatype = "coord_ECEFDeltas";
    double dX = 0;
    double dY = 0;
    double dZ = 0;

    template <class V> void Fields(V& v) {
        v.Real("dX", dX);
        v.Real("dY", dY);
        v.Real("dZ", dZ);
    }
};

// North first, as stored and as written.
struct coord_CorrectedGrid {
    static constexpr const char* kDatatype = "coord_CorrectedGrid";
    double North = 0;
    double East = 0;
    double Elev = 0;

    template <class V> void Fields(V& v) {
        v.Real("North", North);
        v.Real("East", East);
        v.Real("Elev", Elev);
    }
};

struct coord_GridDeltas {
    static constexpr const char* kDatatype = "coord_GridDeltas";
    double dNorth = 0;
    double dEast = 0;
    double dElev = 0;

    template <class V> void Fields(V& v) {
        v.Real("dNorth", dNorth);
        v.Real("dEast", dEast);
        v.Real("dElev", dElev);
    }
};

struct coord_Polar {
    static constexpr const char* kDatatype = "coord_Polar";
    double Azimuth = 0;
    double HDist = 0;
    double VDist = 0;

    template <class V> void Fields(V& v) {
        v.Real("Azimuth", Azimuth);
        v.Real("HDist", HDist);
        v.Real("VDist", VDist);
    }
};

struct coord_LaserOffset {
    static constexpr const char* kDatatype = "coord_LaserOffset";
    double Azimuth = 0;
    double VertAngle = 0;
    double SlopeDist = 0;

    template <class V> void Fields(V& v) {
        v.Real("Azimuth", Azimuth);
        v.Real("VertAngle", VertAngle);
        v.Real("SlopeDist", SlopeDist);
    }
};

// One total-station reading: circles, distance, face, their standard errors
// and how the distance was measured.
struct coord_Circle {
    static constexpr const char* kDatatype = "coord_Circle";
    double HorzCircle = 0;
    double VertCircle = 0;
    double EDMDistance = 0;
    int16_t Face = 0;
    double HorzCircleStdErr = 0;
    double VertCircleStdErr = 0;
    double EDMDistanceStdErr = 0;
    int16_t EDMMeasurementMode = 0;

    template <class V> void Fields(V& v) {
        v.Real("HorzCircle", HorzCircle);
        v.Real("VertCircle", VertCircle);
        v.Real("EDMDistance", EDMDistance);
        v.Enum("Face", Face, coord_Face);
        v.Real("HorzCircleStdErr", HorzCircleStdErr);
        v.Real("VertCircleStdErr", VertCircleStdErr);
        v.Real("EDMDistanceStdErr", EDMDistanceStdErr);
        v.Enum("EDMMeasurementMode", EDMMeasurementMode, total_MeasurementMode);
    }
};

// A mean turned angle: averaged circles and distance with their standard
// errors, and how many readings went into each average.
struct coord_MTA {
    static constexpr const char* kDatatype = "coord_MTA";
    double HorzCircle = 0;
    double VertCircle = 0;
    double EDMDistance = 0;
    double HorzCircleStdErr = 0;
    double VertCircleStdErr = 0;
    double EDMDistanceStdErr = 0;
    int32_t NumberOfHAngles = 0;
    int32_t NumberOfVAngles = 0;
    int32_t NumberOfDistances = 0;

    template <class V> void Fields(V& v) {
        v.Real("HorzCircle", HorzCircle);
        v.Real("VertCircle", VertCircle);
        v.Real("EDMDistance", EDMDistance);
        v.Real("HorzCircleStdErr", HorzCircleStdErr);
        v.Real("VertCircleStdErr", VertCircleStdErr);
        v.Real("EDMDistanceStdErr", EDMDistanceStdErr);
        v.Int("NumberOfHAngles", NumberOfHAngles, IntForm::Signed);
        v.Int("NumberOfVAngles", NumberOfVAngles, IntForm::Signed);
        v.Int("NumberOfDistances", NumberOfDistances, IntForm::Signed);
    }
};

// An angle reading reduced to its corrected form: circles, slope distance
// and the face it was taken on.
struct coord_Corrected {
    static constexpr const char* kDatatype = "coord_Corrected";
    double HorzCircle = 0;
    double VertCircle = 0;
    double SlopeDist = 0;
    int16_t Face = 0;

    template <class V> void Fields(V& v) {
        v.Real("HorzCircle", HorzCircle);
        v.Real("VertCircle", VertCircle);
        v.Real("SlopeDist", SlopeDist);
        v.Enum("Face", Face, coord_Face);
    }
};

// A road station with the zone of the station equation it falls in.
struct StationEquation {
    static constexpr const char* kDatatype = "StationEquation";
    double Chainage = 0;
    int32_t Zone = 0;

    template <class V> void Fields(V& v) {
        v.Real("Chainage", Chainage);
        v.Int("Zone", Zone, IntForm::Signed);
    }
};

} // namespace tqxml
