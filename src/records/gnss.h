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

class db_QC1 final : public Record<db_QC1> {};
class db_QC2 final : public Record<db_QC2> {};
class db_QC3 final : public Record<db_QC3> {};
class db_Precision final : public Record<db_Precision> {};
class db_Equipment final
    : public Record<db_Equipment> {};
// The remaining fields of the antenna record arrive with its record family.
class db_Antenna final
    : public Record<db_Antenna> {
public:
    using dbRecord_Class::Receive;

    db_DBIDValue Equipment = NODBID; // the equipment record in use

    void Receive(const db_DBID& action) override;
};
class db_RoverSurvey final
    : public Record<db_RoverSurvey, db_Survey> {};
class db_BaseSurvey final
    : public Record<db_BaseSurvey, db_Survey> {};
class db_SurveyEvent final
    : public Record<db_SurveyEvent> {};
class db_ContParameters final
    : public Record<db_ContParameters> {};
class db_Tracking final : public Record<db_Tracking> {};
class db_GPSReading final
    : public Record<db_GPSReading> {};
class db_TSReading final : public Record<db_TSReading> {};
class db_RoverRadio final : public Record<db_RoverRadio, db_Radio> {};
class db_BaseRadio final : public Record<db_BaseRadio, db_Radio> {};
class db_L2OTFTimes final
    : public Record<db_L2OTFTimes> {};
class db_L1StaticTimes final
    : public Record<db_L1StaticTimes> {};
class db_ControlTimes final
    : public Record<db_ControlTimes> {};
class db_FSL1Times final : public Record<db_FSL1Times> {};
class db_FSL2Times final : public Record<db_FSL2Times> {};
class db_Meterological final : public Record<db_Meterological> {};
class db_Initialisation final
    : public Record<db_Initialisation> {};
class db_Reference final : public Record<db_Reference> {};
class db_PostProcess final
    : public Record<db_PostProcess> {};
class db_ContinuousPoints final
    : public Record<db_ContinuousPoints> {};
class db_FastStatic final
    : public Record<db_FastStatic> {};
class db_RTKControl final : public Record<db_RTKControl> {};
class db_NewPtTimes final
    : public Record<db_NewPtTimes> {};
class db_NTRIPDataSource final : public Record<db_NTRIPDataSource> {
};

} // namespace tqxml
