// Converts arbitrary bytes as a job file. The job goes through the real file
// layer (a temporary file rewritten for each input); the document is built in
// memory and discarded.
//
// The custom mutator (job_mutator.h) keeps the entries framed and signed, so
// that mutations reach the record decoders and the journal's apply rules.
// For inputs that come from elsewhere (the seeds, a crash file), the harness
// also signs every entry it can frame when the header's reserved byte
// (offset 44, never compared) is odd.
#include "job_mutator.h"

#include "convert/driver.h"
#include "db/access.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string& JobPath() {
    static const std::string path = "/tmp/tqxml-fuzz-" + std::to_string(getpid()) + ".job";
    return path;
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    return tqxml::fuzz::MutateJob(data, size, maxSize, seed);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> job(data, data + size);
    if (size > 44 && (data[44] & 1)) tqxml::fuzz::SignEntries(job.data(), job.size());

    const std::string& path = JobPath();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    if (!job.empty()) std::fwrite(job.data(), 1, job.size(), file);
    std::fclose(file);

    tqxml::dbAccess access;
    if (access.Open(tqxml::Str(path.c_str()), false)) {
        tqxml::WriteJobXml(tqxml::Str(path.c_str()), access, nullptr, nullptr);
        access.Close();
    }
    return 0;
}
