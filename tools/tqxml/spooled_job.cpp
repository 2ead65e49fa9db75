#include "spooled_job.h"

#include "info.h"

#include "convert/job_report.h"
#include "options.h"
#include "progress.h"

#include "db/filehdr.h"
#include "io/buffer.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tqxml::tool {
namespace {

bool g_standardInputClosed = false;

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

// Whether a job's first 48 bytes are a header of a job this tool reads: the
// journal's file type and format version. Anything else is refused there
// and then, not kept to its end first (tqxml - < /dev/zero).
bool IsReadableJobHeader(const uint8_t* bytes) {
    filehdr_Header header;
    header.Decode(buffer_Class::View(bytes, FILEHDR_SizeOnDisk, false));
    const filehdr_Header expected = filehdr_Header::JobJournal();
    return header.Type == expected.Type && header.SameVersion(expected);
}

} // namespace

void GuardStandardStreams() {
    bool inputClosed = false;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // Open the other way round: whatever is read or written there fails
        // as it would have, instead of landing in a file of the tool's.
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (opened != fd && opened >= 0) ::dup2(opened, fd), ::close(opened);
        inputClosed |= fd == STDIN_FILENO;
    }
    g_standardInputClosed = inputClosed;
}

bool IsPipedJob(const std::string& job) {
    if (job == kStandardInputJob) return true;
    struct stat info;
    return ::stat(job.c_str(), &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
}

bool SpooledJob::Copy(int from, int to, std::string& error) {
    // A job file's positions are 32-bit: a stream longer than that is not
    // one, and is not kept on and on (yes | tqxml -).
    constexpr uint64_t kLongestJob = 0xFFFFFFFFull;
    uint64_t total = 0;
    uint8_t header[FILEHDR_SizeOnDisk];
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
        if (total < sizeof header) {
            const size_t take = std::min(sizeof header - total, static_cast<size_t>(got));
            std::memcpy(header + total, block, take);
            if (total + take == sizeof header && !IsReadableJobHeader(header)) {
                // The header alone says why (see --info): kept, described, gone.
                const bool kept = ::ftruncate(to, 0) == 0 &&
                                  ::pwrite(to, header, sizeof header, 0) == sizeof header;
                error = kept ? DescribeOpenFailure(Path()) : "not a job file";
                return false;
            }
        }
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
    if (standardInput && g_standardInputClosed) {
        error = "standard input is closed; pipe a job file into it";
        return false;
    }
    if (standardInput && ::isatty(STDIN_FILENO)) {
        error = "standard input is a terminal; pipe a job file into it";
        return false;
    }
    const int from = standardInput ? STDIN_FILENO : ::open(job.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) {
        error = Reason("cannot open the job");
        return false;
    }
    const int to = file_.Create("spool", ".job", error);
    bool ok = to >= 0;
    if (ok) {
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
