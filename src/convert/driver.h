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

// Whether the walk writes records of this type with a writer of their own.
bool HasRecordWriter(uint32_t type);

// Lays one record object's whole element (with the driver's attributes and
// note lines) as the walk does, at the sink's top level.
void WriteRecord(StreamSink& sink, const dbRecord_Class& record);

// Writes the whole document for an open job; 0 when complete, 1 when the
// progress callback asked to stop; with `stopOnWriteFailure`, 5 as soon as a
// record is done after a write to the output failed. `formatAhead`: the
// records are formatted on a second thread while this one writes them and
// reports progress; the bytes, the writes, the progress calls and what a
// stop leaves are the same either way.
unsigned WriteJobXml(const Str& jobPath, const dbAccess& job, file_Class* output,
                     TQXMLProgressCallback progress, bool stopOnWriteFailure = false,
                     bool formatAhead = false);

} // namespace tqxml
