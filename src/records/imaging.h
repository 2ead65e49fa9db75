// Imaging and scanning records: surface scans, scans, images, the camera and
// panoramas.
#pragma once

#include "records/fields.h"

namespace tqxml {

class db_SurfaceScan final
    : public Record<db_SurfaceScan, dbRecord_Class, DATABASE_SurfaceScanRecord> {};
class db_Scanning final : public Record<db_Scanning, dbRecord_Class, DATABASE_ScanningRecord> {};
class db_Image final : public Record<db_Image, dbRecord_Class, DATABASE_ImageRecord> {};
class db_Camera final : public Record<db_Camera, dbRecord_Class, DATABASE_CameraRecord> {};
class db_Panorama final : public Record<db_Panorama, dbRecord_Class, DATABASE_PanoramaRecord> {};

} // namespace tqxml
