// Runs the built tqxml command as a child process, the way a shell or a
// script does, and keeps what it wrote and how it ended.
#pragma once

#include <string>
#include <vector>

namespace tqxml {

struct ToolRun {
    int exitCode = -1; // 128 + the signal when the process was killed by one
    std::string out;
    std::string err;

    std::vector<std::string> ErrorLines() const;
};

// The command built beside the tests (TQXML_BUILD_DIR/tqxml).
std::string ToolPath();

// Runs `tqxml args...` with standard input from `input` and both outputs
// caught; `scratch` is a directory for the caught outputs.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& scratch,
                const std::string& input = "/dev/null");

// Runs `tqxml args...` with standard output on a pipe; once the first bytes
// of the document have arrived (so the conversion is under way and cannot
// have finished, since the pipe is not drained), sends Ctrl-C and reads the
// rest.
ToolRun RunToolAndInterrupt(const std::vector<std::string>& args, const std::string& scratch);

} // namespace tqxml
