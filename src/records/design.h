// Design and stake-out records: what was staked and how, the deltas to the
// design, and the stake-out settings and lists.
#pragma once

#include "records/fields.h"

namespace tqxml {

class db_StakeOut final
    : public Record<db_StakeOut> {};
class db_CheckShot final : public Record<db_CheckShot> {};
class db_QuickMark final : public Record<db_QuickMark> {};
class db_LinearDeltas final
    : public Record<db_LinearDeltas> {};
class db_PointDesign final
    : public Record<db_PointDesign> {};
class db_ExtraPointDesignElevations final
    : public Record<db_ExtraPointDesignElevations> {};
class db_LinearDesign final
    : public Record<db_LinearDesign> {};
class db_DTMDesign final : public Record<db_DTMDesign> {};
class db_DTMDeltas final : public Record<db_DTMDeltas> {};
class db_RelativeDTMDeltas final
    : public Record<db_RelativeDTMDeltas> {};
class db_SlopeDesign final
    : public Record<db_SlopeDesign> {};
class db_StakeoutList final
    : public Record<db_StakeoutList> {};

} // namespace tqxml
