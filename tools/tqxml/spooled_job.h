// A job that arrives through a pipe: standard input ("-"), a FIFO or a
// socket, or a descriptor a shell hands over (tqxml <(curl ...)). The library reads a
// regular file and refuses anything else, so the bytes are kept in a private
// temporary file for as long as the object lives, and removed with it (after
// a Ctrl-C too).
#pragma once

#include <string>

namespace tqxml::tool {

class SpooledJob {
public:
    SpooledJob() = default;
    SpooledJob(const SpooledJob&) = delete;
    SpooledJob& operator=(const SpooledJob&) = delete;
    ~SpooledJob();

    // Copies what `job` delivers ("-": standard input) into a new temporary
    // file. False, with the reason in `error`, when standard input is a
    // terminal, when either side fails, or when Ctrl-C arrives meanwhile.
    bool Spool(const std::string& job, std::string& error);
    const std::string& Path() const { return path_; }

private:
    bool Copy(int from, int to, std::string& error);
    std::string path_;
};

// Whether `job` is "-" or names something to read as a pipe: a FIFO or a
// socket. A device is not: /dev/zero would never end; the library refuses it.
bool IsPipedJob(const std::string& job);

} // namespace tqxml::tool
