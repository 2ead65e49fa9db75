#include "spooled_job.h"

#include "options.h"
#include "progress.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tqxml::tool {
namespace {

std::string Reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const char* bytes, size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, bytes, count);
        if (written < 0 && errno == EINTR && !InterruptRequested()) continue;
        if (written <= 0) return false;
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

bool IsPipedJob(const std::string& job) {
    if (job == kStandardInputJob) return true;
    struct stat info;
    return ::stat(job.c_str(), &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
}

SpooledJob::~SpooledJob() {
    if (!path_.empty()) ::unlink(path_.c_str());
}

bool SpooledJob::Copy(int from, int to, std::string& error) {
    // A job file's positions are 32-bit: a stream longer than that is not
    // one, and is not kept on and on (yes | tqxml -).
    constexpr uint64_t kLongestJob = 0xFFFFFFFFull;
    uint64_t total = 0;
    char block[1 << 16];
    for (;;) {
        const ssize_t got = ::read(from, block, sizeof block);
        if (InterruptRequested()) {
            error = "interrupted while reading the job";
            return false;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = Reason("cannot read the job");
            return false;
        }
        if (got == 0) return true;
        total += static_cast<uint64_t>(got);
        if (total > kLongestJob) {
            error = "longer than any job file can be (4 GiB)";
            return false;
        }
        if (!WriteAll(to, block, static_cast<size_t>(got))) {
            error = Reason("cannot keep the job in a temporary file");
            return false;
        }
    }
}

bool SpooledJob::Spool(const std::string& job, std::string& error) {
    const bool standardInput = job == kStandardInputJob;
    if (standardInput && ::isatty(STDIN_FILENO)) {
        error = "standard input is a terminal; pipe a job file into it";
        return false;
    }
    const int from = standardInput ? STDIN_FILENO : ::open(job.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) {
        error = Reason("cannot open the job");
        return false;
    }
    const char* directory = std::getenv("TMPDIR");
    std::string pattern = std::string(directory && *directory ? directory : "/tmp") +
                          "/tqxml-spool-XXXXXX.job";
    const int to = ::mkstemps(pattern.data(), 4);
    bool ok = to >= 0;
    if (!ok) error = Reason("cannot keep the job in a temporary file");
    if (ok) {
        path_ = pattern;
        ok = Copy(from, to, error);
        if (::close(to) != 0 && ok) {
            error = Reason("cannot keep the job in a temporary file");
            ok = false;
        }
    }
    if (!standardInput) ::close(from);
    return ok;
}

} // namespace tqxml::tool
