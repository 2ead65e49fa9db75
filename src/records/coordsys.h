// Coordinate-system records: the definition records, corrections, the chosen
// system and its switches, site calibration.
#pragma once

#include "records/fields.h"

namespace tqxml {

class db_Ellipsoid final : public Record<db_Ellipsoid> {};
class db_Datum final : public Record<db_Datum> {};
class db_Projection final : public Record<db_Projection> {};
class db_Plane final
    : public Record<db_Plane> {
};
class db_Height final : public Record<db_Height> {};
class db_Corrections final
    : public Record<db_Corrections> {};
class db_CalibPoint final
    : public Record<db_CalibPoint> {};
class db_ConfigCalib final
    : public Record<db_ConfigCalib> {};
class db_CoordSystemControl final
    : public Record<db_CoordSystemControl> {};
class db_CoordSystem final
    : public Record<db_CoordSystem> {};

} // namespace tqxml
