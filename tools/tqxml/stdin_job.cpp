#include "stdin_job.h"

#include "progress.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace tqxml::tool {
namespace {

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

StandardInputJob::~StandardInputJob() {
    if (!path_.empty()) ::unlink(path_.c_str());
}

bool StandardInputJob::Spool(std::string& error) {
    if (::isatty(STDIN_FILENO)) {
        error = "standard input is a terminal; pipe a job file into it";
        return false;
    }
    const char* directory = std::getenv("TMPDIR");
    std::string pattern = std::string(directory && *directory ? directory : "/tmp") +
                          "/tqxml-stdin-XXXXXX.job";
    const int fd = ::mkstemps(pattern.data(), 4);
    if (fd < 0) {
        error = std::string("cannot keep standard input in a temporary file: ") +
                std::strerror(errno);
        return false;
    }
    path_ = pattern;
    char block[1 << 16];
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, block, sizeof block);
        if (InterruptRequested()) {
            error = "interrupted while reading standard input";
            ok = false;
            break;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = std::string("cannot read standard input: ") + std::strerror(errno);
            ok = false;
            break;
        }
        if (got == 0) break;
        if (!WriteAll(fd, block, static_cast<size_t>(got))) {
            error = std::string("cannot keep standard input in a temporary file: ") +
                    std::strerror(errno);
            ok = false;
            break;
        }
    }
    if (::close(fd) != 0 && ok) {
        error = std::string("cannot keep standard input in a temporary file: ") +
                std::strerror(errno);
        ok = false;
    }
    return ok;
}

} // namespace tqxml::tool
