// The job-level records: the job header, notes, the job's properties, units,
// the time zone, background files, foreign data and the marker records that
// open or close a group of other records.
#pragma once

#include "records/fields.h"
#include <vector>

namespace tqxml {

class db_JobHeader final : public Record<db_JobHeader, dbRecord_Class, DATABASE_JobHeaderRecord> {};
class db_Note final : public Record<db_Note, dbRecord_Class, DATABASE_NoteRecord> {};
class db_MeanTurnedAngleResidualsBegin final
    : public Record<db_MeanTurnedAngleResidualsBegin, dbRecord_Class,
                    DATABASE_MeanTurnedAngleResidualsBeginRecord> {};
class db_EndEntity final : public Record<db_EndEntity, dbRecord_Class, DATABASE_EndEntityRecord> {};
class db_Units final
    : public Record<db_Units, dbRecord_Class, DATABASE_UnitsRecord, kJobSetting | kSystemSetting> {
};
class db_Continuous final
    : public Record<db_Continuous, dbRecord_Class, DATABASE_ContinuousRecord> {};
class db_EndContinuous final
    : public Record<db_EndContinuous, dbRecord_Class, DATABASE_EndContinuousRecord> {};
class db_EndSurveyStyle final
    : public Record<db_EndSurveyStyle, dbRecord_Class, DATABASE_EndStyleRecord> {};
class db_CalibBegin final
    : public Record<db_CalibBegin, dbRecord_Class, DATABASE_CalibBeginRecord> {};
class db_StationSetupResidualsBegin final
    : public Record<db_StationSetupResidualsBegin, dbRecord_Class,
                    DATABASE_StationSetupResidualsBeginRecord> {};
class db_BackgroundFileList final : public Record<db_BackgroundFileList, dbRecord_Class,
                                                  DATABASE_BackgroundFileListRecord, kJobSetting> {
};
class db_JobProperties final
    : public Record<db_JobProperties, dbRecord_Class, DATABASE_JobPropertiesRecord, kJobSetting> {};
class db_StartRounds final
    : public Record<db_StartRounds, dbRecord_Class, DATABASE_StartRoundsRecord> {};
class db_StartRound final
    : public Record<db_StartRound, dbRecord_Class, DATABASE_StartRoundRecord> {};
class db_EndRound final : public Record<db_EndRound, dbRecord_Class, DATABASE_EndRoundRecord> {};
class db_EndRounds final : public Record<db_EndRounds, dbRecord_Class, DATABASE_EndRoundsRecord> {};
// Foreign data: a name and a block of bytes kept as stored, uninterpreted.
class db_Foreign final : public Record<db_Foreign, dbRecord_Class, DATABASE_ForeignRecord> {
public:
    Str Name;
    std::vector<uint8_t> Data;

    void ReadOwn(const buffer_Class& buffer, int32_t& offset);
    void WriteOwn(buffer_Writer& writer) const;
};
class db_TimeZone final : public Record<db_TimeZone, dbRecord_Class, DATABASE_TimeZoneRecord> {};

} // namespace tqxml
