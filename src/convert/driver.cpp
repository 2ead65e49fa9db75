#include "convert/driver.h"

#include "base/environment.h"
#include "convert/job_report.h"
#include "convert/walk.h"
#include "convert/xml_fields.h"
#include "db/access.h"
#include "platform/file.h"
#include "records/all_records.h"
#include "xml/values.h"

#include <algorithm>

namespace tqxml {
namespace {

// The catalogue: for every record type, the writers of its fields from a
// record object and from its stored bytes (null where records of the type
// are written as "unknown", or are always read into an object first).
struct RecordWriters {
    void (*object)(StreamSink&, const dbRecord_Class&);
    void (*stored)(StreamSink&, const buffer_Class&, int32_t, const StoredRecordExtras&);
};

// Only chained records have an element of their own; measurements are
// written inside their observation, and the other categories never reach
// the chain as themselves.
template <class R> constexpr RecordWriters WritersFor() {
    if constexpr (R::kInfo.category != record_table::Plain || !HasDocumentForm<R>)
        return {nullptr, nullptr};
    else if constexpr (HasReadOwn<R>)
        return {&EmitMemberFields<R>, nullptr};
    else
        return {&EmitMemberFields<R>, &EmitStoredFields<R>};
}

constexpr RecordWriters kRecordWriters[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, category, flags) WritersFor<className>(),
#include "records/record_types.def"
};

constexpr const char kRoot[] = "JOBFile";
constexpr int32_t kConverterVersion = 1220;
constexpr int32_t kConverterIncrement = 36;

// One `Note` per line: CR LF, LF CR and LF become CR, which then ends a line;
// a final break gives no empty line after it.
void EmitNoteLines(StreamSink& sink, std::string_view note) {
    if (note.empty()) return;
    static thread_local Str text; // kept between records: no allocation per note
    text.Truncate(0);
    text.Append(note.data(), static_cast<int32_t>(note.size()));
    text.ReplaceText("\r\n", "\r");
    text.ReplaceText("\n\r", "\r");
    text.ReplaceChar('\n', '\r');
    const std::string_view all = View(text);
    size_t start = 0;
    for (size_t end = all.find('\r'); end != std::string_view::npos; end = all.find('\r', start)) {
        sink.Leaf("Note", all.substr(start, end - start));
        start = end + 1;
    }
    if (start < all.size()) sink.Leaf("Note", all.substr(start));
}

// Begins a record's element, with `rec` where the type has a writer.
void BeginRecord(StreamSink& sink, db_DBIDValue id, uint32_t type, double timeStamp) {
    const bool written = HasRecordWriter(type);
    sink.Begin(written ? RecordTypeName(type) : "unknown", true);
    if (written) sink.Attribute("rec", RecordClassName(type), true); // a class name
    EmitRecordAttributes(sink, id, type, timeStamp);
}

} // namespace

// A chained record's element: straight from its stored bytes where it can
// be, else from the record read into an object.
void EmitChainedRecord(StreamSink& sink, const dbAccess& job, const dbModel_Node& node) {
    const RecordWriters& writers = kRecordWriters[node.Type];
    const dbModel_Changes* changes = job.Model().Changes(node);
    if (!writers.object || (writers.stored && (!changes || changes->List.empty()))) {
        BeginRecord(sink, node.RecordId, node.Type, job.TimeStampOf(node));
        if (writers.stored) {
            const buffer_Class bytes = job.RecordBytes(node.Entry);
            const StoredRecordParts parts = FindStoredParts(bytes, HasFeatureArray(node.Type));
            const bool withFeatures = parts.features >= 0;
            dbAccess::StoredPart descriptions, features;
            if (withFeatures) {
                descriptions = job.DescriptionsOf(node, parts);
                features = job.FeaturesOf(node, parts);
            }
            buffer_Class measurement;
            if (node.Measurement) measurement = job.RecordBytes(node.Measurement);
            const StoredRecordExtras extras{&descriptions.bytes, descriptions.at, &features.bytes,
                                            features.at,         features.count,
                                            node.Measurement ? &measurement : nullptr};
            writers.stored(sink, bytes, parts.fields, extras);
        }
        EmitNoteLines(sink, job.NoteOf(node));
        sink.End();
        return;
    }
    const std::unique_ptr<dbRecord_Class> record = job.ReadRecord(node);
    TQ_ASSERT_TEXT(record != nullptr, "dbRecord");
    if (!record) return;
    BeginRecord(sink, node.RecordId, node.Type, record->TimeStamp);
    writers.object(sink, *record);
    EmitNoteLines(sink, View(record->Note));
    sink.End();
}

bool HasRecordWriter(uint32_t type) {
    return type < DATABASE_AllRecords && kRecordWriters[type].object != nullptr;
}

void WriteRecord(StreamSink& sink, const dbRecord_Class& record) {
    const uint32_t type = record.GetType();
    BeginRecord(sink, record.RecordId, type, record.TimeStamp);
    if (HasRecordWriter(type)) kRecordWriters[type].object(sink, record);
    EmitNoteLines(sink, View(record.Note));
    sink.End();
}

void BeginJobDocument(StreamSink& sink, const Str& jobPath, const dbAccess& job) {
    sink.BeginDocument(kRoot);
    char number[kValueTextSize];
    sink.Attribute("jobFilename", View(jobPath));
    sink.Attribute("version", {number, static_cast<size_t>(FormatInt(number, kConverterVersion) -
                                                           number)});
    sink.Attribute("increment",
                   {number, static_cast<size_t>(FormatInt(number, kConverterIncrement) - number)});
    // A salvaged document is never to be taken for the job's own: it says
    // so first, one comment for each damaged place.
    const dbAccess_Statistics& statistics = job.Statistics();
    for (const dbJournal_Gap& gap : statistics.Gaps)
        sink.RecordComment("salvaged: " + GapText(gap, statistics.FileSize));
}

unsigned AfterRecord(int64_t done, int64_t count, TQXMLProgressCallback progress,
                     const file_Class* output, bool stopOnWriteFailure) {
    if (progress && progress(static_cast<int>(done * 100 / count)) == 0) return TQXML_Stopped;
    if (stopOnWriteFailure && output && output->WriteError() != 0) return TQXML_OutputFailed;
    return TQXML_Done;
}

unsigned WriteJobXml(const Str& jobPath, const dbAccess& job, file_Class* output,
                     TQXMLProgressCallback progress, bool stopOnWriteFailure, bool twoThreads) {
    // The model keeps the count of its chain, which a counting walk would
    // give: no second pass over every record.
    const int64_t count = std::max<int64_t>(job.RecordCount(), 1);
    if (twoThreads) return WriteJobXmlOnTwoThreads(jobPath, job, output, count, progress,
                                                   stopOnWriteFailure);
    Str pending;
    pending.Reserve(2 * kFlushThreshold);
    FileOutput file(output);
    StreamSink sink(pending, output ? &file : nullptr);
    BeginJobDocument(sink, jobPath, job);
    const dbModel& model = job.Model();
    int64_t done = 0;
    for (uint32_t node = model.Front(); node != kNoNode; node = model.Node(node).Forward) {
        EmitChainedRecord(sink, job, model.Node(node));
        const unsigned status = AfterRecord(++done, count, progress, output, stopOnWriteFailure);
        if (status != TQXML_Done) return status;
    }
    sink.EndDocument();
    return TQXML_Done;
}

} // namespace tqxml
