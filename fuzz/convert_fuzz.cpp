// Converts arbitrary bytes as a job file. The job goes through the real file
// layer (a temporary file rewritten for each input); the document is built in
// memory and discarded.
#include "convert/driver.h"
#include "db/access.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

const std::string& JobPath() {
    static const std::string path = "/tmp/tqxml-fuzz-" + std::to_string(getpid()) + ".job";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = JobPath();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);

    tqxml::dbAccess job;
    if (job.Open(tqxml::Str(path.c_str()), false)) {
        tqxml::WriteJobXml(tqxml::Str(path.c_str()), job, nullptr, nullptr);
        job.Close();
    }
    return 0;
}
