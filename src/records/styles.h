// Style and instrument-configuration records: survey styles, the integrated
// style and target, the laser settings, tolerances, coding and descriptions.
#pragma once

#include "records/fields.h"

namespace tqxml {

class db_Coding final : public Record<db_Coding> {};
class db_DescriptionsDefinition final
    : public Record<db_DescriptionsDefinition> {};
class db_Tolerance final : public Record<db_Tolerance> {};
class db_SurveyStyle final
    : public Record<db_SurveyStyle> {};
class db_IntegratedStyle final
    : public Record<db_IntegratedStyle> {};
class db_IntegratedTarget final
    : public Record<db_IntegratedTarget> {};
class db_LaserBasePoint final
    : public Record<db_LaserBasePoint> {};
class db_LaserHeight final
    : public Record<db_LaserHeight> {};
class db_LaserTargetHeight final
    : public Record<db_LaserTargetHeight> {};
class db_LaserConfig final
    : public Record<db_LaserConfig> {};

} // namespace tqxml
