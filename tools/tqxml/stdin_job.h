// A job that arrives on standard input ("-"): the library reads a path, so
// the bytes are kept in a private temporary file for as long as the object
// lives, and removed with it (after a Ctrl-C too).
#pragma once

#include <string>

namespace tqxml::tool {

class StandardInputJob {
public:
    StandardInputJob() = default;
    StandardInputJob(const StandardInputJob&) = delete;
    StandardInputJob& operator=(const StandardInputJob&) = delete;
    ~StandardInputJob();

    // Copies standard input into a new temporary file. False, with the
    // reason in `error`, when standard input is a terminal, when the file
    // cannot be written, or when Ctrl-C arrives meanwhile.
    bool Spool(std::string& error);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace tqxml::tool
