// Design and stake-out records: what was staked and how, the deltas to the
// design, and the stake-out settings and lists.
#pragma once

#include "records/fields.h"

namespace tqxml {

class db_StakeOut final
    : public Record<db_StakeOut, dbRecord_Class, DATABASE_ConfigStakeOutRecord, kJobSetting> {};
class db_CheckShot final : public Record<db_CheckShot, dbRecord_Class, DATABASE_CheckShotRecord> {};
class db_QuickMark final : public Record<db_QuickMark, dbRecord_Class, DATABASE_QuickMarkRecord> {};
class db_LinearDeltas final
    : public Record<db_LinearDeltas, dbRecord_Class, DATABASE_LinearDeltasRecord> {};
class db_PointDesign final
    : public Record<db_PointDesign, dbRecord_Class, DATABASE_PointDesignRecord> {};
class db_ExtraPointDesignElevations final
    : public Record<db_ExtraPointDesignElevations, dbRecord_Class,
                    DATABASE_ExtraPointDesignElevationsRecord> {};
class db_LinearDesign final
    : public Record<db_LinearDesign, dbRecord_Class, DATABASE_LinearDesignRecord> {};
class db_DTMDesign final : public Record<db_DTMDesign, dbRecord_Class, DATABASE_DTMDesignRecord> {};
class db_DTMDeltas final : public Record<db_DTMDeltas, dbRecord_Class, DATABASE_DTMDeltasRecord> {};
class db_RelativeDTMDeltas final
    : public Record<db_RelativeDTMDeltas, dbRecord_Class, DATABASE_RelativeDTMDeltasRecord> {};
class db_SlopeDesign final
    : public Record<db_SlopeDesign, dbRecord_Class, DATABASE_SlopeDesignRecord> {};
class db_StakeoutList final
    : public Record<db_StakeoutList, dbRecord_Class, DATABASE_StakeoutListRecord, kJobSetting> {};

} // namespace tqxml
