// The library's one export: converts a job file into an XML document.
#include "convert/export.h"

#include "convert/driver.h"
#include "convert/path_macros.h"
#include "db/access.h"
#include "platform/file.h"
#include "text/unistr.h"

#include <cstring>
#include <memory>
#include <new>

namespace tqxml {
namespace {

constexpr const char kStandardOutputName[] = "STDOUT$";

unsigned Convert(const char* jobPathArg, const char* xmlPathArg, TQXMLProgressCallback progress,
                 const char* documentJobName) {
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

    if (!job->Open(jobPath, false)) return TQXML_JobUnreadable;

    auto output = std::make_unique<file_Class>(xmlPath);
    if (xmlPath == kStandardOutputName) {
        output->Open(file_Class::ModeWrite);
    } else {
        file_Class(xmlPath).Delete();
        if (!output->Create()) {
            job->Close();
            return TQXML_OutputFailed;
        }
    }

    const Str documentName = documentJobName ? HostToUtf8(documentJobName) : jobPath;
    const unsigned status = WriteJobXml(documentName, *job, output.get(), progress);
    output->Close();
    job->Close();
    return status;
}

} // namespace

unsigned ConvertJobFile(const char* jobPath, const char* xmlPath, TQXMLProgressCallback progress,
                        const char* documentJobName) {
    // Nothing may leave the library but a status: an allocation failure
    // (the only exception the library can raise) ends the run as unreadable.
    try {
        return Convert(jobPath, xmlPath, progress, documentJobName);
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
