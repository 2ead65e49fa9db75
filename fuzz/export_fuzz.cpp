// The export as a host calls it: arbitrary bytes as a job file on disk, the
// document to a real file or to standard output ("STDOUT$", sent to
// /dev/null here), and a progress callback that stops the run after a number
// of records taken from the input. Besides the conversion, this reaches the
// export's paths, its output file, cancellation and the flush of what was
// written before it.
//
// The last two bytes of an input choose: the output form (bit 0 of the
// last), and after how many records the callback stops (0: never). The
// mutator (job_mutator.h) keeps entries framed and signed; an input from
// elsewhere (a seed, a crash file) has every entry it frames signed when the
// header's reserved byte (offset 44, never compared) is odd.
#include "job_mutator.h"

#include <tqxml/tqxml.h>

#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string ScratchPath(const char* suffix) {
    return "/tmp/tqxml-export-fuzz-" + std::to_string(getpid()) + suffix;
}

int g_stopAfter = 0;
int g_calls = 0;

unsigned char TQXML_CALL Progress(int percent) {
    if (percent < 0 || percent > 100) __builtin_trap(); // the share done is a percentage
    return g_stopAfter == 0 || ++g_calls < g_stopAfter;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Documents sent to standard output go nowhere.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDOUT_FILENO), ::close(null);
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    return tqxml::fuzz::MutateJob(data, size, maxSize, seed);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const bool toStandardOutput = data[size - 1] & 1;
    g_stopAfter = data[size - 2];
    g_calls = 0;
    std::vector<uint8_t> job(data, data + size - 2);
    if (job.size() > 44 && (job[44] & 1)) tqxml::fuzz::SignEntries(job.data(), job.size());

    const std::string jobPath = ScratchPath(".job");
    const std::string xmlPath = ScratchPath(".xml");
    FILE* file = std::fopen(jobPath.c_str(), "wb");
    if (!file) return 0;
    if (!job.empty()) std::fwrite(job.data(), 1, job.size(), file);
    std::fclose(file);

    const unsigned status =
        CreateTQXMLFile(jobPath.c_str(), toStandardOutput ? "STDOUT$" : xmlPath.c_str(), Progress);
    if (status != TQXML_Done && status != TQXML_Stopped && status != TQXML_JobUnreadable)
        __builtin_trap(); // the job exists and the output can be made: nothing else is possible
    return 0;
}
