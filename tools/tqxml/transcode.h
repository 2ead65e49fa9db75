// Documents any XML parser accepts, on request (--text-encoding): the
// document as the library writes it carries the job's texts as stored, in
// the field software's code page, under a UTF-8 declaration, and control
// characters as references that XML 1.0 forbids. This turns such a document
// into one that is UTF-8 throughout: the stored texts transcoded from the
// named code page with iconv, a byte that has no character there and every
// forbidden control character written as U+FFFD. The document's first three
// lines (declaration, blank line, the JOBFile start tag with the job's path,
// already UTF-8) pass unchanged.
#pragma once

#include <cstdint>
#include <string>

namespace tqxml::tool {

// Whether iconv knows `encoding`.
bool IsKnownTextEncoding(const std::string& encoding);

// Transcodes the document at `from` into the descriptor `to`. 0 when done,
// else the system's code of the failed read or write.
int TranscodeDocument(const std::string& from, int to, const std::string& encoding);

} // namespace tqxml::tool
