// The job generator: seeded synthetic jobs of any size, and the bundled
// sample job, written through the library's own journal writer.
#include "generator.h"

#include "filler.h"

#include "records/all_records.h"

#include "convert/driver.h"
#include "job_writer.h"

#include <iterator>
#include <map>
#include <vector>

namespace tqxml::genjob {
namespace {

struct LiveRecord {
    db_DBIDValue id;
    uint32_t type;
};

// The record types of one category, in number order.
std::vector<uint32_t> TypesOf(RecordCategory category) {
    std::vector<uint32_t> types;
    for (uint32_t type = 0; type < DATABASE_AllRecords; ++type)
        if (kRecordTypes[type].category == category) types.push_back(type);
    return types;
}

// Record types the walk writes with their own writer, other than the ones
// the generator places on purpose (notes, observations).
std::vector<uint32_t> PlainWrittenTypes() {
    std::vector<uint32_t> types;
    for (uint32_t type : TypesOf(record_table::Plain))
        if (HasRecordWriter(type) && type != DATABASE_NoteRecord &&
            type != DATABASE_ObservationRecord)
            types.push_back(type);
    return types;
}

class Generator {
public:
    Generator(JobFileWriter& job, uint64_t seed)
        : _Job(job), _Rng(seed), _Filler(_Rng, FillProfile::Realistic) {}

    void Run(uint64_t records) {
        AddFilled(DATABASE_JobHeaderRecord);
        AddFilled(DATABASE_JobPropertiesRecord);
        AddFilled(DATABASE_UnitsRecord);
        AddFilled(DATABASE_TimeZoneRecord);
        while (_Live.size() < records)
            Step();
    }

private:
    std::unique_ptr<dbRecord_Class> Make(uint32_t type) {
        auto record = CreateRecord(type);
        _Filler.Fill(*record);
        if (_Filler.Chance(5)) record->Note = _Filler.Note();
        // Stamps from the seed, not the clock: the same seed gives the same file.
        _Clock += 0.5 * static_cast<double>(1 + _Filler.Below(40));
        record->TimeStamp = _Filler.Chance(1) ? 1e308 : _Clock;
        return record;
    }

    void AddFilled(uint32_t type) {
        auto record = Make(type);
        Track({_Job.Add(*record), type});
    }

    void Track(LiveRecord record) {
        _Live.push_back(record);
        if (record.type == DATABASE_TunnelCrossSectionRecord) _Sections.push_back(record.id);
    }

    double _Clock = 1417000000.0;

    LiveRecord& Pick() { return _Live[_Filler.Below(_Live.size())]; }

    void AddObservation() {
        auto observation = Make(DATABASE_ObservationRecord);
        auto& point = static_cast<db_Observation&>(*observation);
        if (point.PointName.IsEmpty()) point.PointName = "PT";
        const bool grouped = _Filler.Chance(30);
        if (grouped) _Job.BeginTransaction();
        const db_DBIDValue id = _Job.Add(*observation);
        auto measurement = Make(_Measurements[_Filler.Below(_Measurements.size())]);
        measurement->Note = Str();
        _Job.Attach(id, *measurement);
        if (grouped) _Job.EndTransaction();
        _Live.push_back({id, DATABASE_ObservationRecord});
        _Observations.push_back(id);
    }

    void Modify() {
        if (_Observations.empty()) return;
        const db_DBIDValue target = _Observations[_Filler.Below(_Observations.size())];
        auto modifier = Make(_Modifiers[_Filler.Below(_Modifiers.size())]);
        if (modifier->GetType() == DATABASE_BoolActionRecord)
            static_cast<db_BoolAction&>(*modifier).Value = static_cast<uint8_t>(_Filler.Below(2));
        _Job.Attach(target, *modifier);
    }

    void Step() {
        const uint64_t roll = _Filler.Below(100);
        if (roll < 45) return AddObservation();
        if (roll < 53) return AddFilled(DATABASE_NoteRecord);
        if (roll < 57) { // a note for an earlier record
            auto note = Make(DATABASE_NoteRecord);
            note->Note = _Filler.Note();
            _Job.Attach(Pick().id, *note);
            return;
        }
        if (roll < 61) { // a record put in front of an earlier one
            const uint32_t type = RandomPlainType();
            auto record = Make(type);
            Track({_Job.Insert(Pick().id, *record), type});
            return;
        }
        if (roll < 65) { // a new version of an earlier record
            const LiveRecord target = Pick();
            if (target.type == DATABASE_NoteRecord) return;
            auto record = Make(target.type);
            _Job.Replace(target.id, *record);
            return;
        }
        if (roll < 67 && _Live.size() > 8) { // an earlier record removed
            const size_t index = _Filler.Below(_Live.size());
            const LiveRecord target = _Live[index];
            if (target.type == DATABASE_NoteRecord || target.type == DATABASE_ObservationRecord)
                return;
            auto record = Make(target.type);
            _Job.Delete(target.id, *record);
            _Live[index] = _Live.back();
            _Live.pop_back();
            std::erase(_Sections, target.id);
            return;
        }
        if (roll < 72) return Modify();
        if (roll < 74) return AttachPointDelta();
        AddFilled(RandomPlainType());
    }

    uint32_t RandomPlainType() { return _Plain[_Filler.Below(_Plain.size())]; }

    // A point delta for a tunnel cross-section, or now and then a new
    // version of one attached earlier.
    void AttachPointDelta() {
        if (_Sections.empty()) return;
        auto delta = Make(DATABASE_TunnelPointDeltaRecord);
        if (!_PointDeltas.empty() && _Filler.Chance(25)) {
            _Job.Replace(_PointDeltas[_Filler.Below(_PointDeltas.size())], *delta);
            return;
        }
        _PointDeltas.push_back(
            _Job.Attach(_Sections[_Filler.Below(_Sections.size())], *delta));
    }

    JobFileWriter& _Job;
    std::mt19937_64 _Rng;
    RecordFiller _Filler;
    std::vector<LiveRecord> _Live;
    std::vector<db_DBIDValue> _Observations;
    std::vector<db_DBIDValue> _Sections;    // tunnel cross-sections
    std::vector<db_DBIDValue> _PointDeltas; // attached to them
    const std::vector<uint32_t> _Plain = PlainWrittenTypes();
    const std::vector<uint32_t> _Measurements = TypesOf(record_table::Measurement);
    const std::vector<uint32_t> _Modifiers = TypesOf(record_table::Modifier);
};

// The bundled sample: a short job that shows the journal's actions and the
// document's edge values; fixed content, so the file never changes.
void WriteSample(JobFileWriter& job) {
    std::mt19937_64 rng(2026);
    RecordFiller filler(rng, FillProfile::Realistic);
    // Every record made here carries a fixed stamp, so the file never changes.
    auto CreateRecord = [](uint32_t type) {
        auto record = tqxml::CreateRecord(type);
        record->TimeStamp = 1417000000.0;
        return record;
    };

    auto header = CreateRecord(DATABASE_JobHeaderRecord);
    header->TimeStamp = 1417000000.0;
    static_cast<db_JobHeader&>(*header).HeaderText = "Sample survey, north boundary";
    const db_DBIDValue first = job.Add(*header);

    auto note = CreateRecord(DATABASE_NoteRecord);
    note->TimeStamp = 1417000001.5;
    note->Note = "Sample job\r\n\r\nNotes keep their empty lines & <marks>\r\n";
    job.Add(*note);

    for (uint32_t type : {DATABASE_JobPropertiesRecord, DATABASE_UnitsRecord,
                          DATABASE_TimeZoneRecord, DATABASE_BackgroundFileListRecord}) {
        auto record = CreateRecord(type);
        filler.Fill(*record);
        record->TimeStamp = 1417000002.25;
        job.Add(*record);
    }

    db_DBIDValue lastPoint = NODBID;
    for (int i = 0; i < 3; ++i) {
        auto observation = CreateRecord(DATABASE_ObservationRecord);
        filler.Fill(*observation);
        auto& point = static_cast<db_Observation&>(*observation);
        point.PointName = Str(i == 0 ? "1000" : i == 1 ? "CP 7" : "Kerb & gutter");
        point.TimeStamp = 1417000100.0 + i;
        lastPoint = job.Add(point);
        auto measurement = CreateRecord(DATABASE_ECEFDeltasRecord + static_cast<uint32_t>(i * 4));
        filler.Fill(*measurement);
        measurement->TimeStamp = 1e308; // a stamp without a value
        job.Attach(lastPoint, *measurement);
    }

    auto remark = CreateRecord(DATABASE_NoteRecord);
    remark->Note = "Rechecked\nfrom the second setup";
    job.Attach(lastPoint, *remark);

    auto inserted = CreateRecord(DATABASE_StartRoundsRecord);
    inserted->TimeStamp = 1417000200.0;
    job.Insert(first, *inserted);

    auto marker = CreateRecord(DATABASE_EndEntityRecord);
    marker->TimeStamp = 1417000300.0;
    const db_DBIDValue markerId = job.Add(*marker);
    auto replacement = CreateRecord(DATABASE_EndEntityRecord);
    replacement->Note = "Replaced: keeps the place and the stamp";
    job.Replace(markerId, *replacement);

    auto doomed = CreateRecord(DATABASE_EndRoundsRecord);
    const db_DBIDValue doomedId = job.Add(*doomed);
    auto removal = CreateRecord(DATABASE_EndRoundsRecord);
    job.Delete(doomedId, *removal);

    auto rename = CreateRecord(DATABASE_StrRecord);
    static_cast<db_Str&>(*rename).Value = "1000A";
    job.Attach(lastPoint, *rename);

    // One record of every other type the document writes, in type order,
    // and the journal actions some of them take.
    std::map<uint32_t, db_DBIDValue> added;
    for (uint32_t type : PlainWrittenTypes()) {
        if (type <= DATABASE_NoteRecord || type == DATABASE_JobPropertiesRecord ||
            type == DATABASE_UnitsRecord || type == DATABASE_TimeZoneRecord ||
            type == DATABASE_BackgroundFileListRecord)
            continue;
        auto record = CreateRecord(type);
        filler.Fill(*record);
        record->TimeStamp = 1417000400.0 + type;
        added[type] = job.Add(*record);
    }
    auto undo = CreateRecord(DATABASE_BoolActionRecord);
    static_cast<db_BoolAction&>(*undo).Value = 0; // the line is deleted
    job.Attach(added[DATABASE_LineRecord], *undo);
    auto arc = CreateRecord(DATABASE_ArcRecord);
    filler.Fill(*arc);
    job.Replace(added[DATABASE_ArcRecord], *arc);
    auto delta = CreateRecord(DATABASE_TunnelPointDeltaRecord);
    filler.Fill(*delta);
    delta->TimeStamp = 1417000600.0;
    job.Attach(added[DATABASE_TunnelCrossSectionRecord], *delta);
}

// A golden job: for each listed type, one record of survey-like values and
// two of edge values, each with a fixed stamp and now and then a note; a
// measurement goes into an observation of its own, a point delta to the
// record added last. A type listed again gets three more records.
void WriteGolden(JobFileWriter& job, const std::vector<uint32_t>& types, uint64_t seed) {
    std::mt19937_64 rng(seed);
    RecordFiller realistic(rng, FillProfile::Realistic);
    RecordFiller edge(rng, FillProfile::Edge);
    double stamp = 1417000000.0;
    db_DBIDValue lastAdded = NODBID;
    for (uint32_t type : types) {
        for (RecordFiller* filler : {&realistic, &edge, &edge}) {
            auto record = CreateRecord(type);
            if (!record) continue;
            filler->Fill(*record);
            record->TimeStamp = stamp;
            stamp += 1.5;
            if (filler->Chance(20)) record->Note = filler->Note();
            if (IsRecordCategory(type, record_table::Measurement)) {
                // A measurement lives in an observation: one made for it.
                auto point = CreateRecord(DATABASE_ObservationRecord);
                realistic.Fill(*point);
                point->TimeStamp = stamp;
                job.Attach(job.Add(*point), *record);
            } else if (IsRecordCategory(type, record_table::Attached)) {
                // A point delta is kept by the record added before it: list
                // a tunnel cross-section first.
                job.Attach(lastAdded, *record);
            } else {
                lastAdded = job.Add(*record);
            }
        }
    }
}

} // namespace

bool WriteGoldenJob(const Str& path, const std::vector<uint32_t>& types, uint64_t seed) {
    JobFileWriter job;
    if (!job.Create(path)) return false;
    WriteGolden(job, types, seed);
    return job.Close();
}

bool WriteGeneratedJob(const Str& path, uint64_t records, uint64_t seed) {
    JobFileWriter job;
    if (!job.Create(path)) return false;
    Generator(job, seed).Run(records);
    return job.Close();
}

bool WriteSampleJob(const Str& path) {
    JobFileWriter job;
    if (!job.Create(path)) return false;
    WriteSample(job);
    return job.Close();
}

} // namespace tqxml::genjob
