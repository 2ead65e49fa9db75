#include "convert/driver.h"

#include "base/environment.h"
#include "convert/values.h"
#include "convert/xml_fields.h"
#include "db/access.h"
#include "platform/file.h"
#include "records/all_records.h"

#include <algorithm>

namespace tqxml {
namespace {

// The catalogue: for every record type, the writer of its fields (null
// where records of the type are written as "unknown").
template <class Sink> using FieldsEmitter = void (*)(const dbRecord_Class&, Sink&);

// Only chained records have an element of their own; measurements are
// written inside their observation, and the other categories never reach
// the chain as themselves.
template <class R, class Sink> constexpr FieldsEmitter<Sink> EmitterFor() {
    if constexpr (R::kInfo.category == record_table::Plain && HasXmlForm<R>)
        return &EmitDeclaredFields<R, Sink>;
    else
        return nullptr;
}

template <class Sink>
constexpr FieldsEmitter<Sink> kFieldsEmitters[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, category, flags) EmitterFor<className, Sink>(),
#include "records/record_types.def"
};

constexpr const char kDocumentStart[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n";
constexpr const char kDocumentEnd[] = "</JOBFile>\r\n";
constexpr int32_t kConverterVersion = 1220;
constexpr int32_t kConverterIncrement = 36;

// One `Note` per line: CR LF, LF CR and LF become CR, which then ends a line;
// a final break gives no empty line after it.
template <class Sink> void EmitNoteLines(Sink& sink, const Str& note) {
    Str text(note);
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

// Begins a record's element, with `rec` where the type has a writer, and
// writes its fields; the caller adds the note lines and ends it.
template <class Sink> void EmitRecordStart(Sink& sink, const dbRecord_Class& record) {
    const uint32_t type = record.GetType();
    const bool written = HasRecordWriter(type);
    sink.Begin(written ? RecordTypeName(type) : "unknown", true);
    if (written) sink.Attribute("rec", RecordClassName(type));
    EmitRecordAttributes(sink, record);
    if (written) kFieldsEmitters<Sink>[type](record, sink);
}

} // namespace

bool HasRecordWriter(uint32_t type) {
    return type < DATABASE_AllRecords && kFieldsEmitters<StreamSink>[type] != nullptr;
}

namespace {

void EmitRecord(StreamSink& sink, const dbRecord_Class& record) {
    EmitRecordStart(sink, record);
    if (!record.Note.IsEmpty()) EmitNoteLines(sink, record.Note);
    sink.End();
}

} // namespace

void WriteRecord(const dbRecord_Class& record, Str& buffer, file_Class* output) {
    StreamSink sink(buffer, output, 1);
    EmitRecord(sink, record);
}

unsigned WriteJobXml(const Str& jobPath, dbAccess& job, file_Class* output,
                     TQXMLProgressCallback progress, bool stopOnWriteFailure) {
    Str buffer;
    buffer.Reserve(2 * kFlushThreshold);
    buffer.Append(kDocumentStart);
    buffer.Append("<JOBFile jobFilename=\"");
    AppendEncodedXmlText(buffer, jobPath.CStr(), jobPath.Length());
    buffer.Append("\" version=\"");
    AppendInt(buffer, kConverterVersion);
    buffer.Append("\" increment=\"");
    AppendInt(buffer, kConverterIncrement);
    buffer.Append("\">\r\n\r\n");

    StreamSink sink(buffer, output, 1); // one for the whole walk: its stack is reused

    // The model keeps the count of its chain, which a counting walk would
    // give: no second pass over every record.
    const int64_t count = std::max<int64_t>(job.RecordCount(), 1);

    int64_t done = 0;
    std::unique_ptr<dbRecord_Class> transient; // the record being written, when the job keeps none
    for (db_DBIDValue id = job.FirstRecordId(); id != NODBID; id = job.NextRecordId(id)) {
        const dbRecord_Class* record = job.LoadRecord(id, transient);
        TQ_ASSERT_TEXT(record != nullptr, "dbRecord");
        if (record) EmitRecord(sink, *record);
        ++done;
        // The percentage in 64 bits: the same value for any job a 32-bit
        // product could hold, and no overflow for larger ones.
        if (progress && progress(static_cast<int>(done * 100 / count)) == 0) return TQXML_Stopped;
        if (stopOnWriteFailure && output && output->WriteError() != 0) return TQXML_OutputFailed;
    }
    buffer.Append(kDocumentEnd);
    Flush(output, buffer);
    return TQXML_Done;
}

} // namespace tqxml
