// Coordinate-system records: the definition records, corrections, the chosen
// system and its switches, site calibration.
#pragma once

#include "records/fields.h"

namespace tqxml {

class db_Ellipsoid final : public Record<db_Ellipsoid, dbRecord_Class, DATABASE_EllipsoidRecord,
                                         kJobSetting | kSystemSetting | kSingletonSetting> {};
class db_Datum final : public Record<db_Datum, dbRecord_Class, DATABASE_DatumRecord,
                                     kJobSetting | kSystemSetting | kSingletonSetting> {};
class db_Projection final : public Record<db_Projection, dbRecord_Class, DATABASE_ProjectionRecord,
                                          kJobSetting | kSystemSetting | kSingletonSetting> {};
class db_Plane final
    : public Record<db_Plane, dbRecord_Class, DATABASE_PlaneRecord, kJobSetting | kSystemSetting> {
};
class db_Height final : public Record<db_Height, dbRecord_Class, DATABASE_HeightRecord,
                                      kJobSetting | kSystemSetting | kSingletonSetting> {};
class db_Corrections final
    : public Record<db_Corrections, dbRecord_Class, DATABASE_CorrectionsRecord,
                    kJobSetting | kSystemSetting | kSingletonSetting> {};
class db_CalibPoint final
    : public Record<db_CalibPoint, dbRecord_Class, DATABASE_CalibPointRecord> {};
class db_ConfigCalib final
    : public Record<db_ConfigCalib, dbRecord_Class, DATABASE_ConfigCalibRecord, kJobSetting> {};
class db_CoordSystemControl final
    : public Record<db_CoordSystemControl, dbRecord_Class, DATABASE_CoordSysControlRecord,
                    kJobSetting | kSystemSetting | kSingletonSetting> {};
class db_CoordSystem final
    : public Record<db_CoordSystem, dbRecord_Class, DATABASE_CoordSystemRecord,
                    kJobSetting | kSystemSetting | kSingletonSetting> {};

} // namespace tqxml
