// Style and instrument-configuration records: survey styles, the integrated
// style and target, the laser settings, tolerances, coding and descriptions.
#pragma once

#include "records/fields.h"

namespace tqxml {

class db_Coding final : public Record<db_Coding, dbRecord_Class, DATABASE_CodingRecord,
                                      kJobSetting | kSystemSetting> {};
class db_DescriptionsDefinition final
    : public Record<db_DescriptionsDefinition, dbRecord_Class,
                    DATABASE_DescriptionsDefinitionRecord, kJobSetting | kSystemSetting> {};
class db_Tolerance final : public Record<db_Tolerance, dbRecord_Class, DATABASE_ToleranceRecord> {};
class db_SurveyStyle final
    : public Record<db_SurveyStyle, dbRecord_Class, DATABASE_SurveyStyleRecord> {};
class db_IntegratedStyle final
    : public Record<db_IntegratedStyle, dbRecord_Class, DATABASE_IntegratedStyleRecord> {};
class db_IntegratedTarget final
    : public Record<db_IntegratedTarget, dbRecord_Class, DATABASE_IntegratedTargetRecord> {};
class db_LaserBasePoint final
    : public Record<db_LaserBasePoint, dbRecord_Class, DATABASE_LaserBasePointRecord> {};
class db_LaserHeight final
    : public Record<db_LaserHeight, dbRecord_Class, DATABASE_LaserHeightRecord> {};
class db_LaserTargetHeight final
    : public Record<db_LaserTargetHeight, dbRecord_Class, DATABASE_LaserTargetHeightRecord,
                    kSingletonSetting> {};
class db_LaserConfig final
    : public Record<db_LaserConfig, dbRecord_Class, DATABASE_LaserConfigRecord> {};

} // namespace tqxml
