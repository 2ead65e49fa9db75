// Documents any XML parser accepts, on request (--text-encoding): the
// document as the library writes it carries the job's texts as stored, in
// the field software's code page, under a UTF-8 declaration, and control
// characters as references that XML 1.0 forbids. This turns such a document
// into one that is UTF-8 throughout: the stored texts transcoded from the
// named code page with iconv, a byte that has no character there and every
// forbidden control character written as U+FFFD. The JOBFile start tag
// carries the job's path, in the host's encoding (UTF-8 here): its bytes
// that are no UTF-8 and its forbidden references become U+FFFD as well.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tqxml {

class file_Class;
struct ConversionReport;

// Whether iconv knows `encoding`.
bool IsKnownTextEncoding(const std::string& encoding);

// Transcodes the document at `from` and hands it on, a block at a time, to
// `write`, which returns 0 or the system's code of its failure. Before each
// block, `stop` (when given) may ask to stop. 0 when done, else the code of
// the failed read or write, or ECANCELED when asked to stop.
using DocumentWriter = std::function<int(std::string_view)>;
int TranscodeDocument(const std::string& from, const DocumentWriter& write,
                      const std::string& encoding, const std::function<bool()>& stop = {});

// Transcodes the document a conversion wrote at `from` into `output`, which
// the caller has opened for writing, and closes it. As a conversion ends:
// TQXML_Stopped when `stop` asked to, else TQXML_Done, with a failed read or
// write in `report` (outputError, writeFailed).
unsigned TranscodeIntoFile(const std::string& from, file_Class& output, const std::string& encoding,
                           const std::function<bool()>& stop, ConversionReport& report);

} // namespace tqxml
