// Imaging and scanning records: surface scans, scans, images, the camera and
// panoramas.
#pragma once

#include "records/fields.h"
#include "records/names.h"

namespace tqxml {

// A surface scan: how its area was defined, its steps and its outcome.
class db_SurfaceScan final : public Record<db_SurfaceScan> {
public:
    int16_t SurfaceScanMethod = 0;
    int16_t LineMethod = 0;
    Str PointA;
    Str PointB;
    Str PointC;
    double HAstep = 0;
    double VAstep = 0;
    double Xstep = 0;
    double Ystep = 0;
    double MaxOffset = 0;
    double Azimuth = 0;
    double Distance = 0;
    int32_t PointsScanned = 0;
    int32_t PointsSkipped = 0;
    double TimeTaken = 0;

    template <class V> void Fields(V& v) {
        v.Enum("SurfaceScanMethod", SurfaceScanMethod, dbentity_SurfaceScanMethod);
        v.Enum("LineMethod", LineMethod, dbentity_SurfaceScanLineMethod);
        v.Text("PointA", PointA);
        v.Text("PointB", PointB);
        v.Text("PointC", PointC);
        v.Real("HAstep", HAstep);
        v.Real("VAstep", VAstep);
        v.Real("Xstep", Xstep);
        v.Real("Ystep", Ystep);
        v.Real("MaxOffset", MaxOffset);
        v.Real("Azimuth", Azimuth);
        v.Real("Distance", Distance);
        v.Int("PointsScanned", PointsScanned, IntForm::Signed);
        v.Int("PointsSkipped", PointsSkipped, IntForm::Signed);
        v.Real("TimeTaken", TimeTaken);
    }
};

// A scan made from a station and kept in a file of its own.
class db_Scanning final : public Record<db_Scanning> {
public:
    db_DBIDValue StationID = NODBID;
    db_DBIDValue BackBearingID = NODBID;
    int16_t ScanType = 0;
    Str FileName;
    uint32_t NumberOfPoints = 0;
    double TimeTaken = 0;
    double AtDistance = 0;
    double HorizontalStep = 0;
    double VerticalStep = 0;
    double HorizontalDistInterval = 0;
    double VerticalDistInterval = 0;

    template <class V> void Fields(V& v) {
        v.Int("StationID", StationID, IntForm::Hex);
        v.Int("BackBearingID", BackBearingID, IntForm::Hex);
        v.Enum("ScanType", ScanType, dbentity_ScanType);
        v.Text("FileName", FileName);
        v.Int("NumberOfPoints", NumberOfPoints, IntForm::Unsigned);
        v.Real("TimeTaken", TimeTaken);
        v.Real("AtDistance", AtDistance);
        v.Real("HorizontalStep", HorizontalStep);
        v.Real("VerticalStep", VerticalStep);
        v.Real("HorizontalDistInterval", HorizontalDistInterval);
        v.Real("VerticalDistInterval", VerticalDistInterval);
    }
};

// An image taken with the instrument's camera and the part of the sensor
// it covers.
class db_Image final : public Record<db_Image> {
public:
    db_DBIDValue StationID = NODBID;
    db_DBIDValue BackBearingID = NODBID;
    db_DBIDValue CameraID = NODBID;
    db_DBIDValue PointRecordID = NODBID;
    Str FileName;
    double HorizontalAngle = 0;
    double VerticalAngle = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t SourceX = 0;
    int32_t SourceY = 0;
    int32_t SourceWidth = 0;
    int32_t SourceHeight = 0;

    template <class V> void Fields(V& v) {
        v.Int("StationID", StationID, IntForm::Hex);
        v.Int("BackBearingID", BackBearingID, IntForm::Hex);
        v.Int("CameraID", CameraID, IntForm::Hex);
        v.Int("PointRecordID", PointRecordID, IntForm::Hex);
        v.Text("FileName", FileName);
        v.Real("HorizontalAngle", HorizontalAngle);
        v.Real("VerticalAngle", VerticalAngle);
        v.Int("Width", Width, IntForm::Signed);
        v.Int("Height", Height, IntForm::Signed);
        v.Int("SourceX", SourceX, IntForm::Signed);
        v.Int("SourceY", SourceY, IntForm::Signed);
        v.Int("SourceWidth", SourceWidth, IntForm::Signed);
        v.Int("SourceHeight", SourceHeight, IntForm::Signed);
    }
};

// The calibration of the instrument's camera and whether it holds. The
// document puts the calibration date first.
class db_Camera final : public Record<db_Camera> {
public:
    double X0 = 0;
    double Y0 = 0;
    double CK = 0;
    double Kappa = 0;
    double Phi = 0;
    double Omega = 0;
    double S0 = 0;
    double C0 = 0;
    double Z0 = 0;
    double I = 0;
    int16_t K1 = 0;
    int16_t P1 = 0;
    int16_t P2 = 0;
    double PixelSizeX = 0;
    double PixelSizeY = 0;
    uint16_t PixelCountX = 0;
    uint16_t PixelCountY = 0;
    double ErrMeas = 0;
    int64_t CalibDate64 = 0; // written as its unsigned 64 bits
    uint16_t CalibType = 0;
    bool isCalibrated = false;

    static constexpr FieldMove kDocumentMoves[] = {{"CalibDate64", nullptr}};

    template <class V> void Fields(V& v) {
        Calibration(v);
        v.Int("CalibDate64", CalibDate64, IntForm::UInt64);
        v.Int("CalibType", CalibType, IntForm::Unsigned);
        v.Bool("isCalibrated", isCalibrated);
    }

private:
    // The calibration values, in the same order in both forms.
    template <class V> void Calibration(V& v) {
        v.Real("X0", X0);
        v.Real("Y0", Y0);
        v.Real("CK", CK);
        v.Real("Kappa", Kappa);
        v.Real("Phi", Phi);
        v.Real("Omega", Omega);
        v.Real("S0", S0);
        v.Real("C0", C0);
        v.Real("Z0", Z0);
        v.Real("I", I);
        v.Int("K1", K1, IntForm::Signed);
        v.Int("P1", P1, IntForm::Signed);
        v.Int("P2", P2, IntForm::Signed);
        v.Real("PixelSizeX", PixelSizeX);
        v.Real("PixelSizeY", PixelSizeY);
        v.Int("PixelCountX", PixelCountX, IntForm::Signed);
        v.Int("PixelCountY", PixelCountY, IntForm::Signed);
        v.Real("ErrMeas", ErrMeas);
    }
};

// The extent and steps of a panorama.
class db_Panorama final : public Record<db_Panorama> {
public:
    int16_t Method = 0;
    double Top = 0;
    double Left = 0;
    double Bottom = 0;
    double Right = 0;
    double HAstep = 0;
    double VAstep = 0;

    template <class V> void Fields(V& v) {
        v.Enum("Method", Method, dbentity_PanoramaMethod);
        v.Real("Top", Top);
        v.Real("Left", Left);
        v.Real("Bottom", Bottom);
        v.Real("Right", Right);
        v.Real("HAstep", HAstep);
        v.Real("VAstep", VAstep);
    }
};

} // namespace tqxml
