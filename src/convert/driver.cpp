#include "convert/driver.h"

#include "base/environment.h"
#include "convert/values.h"
#include "convert/xml_fields.h"
#include "db/access.h"
#include "platform/file.h"
#include "records/all_records.h"

namespace tqxml {
namespace {

using RecordWriter = xmlout_element* (*)(Str name, const dbRecord_Class& record);

template <class R, int Written> constexpr RecordWriter WriterFor() {
    if constexpr (Written != 0 && HasXmlForm<R>)
        return &WriteDeclaredRecord<R>;
    else
        return nullptr;
}

// The catalogue: for every record type, the writer that the walk calls (null
// where records of the type are written as "unknown") and the element name.
constexpr RecordWriter kRecordWriters[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, written) WriterFor<className, written>(),
#include "records/record_types.def"
#undef TQ_RECORD
};

constexpr const char* kElementNames[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, written) #enumName,
#include "records/record_types.def"
#undef TQ_RECORD
};

constexpr const char kDocumentStart[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n";
constexpr const char kDocumentEnd[] = "</JOBFile>\r\n";
constexpr int32_t kConverterVersion = 1220;
constexpr int32_t kConverterIncrement = 36;

} // namespace

bool HasRecordWriter(uint32_t type) {
    return type < DATABASE_AllRecords && kRecordWriters[type] != nullptr;
}

xmlout_element* WriteRecordElement(const dbRecord_Class& record) {
    const uint32_t type = record.GetType();
    if (!HasRecordWriter(type)) return new xmlout_element("unknown");
    return kRecordWriters[type](Str(kElementNames[type]), record);
}

void AddNoteLines(xmlout_element* element, const Str& note) {
    Str text(note);
    text.ReplaceText("\r\n", "\r");
    text.ReplaceText("\n\r", "\r");
    text.ReplaceChar('\n', '\r');
    int32_t start = 0;
    for (int32_t end = text.Find('\r', start); end < text.Length();
         end = text.Find('\r', start)) {
        element->AddChild(new xmlout_element("Note", text.Mid(start, end - start)));
        start = end + 1;
    }
    if (start < text.Length()) element->AddChild(new xmlout_element("Note", text.From(start)));
}

void AddRecordAttributes(xmlout_element* element, const dbRecord_Class& record) {
    element->AddAttribute(Str("ID"), HexValue(record.RecordId));
    element->AddAttribute(Str("type"), Int3Value(record.GetType()));
    element->AddAttribute(Str("TimeStamp"), RealValue(record.TimeStamp));
}

unsigned WriteJobXml(const Str& jobPath, dbAccess& job, file_Class* output,
                     TQXMLProgressCallback progress) {
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

    int64_t count = 0;
    for (db_DBIDValue id = job.FirstRecordId(); id != NODBID; id = job.NextRecordId(id)) ++count;

    int64_t done = 0;
    for (db_DBIDValue id = job.FirstRecordId(); id != NODBID; id = job.NextRecordId(id)) {
        const dbRecord_Class* record = job.GetRecord(id);
        TQ_ASSERT_TEXT(record != nullptr, "dbRecord");
        if (record) {
            xmlout_element* element = WriteRecordElement(*record);
            if (!record->Note.IsEmpty()) AddNoteLines(element, record->Note);
            element->AddAttribute(Str("ID"), HexValue(id));
            element->AddAttribute(Str("type"), Int3Value(record->GetType()));
            element->AddAttribute(Str("TimeStamp"), RealValue(record->TimeStamp));
            element->isRecord = true;
            Write(element, output, true, 1, buffer);
            delete element;
        }
        ++done;
        // The percentage in 64 bits: the same value for any job a 32-bit
        // product could hold, and no overflow for larger ones.
        if (progress && progress(static_cast<int>(done * 100 / count)) == 0) return TQXML_Stopped;
    }
    buffer.Append(kDocumentEnd);
    Flush(output, buffer);
    return TQXML_Done;
}

} // namespace tqxml
