// Total-station records: the instrument, station setups, targets, the
// measuring methods built on raw circle readings, and their residuals.
#pragma once

#include "records/fields.h"

namespace tqxml {

class db_MeanTurnedAngleResiduals final : public Record<db_MeanTurnedAngleResiduals, dbRecord_Class,
                                                        DATABASE_MeanTurnedAngleResidualsRecord> {};
class db_TotalAtmosphere final : public Record<db_TotalAtmosphere, dbRecord_Class,
                                               DATABASE_AtmosphereRecord, kSingletonSetting> {};
class db_TotalBackBearing final : public Record<db_TotalBackBearing, dbRecord_Class,
                                                DATABASE_BackBearingRecord, kSingletonSetting> {};
class db_TotalInstrument final
    : public Record<db_TotalInstrument, dbRecord_Class, DATABASE_InstrumentRecord> {};
class db_TotalStation final
    : public Record<db_TotalStation, dbRecord_Class, DATABASE_StationRecord, kSingletonSetting> {};
class db_DualPrismOffset final : public Record<db_DualPrismOffset, dbRecord_Class,
                                               DATABASE_DualPrismOffsetRecord, kSingletonSetting> {
};
class db_StationSetupResiduals final
    : public Record<db_StationSetupResiduals, dbRecord_Class, DATABASE_StationSetupResidualRecord> {
};
class db_ResectErrors final
    : public Record<db_ResectErrors, dbRecord_Class, DATABASE_ResectErrorsRecord> {};
class db_DistanceOffset final
    : public Record<db_DistanceOffset, dbRecord_Class, DATABASE_DistanceOffsetRecord> {};
class db_Target final
    : public Record<db_Target, dbRecord_Class, DATABASE_TargetRecord, kSingletonSetting> {};
class db_CircularObject final
    : public Record<db_CircularObject, dbRecord_Class, DATABASE_CircularObjectRecord> {};
class db_RemoteObject final
    : public Record<db_RemoteObject, dbRecord_Class, DATABASE_RemoteObjectRecord> {};
class db_AngleOffset final
    : public Record<db_AngleOffset, dbRecord_Class, DATABASE_AngleOffsetRecord> {};

} // namespace tqxml
