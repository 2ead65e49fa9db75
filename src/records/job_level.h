// The job-level records: the job header, notes, the job's properties, units,
// the time zone, background files, foreign data and the marker records that
// open or close a group of other records.
#pragma once

#include "records/fields.h"
#include "records/names.h"

#include <map>
#include <vector>

namespace tqxml {

// The job header: one text that identifies the job file's contents, kept in
// 33 bytes and written as the record element's own text.
class db_JobHeader final : public Record<db_JobHeader> {
public:
    static constexpr int32_t kHeaderTextBytes = 33;

    Str HeaderText;

    template <class V> void Fields(V& v) {
        v.ElementText("HeaderText", HeaderText, kHeaderTextBytes);
    }
};

// A free-text note: its text is the note of the common header.
class db_Note final : public Record<db_Note> {
public:
    template <class V> void Fields(V&) {}
};

class db_JobProperties final
    : public Record<db_JobProperties> {
public:
    Str Reference;
    Str Description;
    Str Operator;
    Str Notes;

    template <class V> void Fields(V& v) {
        v.Text("Reference", Reference);
        v.Text("Description", Description);
        v.Text("Operator", Operator);
        v.Text("Notes", Notes);
    }
};

// The units and display settings in force for the job.
class db_Units final
    : public Record<db_Units> {
public:
    int16_t VerticalUnits = 0;
    int16_t HorizontalUnits = 0;
    int16_t AngleUnits = 0;
    int16_t LatLongUnits = 0;
    int16_t VelocityUnits = 0;
    int16_t CoordOrder = 0;
    int16_t TemperatureUnits = 0;
    int16_t PressureUnits = 0;
    int16_t CoordType = 0;
    int16_t Grade = 0;
    int16_t AreaUnits = 0;
    int16_t Stationing = 0;
    int16_t LaserVA = 0;
    int16_t GPSTimeDisplay = 0;
    int16_t DMSAngleDisplay = 0;
    int16_t DecAngleDisplay = 0;
    int16_t DistanceDisplay = 0;
    int16_t CoordinateDisplay = 0;
    int16_t AzimuthFormat = 0;

    template <class V> void Fields(V& v) {
        v.Enum("VerticalUnits", VerticalUnits, units_Type);
        v.Enum("HorizontalUnits", HorizontalUnits, units_Type);
        v.Enum("AngleUnits", AngleUnits, units_Type);
        v.Enum("LatLongUnits", LatLongUnits, units_Type);
        v.Enum("VelocityUnits", VelocityUnits, units_Type);
        v.Enum("CoordOrder", CoordOrder, dbconfig_CoordOrder);
        v.Enum("TemperatureUnits", TemperatureUnits, units_Type);
        v.Enum("PressureUnits", PressureUnits, units_Type);
        v.Enum("CoordType", CoordType, coord_Type);
        v.Enum("Grade", Grade, units_Type);
        v.Enum("AreaUnits", AreaUnits, units_Type);
        v.Enum("Stationing", Stationing, dbconfig_Stationing);
        v.Enum("LaserVA", LaserVA, dbconfig_LaserVA);
        v.Enum("GPSTimeDisplay", GPSTimeDisplay, dbconfig_GPSTimeDisplay);
        v.Enum("DMSAngleDisplay", DMSAngleDisplay, dbconfig_DMSAngleDisplay);
        v.Enum("DecAngleDisplay", DecAngleDisplay, dbconfig_DecAngleDisplay);
        v.Enum("DistanceDisplay", DistanceDisplay, dbconfig_DistanceDisplay);
        v.Enum("CoordinateDisplay", CoordinateDisplay, dbconfig_DistanceDisplay);
        v.Enum("AzimuthFormat", AzimuthFormat, dbconfig_AzimuthFormat);
    }
};

class db_TimeZone final : public Record<db_TimeZone> {
public:
    Str TimeZoneName;
    double HoursToUTC = 0;

    template <class V> void Fields(V& v) {
        v.Text("TimeZoneName", TimeZoneName);
        v.Real("HoursToUTC", HoursToUTC);
    }
};

// File names in numbered slots 0 to 255, stored as `count` entries of (slot,
// name); kept by the background file list and the stake-out list. Reading
// never goes past the data, whatever the count; a name for a slot that
// cannot be held is read past and dropped. Writing stores the count as held,
// then the filled slots in rising order.
inline constexpr int32_t kFileSlots = 256;
using FileSlots = std::map<int32_t, Str>;
void ReadFileSlots(const buffer_Class& buffer, int32_t& offset, int64_t count, FileSlots& slots);
void WriteFileSlots(buffer_Writer& writer, uint32_t count, const FileSlots& slots);

// The background files of the job, in numbered slots 0 to 255. The stored
// form is a count and (slot, name) entries, kept by hand below; the count is
// kept and written as stored, even where it disagrees with the slots.
class db_BackgroundFileList final : public Record<db_BackgroundFileList> {
public:
    int32_t FilenameCount = 0;
    FileSlots Filenames; // slot -> name; only slots that hold a name

    template <class V> void Fields(V& v) {
        v.Int("FilenameCount", FilenameCount, IntForm::Unsigned);
        v.List("Filenames", "item", "index", Filenames);
    }

    void ReadOwn(const buffer_Class& buffer, int32_t& offset) {
        FilenameCount = buffer.GetInt32(offset);
        ReadFileSlots(buffer, offset, FilenameCount, Filenames);
    }
    void WriteOwn(buffer_Writer& writer) const {
        WriteFileSlots(writer, static_cast<uint32_t>(FilenameCount), Filenames);
    }
};

// Foreign data: a name and a block of bytes kept as stored, uninterpreted.
// It has no document form: the walk writes it as "unknown".
class db_Foreign final : public Record<db_Foreign> {
public:
    Str Name;
    std::vector<uint8_t> Data;

    void ReadOwn(const buffer_Class& buffer, int32_t& offset);
    void WriteOwn(buffer_Writer& writer) const;
};

// ---- Markers: records that open or close a group of other records ----------

class db_EndEntity final : public Record<db_EndEntity> {
public:
    template <class V> void Fields(V&) {}
};
class db_MeanTurnedAngleResidualsBegin final
    : public Record<db_MeanTurnedAngleResidualsBegin> {
public:
    template <class V> void Fields(V&) {}
};
class db_Continuous final
    : public Record<db_Continuous> {
public:
    template <class V> void Fields(V&) {}
};
class db_EndContinuous final
    : public Record<db_EndContinuous> {
public:
    template <class V> void Fields(V&) {}
};
class db_EndSurveyStyle final
    : public Record<db_EndSurveyStyle> {
public:
    template <class V> void Fields(V&) {}
};
class db_CalibBegin final
    : public Record<db_CalibBegin> {
public:
    template <class V> void Fields(V&) {}
};
class db_StationSetupResidualsBegin final
    : public Record<db_StationSetupResidualsBegin> {
public:
    template <class V> void Fields(V&) {}
};
class db_StartRounds final
    : public Record<db_StartRounds> {
public:
    template <class V> void Fields(V&) {}
};
class db_StartRound final
    : public Record<db_StartRound> {
public:
    uint16_t Round = 0;

    template <class V> void Fields(V& v) { v.Int("Round", Round, IntForm::Unsigned); }
};
class db_EndRound final : public Record<db_EndRound> {
public:
    template <class V> void Fields(V&) {}
};
class db_EndRounds final : public Record<db_EndRounds> {
public:
    template <class V> void Fields(V&) {}
};

} // namespace tqxml
