// The library's one export: converts a job file into an XML document.
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

unsigned ConvertJob(const char* jobPathArg, const char* xmlPathArg,
                    TQXMLProgressCallback progress) {
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

    const unsigned status = WriteJobXml(jobPath, *job, output.get(), progress);
    output->Close();
    job->Close();
    return status;
}

} // namespace
} // namespace tqxml

extern "C" TQXML_EXPORT unsigned int TQXML_CALL CreateTQXMLFile(const char* jobPath,
                                                               const char* xmlPath,
                                                               TQXMLProgressCallback progress) {
    // Nothing may leave the library but a status: an allocation failure
    // (the only exception the library can raise) ends the run as unreadable.
    try {
        return tqxml::ConvertJob(jobPath, xmlPath, progress);
    } catch (const std::bad_alloc&) {
        return TQXML_JobUnreadable;
    }
}
