// The walk's pieces that the one-thread and the two-thread writing of a
// document share (convert/driver.cpp, convert/walk_ahead.cpp).
#pragma once

#include "db/access.h"
#include "text/str.h"
#include "xml/xml_out.h"

#include <tqxml/tqxml.h>

#include <cstdint>

namespace tqxml {

class file_Class;

// The document's opening: the declaration and the root element's start tag
// with its attributes; for a salvaged job, a comment on each gap.
void BeginJobDocument(StreamSink& sink, const Str& jobPath, const dbAccess& job);
inline constexpr char kJobDocumentEnd[] = "</JOBFile>\r\n";

// One chained record's whole element.
void EmitChainedRecord(StreamSink& sink, const dbAccess& job, const dbModel_Node& node);

// What the calling thread does after each record: the progress report (the
// percentage in 64 bits: the same value for any job a 32-bit product could
// hold, and no overflow for larger ones) and the check of the output.
// TQXML_Done to go on.
unsigned AfterRecord(int64_t done, int64_t count, TQXMLProgressCallback progress,
                     const file_Class* output, bool stopOnWriteFailure);

// WriteJobXml with the records formatted on two threads (walk_ahead.cpp).
unsigned WriteJobXmlOnTwoThreads(const Str& jobPath, const dbAccess& job, file_Class* output,
                                 int64_t count, TQXMLProgressCallback progress,
                                 bool stopOnWriteFailure);

} // namespace tqxml
