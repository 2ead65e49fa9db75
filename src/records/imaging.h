// Imaging and scanning records: surface scans, scans, images, the camera and
// panoramas.
#pragma once

#include "records/fields.h"

namespace tqxml {

class db_SurfaceScan final
    : public Record<db_SurfaceScan> {};
class db_Scanning final : public Record<db_Scanning> {};
class db_Image final : public Record<db_Image> {};
class db_Camera final : public Record<db_Camera> {};
class db_Panorama final : public Record<db_Panorama> {};

} // namespace tqxml
