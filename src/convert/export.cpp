// The library's one export: converts a job file into an XML document.
#include "convert/export.h"

#include "convert/driver.h"
#include "convert/path_macros.h"
#include "db/access.h"
#include "platform/file.h"
#include "text/unistr.h"

#include <cstring>
#include <exception>
#include <memory>
#include <new>

namespace tqxml {
namespace {

constexpr const char kStandardOutputName[] = "STDOUT$";

// The first exception a thread throws needs the C++ runtime's data for that
// thread, which a runtime loaded with the library allocates only then, and
// aborts the process when it cannot. Asked for before anything can run out
// (by the thread that loads the library, and at the start of each
// conversion), it is there when memory has run out.
void TakeRuntimeThreadData() {
    [[maybe_unused]] static volatile int sink;
    sink = std::uncaught_exceptions();
}
[[gnu::constructor]] void TakeLoadingThreadData() {
    TakeRuntimeThreadData();
}

unsigned Convert(const char* jobPathArg, const char* xmlPathArg, TQXMLProgressCallback progress,
                 const ConversionOptions& options, ConversionReport& report) {
    RegisterLibraryPathMacros();
    auto job = std::make_unique<dbAccess>();
    const Str jobPath = HostToUtf8(jobPathArg ? jobPathArg : "");
    const Str xmlPath = HostToUtf8(xmlPathArg ? xmlPathArg : "");

    bool exists;
    {
        file_Class jobFile(jobPath);
        exists = jobFile.Exists();
    }
    if (!exists) return TQXML_JobMissing;

    job->SetReadingProgress(options.readingProgress);
    job->SetSalvage(options.salvage);
    if (!job->Open(jobPath, false, options.secondThread)) return TQXML_JobUnreadable;

    report.gaps = job->Statistics().Gaps;
    report.jobSize = job->Statistics().FileSize;
    auto output = std::make_unique<file_Class>(xmlPath);
    if (xmlPath == kStandardOutputName) {
        output->Open(file_Class::ModeWrite);
    } else {
        // An output that names the job (by any spelling or link) would
        // destroy it: refused, as the system's sharing rules refuse it
        // where the job stays open while the output is replaced.
        if (job->IsJobFile(xmlPath)) {
            job->Close();
            return TQXML_OutputFailed;
        }
        if (!output->Replace()) {
            report.outputError = output->LastError();
            job->Close();
            return TQXML_OutputFailed;
        }
    }

    const Str documentName =
        options.documentJobName ? HostToUtf8(options.documentJobName) : jobPath;
    unsigned status = WriteJobXml(documentName, *job, output.get(), progress,
                                  options.stopOnWriteFailure, options.secondThread);
    output->Close();
    job->Close();
    if (output->WriteError() != 0) {
        report.outputError = output->WriteError();
        report.writeFailed = true;
        if (options.stopOnWriteFailure && status == TQXML_Done) status = TQXML_OutputFailed;
    }
    return status;
}

} // namespace

unsigned ConvertJobFile(const char* jobPath, const char* xmlPath, TQXMLProgressCallback progress,
                        const ConversionOptions& options, ConversionReport* report) {
    TakeRuntimeThreadData();
    ConversionReport ignored;
    ConversionReport& out = report ? *report : ignored;
    out = ConversionReport();
    // Nothing may leave the library but a status: an allocation failure
    // (the only exception the library can raise) ends the run as unreadable.
    try {
        return Convert(jobPath, xmlPath, progress, options, out);
    } catch (const std::bad_alloc&) {
        return TQXML_JobUnreadable;
    }
}

} // namespace tqxml

extern "C" TQXML_EXPORT unsigned int TQXML_CALL CreateTQXMLFile(const char* jobPath,
                                                               const char* xmlPath,
                                                               TQXMLProgressCallback progress) {
    return tqxml::ConvertJobFile(jobPath, xmlPath, progress);
}
