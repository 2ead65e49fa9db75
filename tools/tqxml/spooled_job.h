// A job that arrives through a pipe: standard input ("-"), a FIFO or a
// socket, or a descriptor a shell hands over (tqxml <(curl ...)). The library reads a
// regular file and refuses anything else, so the bytes are kept in a private
// temporary file for as long as the object lives, and removed with it (after
// a signal too).
#pragma once

#include "temporary_file.h"

#include <string>

namespace tqxml::tool {

class SpooledJob {
public:
    // Copies what `job` delivers ("-": standard input) into a new temporary
    // file. False, with the reason in `error`, when standard input is a
    // terminal or closed, when either side fails, when the first 48 bytes
    // are not a job header this tool reads, or when a signal arrives.
    bool Spool(const std::string& job, std::string& error);
    const std::string& Path() const { return file_.Path(); }

private:
    bool Copy(int from, int to, std::string& error);
    TemporaryFile file_;
};

// Reopens standard input, output and error on /dev/null where they are
// closed, so that no file the tool opens takes their place (a job spooled
// from a closed standard input is refused as such).
void GuardStandardStreams();

// Whether `job` is "-" or names something to read as a pipe: a FIFO or a
// socket. A device is not: /dev/zero would never end; the library refuses it.
bool IsPipedJob(const std::string& job);

} // namespace tqxml::tool
