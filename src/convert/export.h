// The conversion behind the library's export, for the library's own tool:
// the same run, with a few choices the export does not offer and a report of
// what happened to the output, which the export's status does not carry.
#pragma once

#include "db/statistics.h"

#include <tqxml/tqxml.h>

#include <cstdint>
#include <vector>

namespace tqxml {

struct ConversionOptions {
    // The name the document gives the job (its jobFilename); the job path
    // when null. The tool names a job it read from standard input "-".
    const char* documentJobName = nullptr;
    // End the run at the first record after a write to the output failed
    // (status TQXML_OutputFailed), instead of going on as the export does.
    bool stopOnWriteFailure = false;
    // Work on a second thread too (for a caller with a core to spare): the
    // journal is checked ahead of its replay, and the records are formatted
    // ahead of their writing. The progress calls and every report stay on
    // the converting thread, in the same order.
    bool secondThread = false;
    // Called on the converting thread while the journal is read, before the
    // first record is written: the journal's bytes read so far and its size.
    void (*readingProgress)(uint64_t bytesRead, uint64_t journalBytes) = nullptr;
    // Salvage the records behind damaged entries: the replay goes on after
    // each at the next place where the journal can be trusted, and the
    // document says so at its start. Not the defined conversion.
    bool salvage = false;
};

struct ConversionReport {
    // The system's code for why the output could not be created (status
    // TQXML_OutputFailed without writeFailed), or for the first write, flush
    // or close of the document that failed; 0 when there was none.
    uint32_t outputError = 0;
    // The document was created but not written completely.
    bool writeFailed = false;
    // With salvage: the damaged places skipped, in file order, and the size
    // of the job file they lie in.
    std::vector<dbJournal_Gap> gaps;
    uint32_t jobSize = 0;
};

// As CreateTQXMLFile, with `options`; `report` (may be null) receives what
// happened to the output.
unsigned ConvertJobFile(const char* jobPath, const char* xmlPath, TQXMLProgressCallback progress,
                        const ConversionOptions& options = {}, ConversionReport* report = nullptr);

} // namespace tqxml
