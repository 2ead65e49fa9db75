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
        : job_(job), rng_(seed), filler_(rng_, FillProfile::Realistic) {}

    void Run(uint64_t records) {
        AddFilled(DATABASE_JobHeaderRecord);
        AddFilled(DATABASE_JobPropertiesRecord);
        AddFilled(DATABASE_UnitsRecord);
        AddFilled(DATABASE_TimeZoneRecord);
        while (live_.size() < records)
            Step();
    }

private:
    std::unique_ptr<dbRecord_Class> Make(uint32_t type) {
        auto record = CreateRecord(type);
        filler_.Fill(*record);
        if (filler_.Chance(5)) record->Note = filler_.Note();
        // Stamps from the seed, not the clock: the same seed gives the same file.
        clock_ += 0.5 * static_cast<double>(1 + filler_.Below(40));
        record->TimeStamp = filler_.Chance(1) ? 1e308 : clock_;
        return record;
    }

    void AddFilled(uint32_t type) {
        auto record = Make(type);
        Track({job_.Add(*record), type});
    }

    void Track(LiveRecord record) {
        live_.push_back(record);
        if (record.type == DATABASE_TunnelCrossSectionRecord) sections_.push_back(record.id);
    }

    double clock_ = 1417000000.0;

    LiveRecord& Pick() { return live_[filler_.Below(live_.size())]; }

    void AddObservation() {
        auto observation = Make(DATABASE_ObservationRecord);
        auto& point = static_cast<db_Observation&>(*observation);
        if (point.PointName.IsEmpty()) point.PointName = "PT";
        const bool grouped = filler_.Chance(30);
        if (grouped) job_.BeginTransaction();
        const db_DBIDValue id = job_.Add(*observation);
        auto measurement = Make(measurements_[filler_.Below(measurements_.size())]);
        measurement->Note = Str();
        job_.Attach(id, *measurement);
        if (grouped) job_.EndTransaction();
        live_.push_back({id, DATABASE_ObservationRecord});
        observations_.push_back(id);
    }

    void Modify() {
        if (observations_.empty()) return;
        const db_DBIDValue target = observations_[filler_.Below(observations_.size())];
        auto modifier = Make(modifiers_[filler_.Below(modifiers_.size())]);
        if (modifier->GetType() == DATABASE_BoolActionRecord)
            static_cast<db_BoolAction&>(*modifier).Value = static_cast<uint8_t>(filler_.Below(2));
        job_.Attach(target, *modifier);
    }

    void Step() {
        const uint64_t roll = filler_.Below(100);
        if (roll < 45) return AddObservation();
        if (roll < 53) return AddFilled(DATABASE_NoteRecord);
        if (roll < 57) { // a note for an earlier record
            auto note = Make(DATABASE_NoteRecord);
            note->Note = filler_.Note();
            job_.Attach(Pick().id, *note);
            return;
        }
        if (roll < 61) { // a record put in front of an earlier one
            const uint32_t type = RandomPlainType();
            auto record = Make(type);
            Track({job_.Insert(Pick().id, *record), type});
            return;
        }
        if (roll < 65) { // a new version of an earlier record
            const LiveRecord target = Pick();
            if (target.type == DATABASE_NoteRecord) return;
            auto record = Make(target.type);
            job_.Replace(target.id, *record);
            return;
        }
        if (roll < 67 && live_.size() > 8) { // an earlier record removed
            const size_t index = filler_.Below(live_.size());
            const LiveRecord target = live_[index];
            if (target.type == DATABASE_NoteRecord || target.type == DATABASE_ObservationRecord)
                return;
            auto record = Make(target.type);
            job_.Delete(target.id, *record);
            live_[index] = live_.back();
            live_.pop_back();
            std::erase(sections_, target.id);
            return;
        }
        if (roll < 72) return Modify();
        if (roll < 74) return AttachPointDelta();
        AddFilled(RandomPlainType());
    }

    uint32_t RandomPlainType() { return plain_[filler_.Below(plain_.size())]; }

    // A point delta for a tunnel cross-section, or now and then a new
    // version of one attached earlier.
    void AttachPointDelta() {
        if (sections_.empty()) return;
        auto delta = Make(DATABASE_TunnelPointDeltaRecord);
        if (!pointDeltas_.empty() && filler_.Chance(25)) {
            job_.Replace(pointDeltas_[filler_.Below(pointDeltas_.size())], *delta);
            return;
        }
        pointDeltas_.push_back(
            job_.Attach(sections_[filler_.Below(sections_.size())], *delta));
    }

    JobFileWriter& job_;
    std::mt19937_64 rng_;
    RecordFiller filler_;
    std::vector<LiveRecord> live_;
    std::vector<db_DBIDValue> observations_;
    std::vector<db_DBIDValue> sections_;    // tunnel cross-sections
    std::vector<db_DBIDValue> pointDeltas_; // attached to them
    const std::vector<uint32_t> plain_ = PlainWrittenTypes();
    const std::vector<uint32_t> measurements_ = TypesOf(record_table::Measurement);
    const std::vector<uint32_t> modifiers_ = TypesOf(record_table::Modifier);
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
