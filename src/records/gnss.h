// GNSS survey records: equipment, antenna, radios, survey settings, events,
// occupation times, quality control and the correction source.
#pragma once

#include "records/fields.h"

namespace tqxml {

// The common bases of the survey pair and the radio pair: one stored form
// serves both records of a pair.
class db_Survey : public dbRecord_Class {
protected:
    db_Survey() = default;
    db_Survey(const db_Survey&) = default;
    db_Survey& operator=(const db_Survey&) = default;
};

class db_Radio : public dbRecord_Class {
protected:
    db_Radio() = default;
    db_Radio(const db_Radio&) = default;
    db_Radio& operator=(const db_Radio&) = default;
};

class db_QC1 final : public Record<db_QC1, dbRecord_Class, DATABASE_QC1Record> {};
class db_QC2 final : public Record<db_QC2, dbRecord_Class, DATABASE_QC2Record> {};
class db_QC3 final : public Record<db_QC3, dbRecord_Class, DATABASE_QC3Record> {};
class db_Precision final : public Record<db_Precision, dbRecord_Class, DATABASE_PrecisionRecord> {};
class db_Equipment final
    : public Record<db_Equipment, dbRecord_Class, DATABASE_EquipmentRecord, kSingletonSetting> {};
// The remaining fields of the antenna record arrive with its record family.
class db_Antenna final
    : public Record<db_Antenna, dbRecord_Class, DATABASE_AntennaRecord, kSingletonSetting> {
public:
    using dbRecord_Class::Receive;

    db_DBIDValue Equipment = NODBID; // the equipment record in use

    void Receive(const db_DBID& action) override;
};
class db_RoverSurvey final
    : public Record<db_RoverSurvey, db_Survey, DATABASE_RoverSurveyRecord, kSingletonSetting> {};
class db_BaseSurvey final
    : public Record<db_BaseSurvey, db_Survey, DATABASE_BaseSurveyRecord, kSingletonSetting> {};
class db_SurveyEvent final
    : public Record<db_SurveyEvent, dbRecord_Class, DATABASE_SurveyEventRecord> {};
class db_ContParameters final
    : public Record<db_ContParameters, dbRecord_Class, DATABASE_ContParametersRecord> {};
class db_Tracking final : public Record<db_Tracking, dbRecord_Class, DATABASE_TrackingRecord> {};
class db_GPSReading final
    : public Record<db_GPSReading, dbRecord_Class, DATABASE_GPSReadingRecord> {};
class db_TSReading final : public Record<db_TSReading, dbRecord_Class, DATABASE_TSReadingRecord> {};
class db_RoverRadio final : public Record<db_RoverRadio, db_Radio, DATABASE_RoverRadioRecord> {};
class db_BaseRadio final : public Record<db_BaseRadio, db_Radio, DATABASE_BaseRadioRecord> {};
class db_L2OTFTimes final
    : public Record<db_L2OTFTimes, dbRecord_Class, DATABASE_L2OTFTimesRecord> {};
class db_L1StaticTimes final
    : public Record<db_L1StaticTimes, dbRecord_Class, DATABASE_L1StaticTimesRecord> {};
class db_ControlTimes final
    : public Record<db_ControlTimes, dbRecord_Class, DATABASE_ControlTimesRecord> {};
class db_FSL1Times final : public Record<db_FSL1Times, dbRecord_Class, DATABASE_FSL1TimesRecord> {};
class db_FSL2Times final : public Record<db_FSL2Times, dbRecord_Class, DATABASE_FSL2TimesRecord> {};
class db_Meterological final : public Record<db_Meterological, dbRecord_Class,
                                             DATABASE_MeterologicalRecord, kSingletonSetting> {};
class db_Initialisation final
    : public Record<db_Initialisation, dbRecord_Class, DATABASE_InitialisationRecord> {};
class db_Reference final : public Record<db_Reference, dbRecord_Class, DATABASE_ReferenceRecord> {};
class db_PostProcess final
    : public Record<db_PostProcess, dbRecord_Class, DATABASE_PostProcessRecord> {};
class db_ContinuousPoints final
    : public Record<db_ContinuousPoints, dbRecord_Class, DATABASE_ContPointsRecord> {};
class db_FastStatic final
    : public Record<db_FastStatic, dbRecord_Class, DATABASE_FastStaticRecord> {};
class db_RTKControl final : public Record<db_RTKControl, dbRecord_Class, DATABASE_RTKContRecord> {};
class db_NewPtTimes final
    : public Record<db_NewPtTimes, dbRecord_Class, DATABASE_NewPtTimesRecord> {};
class db_NTRIPDataSource final : public Record<db_NTRIPDataSource, dbRecord_Class,
                                               DATABASE_NTRIPDataSourceRecord, kSingletonSetting> {
};

} // namespace tqxml
