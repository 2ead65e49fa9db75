// The tool's private files in $TMPDIR: a job that arrives through a pipe and
// a document on its way to --text-encoding. Each is removed when its object
// goes, and also when the process is ended at once by a second signal: the
// names are kept where a signal handler can reach them.
#pragma once

#include <string>

namespace tqxml::tool {

class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { Remove(); }

    // Creates an empty file "tqxml-KIND-XXXXXX.SUFFIX" in $TMPDIR (else /tmp)
    // and returns its open descriptor; -1, with the reason in `error`, when
    // it cannot be made.
    int Create(const char* kind, const char* suffix, std::string& error);
    void Remove();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int slot_ = -1;
};

// Removes every temporary file that still exists; async-signal-safe.
void RemoveTemporaryFilesNow();

} // namespace tqxml::tool
