// Total-station records: the instrument, station setups, targets, the
// measuring methods built on raw circle readings, and their residuals.
#pragma once

#include "records/fields.h"

namespace tqxml {

class db_MeanTurnedAngleResiduals final : public Record<db_MeanTurnedAngleResiduals> {};
class db_TotalAtmosphere final : public Record<db_TotalAtmosphere> {};
class db_TotalBackBearing final : public Record<db_TotalBackBearing> {};
class db_TotalInstrument final
    : public Record<db_TotalInstrument> {};
class db_TotalStation final
    : public Record<db_TotalStation> {};
class db_DualPrismOffset final : public Record<db_DualPrismOffset> {
};
class db_StationSetupResiduals final
    : public Record<db_StationSetupResiduals> {
};
class db_ResectErrors final
    : public Record<db_ResectErrors> {};
class db_DistanceOffset final
    : public Record<db_DistanceOffset> {};
class db_Target final
    : public Record<db_Target> {};
class db_CircularObject final
    : public Record<db_CircularObject> {};
class db_RemoteObject final
    : public Record<db_RemoteObject> {};
class db_AngleOffset final
    : public Record<db_AngleOffset> {};

} // namespace tqxml
