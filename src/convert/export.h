// The conversion behind the library's export, for the library's own tool.
#pragma once

#include <tqxml/tqxml.h>

namespace tqxml {

// As CreateTQXMLFile; the document names the job `documentJobName` (its
// jobFilename) when that is given, else by `jobPath`. The tool names a job
// it read from standard input "-" this way.
unsigned ConvertJobFile(const char* jobPath, const char* xmlPath, TQXMLProgressCallback progress,
                        const char* documentJobName = nullptr);

} // namespace tqxml
