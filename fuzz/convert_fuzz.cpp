// Converts arbitrary bytes as a job file. The job goes through the real file
// layer (a temporary file rewritten for each input); the document is built in
// memory and discarded.
//
// Random bytes almost never carry a valid checksum, so most inputs would stop
// at the first entry. When the reserved byte of the header (offset 44, never
// compared) is odd, the harness
// signs every entry it can frame with its correct checksum first, so that the
// mutations reach the record decoders and the journal's apply rules.
#include "convert/driver.h"
#include "db/access.h"
#include "db/crc16.h"

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

void SignEntries(std::vector<uint8_t>& job) {
    size_t at = 48;
    while (at + 4 <= job.size()) {
        const uint32_t length = job[at] | uint32_t{job[at + 1]} << 8 | uint32_t{job[at + 2]} << 16 |
                                uint32_t{job[at + 3]} << 24;
        if (length < 12 || length > 524288 || at + 4 + length > job.size()) return;
        uint8_t* body = job.data() + at + 4;
        const uint16_t crc = tqxml::Crc16Arc(body, length - 2);
        body[length - 2] = static_cast<uint8_t>(crc);
        body[length - 1] = static_cast<uint8_t>(crc >> 8);
        at += 4 + length;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> job(data, data + size);
    if (size > 44 && (data[44] & 1)) SignEntries(job);

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
