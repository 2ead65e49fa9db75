// The conversion run: the document's frame, the walk over the job's records
// in chain order, one element per record, progress and cancellation.
#pragma once

#include "records/record.h"
#include "text/str.h"
#include "xml/xml_out.h"

#include <tqxml/tqxml.h>

namespace tqxml {

class dbAccess;
class file_Class;

// The element of one record, built by the writer its type selects; a type
// without a writer gives a bare "unknown" element. The caller owns it.
xmlout_element* WriteRecordElement(const dbRecord_Class& record);

// Whether the walk writes records of this type with a writer of their own.
bool HasRecordWriter(uint32_t type);

// Appends one `Note` child per line of `note` (CR LF, LF CR, LF and CR all
// end a line; no empty line after a final break).
void AddNoteLines(xmlout_element* element, const Str& note);

// The driver's attributes of a record element: ID, type and TimeStamp.
void AddRecordAttributes(xmlout_element* element, const dbRecord_Class& record);

// Lays one record's whole element (with the driver's attributes and note
// lines) into `buffer` as the walk does, without building its tree; flushes
// to `output` (may be null) above the flush threshold.
void WriteRecord(const dbRecord_Class& record, Str& buffer, file_Class* output);

// Writes the whole document for an open job; 0 when complete, 1 when the
// progress callback asked to stop.
unsigned WriteJobXml(const Str& jobPath, dbAccess& job, file_Class* output,
                     TQXMLProgressCallback progress);

} // namespace tqxml
